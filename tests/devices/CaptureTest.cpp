// Capture from file-backed ALSA devices: exact samples, block sizes, levels, pause and resume.
#include "DeviceTestSupport.h"

#include "components/ComponentError.h"
#include "components/TAudioRecord2.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

using namespace devtest;

namespace {

// The file devices run faster than real time: the test stops (or changes) the capture from inside
// the block event, as the recorder's own handlers do, so the amount captured stays bounded.
// A capture device named "File Capture" that reads `input` (raw 16-bit samples).
void useFileCapture(AlsaSandbox& box, const std::vector<int16_t>& input) {
    writeRaw(box.path("in.raw"), input);
    box.useConfig(AlsaSandbox::captureDevice("vzcap", box.path("in.raw"), "File Capture"));
}

struct Recorder {
    TAudioRecord2 ar;
    std::vector<AudioBlock> blocks;
    std::vector<std::array<int, 3>> ticks;
    std::size_t stopAt = 0;                   // Stop when this many blocks have arrived
    std::function<void(std::size_t)> onBlock; // called with the count after each block

    Recorder() {
        QObject::connect(&ar, &TAudioRecord2::OnEndArrayRecord, [this] {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            blocks.push_back(ar.GetRecordedArray());
            if (onBlock) onBlock(blocks.size());
            if (blocks.size() == stopAt) ar.Stop();
        });
        QObject::connect(&ar, &TAudioRecord2::OnTimer, [this](int pos, int l, int r) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            ticks.push_back({pos, l, r});
        });
    }
    std::vector<int16_t> joined() const {
        std::vector<int16_t> all;
        for (const AudioBlock& b : blocks)
            all.insert(all.end(), b.samples.begin(), b.samples.end());
        return all;
    }
    bool selectByName(const QString& name) {
        const int n = ar.GetDeviceCount();
        for (int i = 0; i <= n; ++i) {
            ar.SelectDevice(i);
            if (ar.IsDeviceValid() && ar.GetDeviceName().trimmed() == name) return true;
        }
        return false;
    }
};

} // namespace

TEST(Capture, ReturnsTheInputBlockByBlockWithLevels) {
    AlsaSandbox box;
    // Left at 50 % of full scale, right at 25 %, ten seconds (more than the capture runs ahead).
    const std::vector<int16_t> input = sine(44100, 2, 10.0, {1000.0, 440.0}, {0.5, 0.25});
    useFileCapture(box, input);

    Recorder r;
    ASSERT_TRUE(r.selectByName("File Capture"));
    r.ar.SetFormat(44100, 2);
    const int block = static_cast<int>(r.ar.MsToSamples(100));
    EXPECT_EQ(block, 4410);
    r.ar.SetBlockSize(block);
    r.stopAt = 20;
    r.ar.Start();
    ASSERT_TRUE(waitFor([&] { return r.blocks.size() >= 20; }));
    r.ar.Stop(); // a second stop is harmless

    ASSERT_GE(r.blocks.size(), 20u);
    for (std::size_t i = 0; i + 1 < r.blocks.size(); ++i) {
        EXPECT_EQ(r.blocks[i].samples.size(), static_cast<std::size_t>(block) * 2) << "block " << i;
        EXPECT_EQ(r.blocks[i].channels, 2);
    }
    const std::vector<int16_t> got = r.joined();
    ASSERT_LE(got.size(), input.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), input.begin()))
        << "captured samples differ from the input";

    // Ticks every 50 ms of audio, positions rising; levels of the two sines.
    ASSERT_GE(r.ticks.size(), 10u);
    for (std::size_t i = 1; i < r.ticks.size(); ++i)
        EXPECT_GT(r.ticks[i][0], r.ticks[i - 1][0]);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_NEAR(r.ticks[i][1], 50, 1);
        EXPECT_NEAR(r.ticks[i][2], 25, 1);
    }

    // The spectrum view's samples: the most recent ones, whole frames.
    const AudioBlock display = r.ar.GetDisplayArray(1024);
    EXPECT_EQ(display.samples.size(), 1024u);
    EXPECT_EQ(display.channels, 2);
    EXPECT_TRUE(r.ar.GetDisplayArray(0).isEmpty());
    EXPECT_TRUE(r.ar.GetRecordedArray().isEmpty()) << "outside the event there is no block";
}

TEST(Capture, PauseAndResumeLoseAndRepeatNothing) {
    AlsaSandbox box;
    const std::vector<int16_t> input = sine(22050, 1, 10.0, {300.0}, {0.7});
    useFileCapture(box, input);

    Recorder r;
    ASSERT_TRUE(r.selectByName("File Capture"));
    r.ar.SetFormat(22050, 1);
    r.ar.SetBlockSize(1000);
    r.stopAt = 3; // pause: everything captured so far arrives before Stop returns
    r.ar.Start();
    ASSERT_TRUE(waitFor([&] { return r.blocks.size() >= 3; }));
    const std::size_t atPause = r.blocks.size();
    const std::size_t samplesAtPause = r.joined().size();
    EXPECT_NE(samplesAtPause % 1000, 0u) << "the part-block came with the pause";
    QCoreApplication::processEvents();
    EXPECT_EQ(r.blocks.size(), atPause) << "no block may arrive after Stop";
    r.stopAt = atPause + 3;
    r.ar.Start();
    ASSERT_TRUE(waitFor([&] { return r.blocks.size() >= atPause + 3; }));
    r.ar.Stop();

    const std::vector<int16_t> got = r.joined();
    EXPECT_GT(got.size(), samplesAtPause);
    ASSERT_LE(got.size(), input.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), input.begin())) << "a pause duplicated or lost samples";
}

TEST(Capture, FiltersChangeWhileCapturing) {
    AlsaSandbox box;
    // 5 kHz at half scale: the 1 kHz low-pass ("high" filter) must take most of it away.
    const std::vector<int16_t> input = sine(44100, 1, 10.0, {5000.0}, {0.5});
    useFileCapture(box, input);

    Recorder r;
    ASSERT_TRUE(r.selectByName("File Capture"));
    r.ar.SetFormat(44100, 1);
    r.ar.SetBlockSize(4410);
    r.ar.SetFilterHighValue(1000.0f);
    // Switched on at the second block; what the capture had queued by then (32 blocks, one
    // waiting, one part-block) is still plain.
    const std::size_t from = 2 + 34;
    r.onBlock = [&](std::size_t n) {
        if (n == 2) r.ar.SetFilterHighEnabled(-1);
    };
    r.stopAt = from + 2;
    r.ar.Start();
    ASSERT_TRUE(waitFor([&] { return r.blocks.size() >= from + 2; }));
    EXPECT_NEAR(rms(r.blocks[0].samples, 1, 0), 0.5 * 32767 / std::sqrt(2.0), 50.0);
    const double filtered = rms(r.blocks[from].samples, 1, 0);
    EXPECT_LT(filtered, 0.5 * 32767 / std::sqrt(2.0) / 20.0)
        << "a 2nd-order low-pass takes 5 kHz down by ~28 dB";
}

TEST(Capture, NoDeviceAtAll) {
    AlsaSandbox box; // an empty configuration: no device of any kind
    TAudioRecord2 ar;
    const int n = ar.GetDeviceCount();
    EXPECT_EQ(n, 0);
    for (int i = 0; i <= n; ++i) {
        ar.SelectDevice(i);
        EXPECT_EQ(ar.IsDeviceValid(), 0);
        EXPECT_EQ(ar.GetLineCount(), 0);
        EXPECT_TRUE(ar.GetDeviceName().isEmpty());
    }
    ar.SetFormat(44100, 2);
    EXPECT_THROW(ar.Start(), ComponentError);
    EXPECT_NO_THROW(ar.Stop());
}

TEST(Capture, BadFormatsAreRefused) {
    AlsaSandbox box;
    TAudioRecord2 ar;
    EXPECT_THROW(ar.SetFormat(0, 2), ComponentError);
    EXPECT_THROW(ar.SetFormat(44100, 0), ComponentError);
    EXPECT_NO_THROW(ar.SetFormat(8000, 1));
    EXPECT_EQ(ar.MsToSamples(400), 3200);
}

TEST(Capture, SoftwareLineVolumeScalesTheSamples) {
    AlsaSandbox box;
    const std::vector<int16_t> input = sine(44100, 1, 10.0, {700.0}, {0.8});
    useFileCapture(box, input);
    Recorder r;
    r.ar.SetMixerFactory([](const AudioDeviceInfo&, bool) { return nullptr; });
    ASSERT_TRUE(r.selectByName("File Capture"));
    r.ar.SelectLine(0);
    ASSERT_EQ(r.ar.GetLineName(), "Capture");
    r.ar.SetLineVolume(65535 / 2);
    r.ar.SetFormat(44100, 1);
    r.ar.SetBlockSize(4410);
    r.stopAt = 5;
    r.ar.Start();
    ASSERT_TRUE(waitFor([&] { return r.blocks.size() >= 5; }));
    EXPECT_NEAR(rms(r.blocks[1].samples, 1, 0) / rms(input, 1, 0), 0.5, 0.001);
    ASSERT_FALSE(r.ticks.empty());
    EXPECT_NEAR(r.ticks.front()[1], 40, 2) << "levels are those of what is recorded";
}

// The recorder's time limit stops from inside the timer event and starts the next recording at
// once (Stop, SetFormat, Start in the same handler): the first recording ends with everything
// captured, nothing of the stopped run arrives later, and the next one goes on where it ended.
TEST(Capture, StopAndNewRecordingInsideTheTimerEvent) {
    AlsaSandbox box;
    const std::vector<int16_t> input = sine(44100, 2, 10.0, {500.0, 900.0}, {0.4, 0.6});
    useFileCapture(box, input);

    Recorder r;
    ASSERT_TRUE(r.selectByName("File Capture"));
    r.ar.SetFormat(44100, 2);
    r.ar.SetBlockSize(2000); // the 50 ms ticks fall inside blocks
    std::vector<AudioBlock> first;
    int restarts = 0;
    QObject::connect(&r.ar, &TAudioRecord2::OnTimer, [&](int, int, int) {
        if (restarts == 0 && r.blocks.size() >= 4) {
            ++restarts;
            r.ar.Stop();
            first = std::move(r.blocks);
            r.blocks.clear();
            r.ar.SetFormat(44100, 2);
            r.ar.SetBlockSize(2000);
            r.stopAt = 6;
            r.ar.Start();
        }
    });
    r.ar.Start();
    ASSERT_TRUE(waitFor([&] { return restarts == 1 && r.blocks.size() >= 6; }));
    QCoreApplication::processEvents();

    ASSERT_FALSE(first.empty());
    std::vector<int16_t> got;
    for (const AudioBlock& b : first)
        got.insert(got.end(), b.samples.begin(), b.samples.end());
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(r.blocks[i].samples.size(), 4000u) << "second recording, block " << i;
    const std::vector<int16_t> second = r.joined();
    got.insert(got.end(), second.begin(), second.end());
    ASSERT_LE(got.size(), input.size());
    EXPECT_TRUE(std::equal(got.begin(), got.end(), input.begin()))
        << "samples lost or repeated across the restart";
}

// Many pauses in a row, each right after the start, while the capture is filling its queue of
// tiny blocks: every stop ends (a stop request is never missed) and, over all of them, the
// samples arrive once each and in order.
TEST(Capture, ManyQuickPausesKeepTheStreamWhole) {
    AlsaSandbox box;
    const std::vector<int16_t> input = sine(16000, 1, 20.0, {300.0}, {0.5});
    useFileCapture(box, input);

    Recorder r;
    ASSERT_TRUE(r.selectByName("File Capture"));
    r.ar.SetFormat(16000, 1);
    r.ar.SetBlockSize(3); // the queue of finished blocks fills within one read
    for (int i = 0; i < 200; ++i) {
        const std::size_t before = r.blocks.size();
        r.ar.Start();
        // Half of the pauses come once the first block is in, the others at once.
        if (i % 2) {
            ASSERT_TRUE(waitFor([&] { return r.blocks.size() > before; }));
        }
        r.ar.Stop();
    }
    QCoreApplication::processEvents();
    const std::vector<int16_t> got = r.joined();
    ASSERT_LE(got.size(), input.size());
    EXPECT_GT(got.size(), 0u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), input.begin()))
        << "samples lost or repeated across the pauses";
}
