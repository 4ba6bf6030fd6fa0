// Playback into file-backed ALSA devices: exact samples, the feeding protocol, the equaliser's
// effect, errors at Play.
#include "DeviceTestSupport.h"

#include "components/TAudioPlayer2.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>

using namespace devtest;

namespace {

// Feeds blocks of `blockFrames` from `input` the way the player windows do: one block per
// request or finished block, nothing once the input is used up.
struct Feeder {
    TAudioPlayer2 ap;
    std::vector<int16_t> input;
    std::size_t offset = 0;
    int blockFrames = 4410;
    int channels = 2;
    int requests = 0, finished = 0, ended = 0, ticks = 0, lastPosition = 0, lastLeft = 0;

    Feeder() {
        auto feed = [this] {
            const std::size_t n =
                std::min(input.size() - offset, static_cast<std::size_t>(blockFrames * channels));
            AudioBlock b(std::vector<int16_t>(input.begin() + static_cast<std::ptrdiff_t>(offset),
                                              input.begin() + static_cast<std::ptrdiff_t>(offset + n)),
                         channels);
            offset += n;
            ap.LoadArray(b); // an empty block at the end, as a file reader gives it
        };
        QObject::connect(&ap, &TAudioPlayer2::OnRequestOnLoadArray, [this, feed] {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            ++requests;
            feed();
        });
        QObject::connect(&ap, &TAudioPlayer2::OnEndArrayPlay, [this, feed] {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            ++finished;
            feed();
        });
        QObject::connect(&ap, &TAudioPlayer2::OnEndPlay, [this] {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            ++ended;
        });
        QObject::connect(&ap, &TAudioPlayer2::OnTimer, [this](int pos, int l, int) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            ++ticks;
            EXPECT_GE(pos, lastPosition);
            lastPosition = pos;
            lastLeft = l;
        });
    }
    void playToEnd() {
        lastPosition = 0; // each Play counts from 0 again
        ap.Play();
        ASSERT_EQ(ap.GetLastError(), 0);
        ASSERT_TRUE(waitFor([this] { return ended > 0; }));
        ap.Stop();
    }
};

double gainDb(const std::vector<int16_t>& in, const std::vector<int16_t>& out, std::size_t skipFrames) {
    return 20.0 * std::log10(rms(out, 2, 0, skipFrames) / rms(in, 2, 0, skipFrames));
}

} // namespace

TEST(Playback, WritesExactlyTheFedSamples) {
    AlsaSandbox box;
    box.useConfig(AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    Feeder f;
    f.input = sine(44100, 2, 2.05, {1000.0, 300.0}, {0.5, 0.3});
    f.ap.SetDevice(0);
    f.ap.SetEqualizerEnabled(0);
    // No SetFormat: 44.1 kHz stereo.
    EXPECT_EQ(f.ap.MsToSamples(1000), 44100);
    EXPECT_EQ(f.ap.SamplesToMs(22050), 500);
    f.playToEnd();

    EXPECT_EQ(readRaw(box.path("out.raw")), f.input);
    EXPECT_EQ(f.requests, 2);
    EXPECT_EQ(f.finished, 21); // 20 whole blocks and the last part-block
    EXPECT_EQ(f.ended, 1);
    EXPECT_EQ(f.ap.GetPlayedSamples(), f.input.size() / 2);
    EXPECT_GE(f.ticks, 30); // every 50 ms of the 2 s
    EXPECT_NEAR(f.lastLeft, 50, 1);
    EXPECT_FALSE(f.ap.GetDisplayArray(512).isEmpty());
}

TEST(Playback, EqualiserBandLiftsItsCentreOnly) {
    AlsaSandbox box;
    box.useConfig(AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    std::vector<float> gains(12, 0.0f);
    gains[5] = 12.0f;              // band 6: 1 kHz
    const std::size_t skip = 4410; // the filter's settling time

    for (double freq : {1000.0, 4000.0, 250.0}) {
        Feeder f;
        f.input = sine(44100, 2, 1.0, {freq}, {0.1});
        f.ap.SetDevice(0);
        f.ap.SetEqualizer(gains);
        f.ap.SetEqualizerEnabled(-1);
        f.playToEnd();
        const std::vector<int16_t> out = readRaw(box.path("out.raw"));
        ASSERT_EQ(out.size(), f.input.size());
        const double db = gainDb(f.input, out, skip);
        if (freq == 1000.0)
            EXPECT_NEAR(db, 12.0, 0.5) << "at the band's centre";
        else
            EXPECT_NEAR(db, 0.0, 1.0) << "two octaves from the centre, at " << freq << " Hz";
    }

    // The preamp alone: -6 dB on everything.
    Feeder f;
    f.input = sine(44100, 2, 0.5, {440.0}, {0.5});
    f.ap.SetDevice(0);
    std::vector<float> pre(12, 0.0f);
    pre[11] = -6.0f;
    f.ap.SetEqualizer(pre);
    f.playToEnd();
    EXPECT_NEAR(gainDb(f.input, readRaw(box.path("out.raw")), 0), -6.0, 0.1);
}

TEST(Playback, NoEventAfterStopAndRestartWorks) {
    AlsaSandbox box;
    box.useConfig(AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    Feeder f;
    f.input = sine(44100, 2, 1.0, {500.0}, {0.2});
    f.ap.SetDevice(0);
    f.ap.Play();
    f.ap.Stop();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(f.requests + f.finished + f.ended + f.ticks, 0);
    f.ap.Stop(); // harmless when idle
    f.offset = 0;
    f.playToEnd();
    EXPECT_EQ(readRaw(box.path("out.raw")), f.input);
}

TEST(Playback, PlayReportsWhyItCouldNotStart) {
    AlsaSandbox box;
    TAudioPlayer2 ap;
    int events = 0;
    QObject::connect(&ap, &TAudioPlayer2::OnRequestOnLoadArray, [&] { ++events; });
    QObject::connect(&ap, &TAudioPlayer2::OnEndPlay, [&] { ++events; });
    ap.Play(); // no device at all
    EXPECT_EQ(ap.GetLastError(), TAudioPlayer2::ErrorNoDevice);

    box.useConfig(AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    TAudioPlayer2 ap2;
    ap2.SetDevice(0);
    ap2.SetFormat(1000, 2); // not a rate anybody plays
    ap2.Play();
    EXPECT_EQ(ap2.GetLastError(), TAudioPlayer2::ErrorFormat);
    ap2.SetFormat(48000, 1);
    ap2.Play();
    EXPECT_EQ(ap2.GetLastError(), 0);
    ap2.Stop();
    QCoreApplication::processEvents();
    EXPECT_EQ(events, 0);
}

TEST(Playback, ClearQueueDropsWhatWaits) {
    AlsaSandbox box;
    box.useConfig(AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    TAudioPlayer2 ap;
    int requests = 0, ended = 0;
    QObject::connect(&ap, &TAudioPlayer2::OnRequestOnLoadArray,
                     [&] { ++requests; }); // this caller hands over nothing more
    QObject::connect(&ap, &TAudioPlayer2::OnEndPlay, [&] { ++ended; });
    ap.SetDevice(0);
    const AudioBlock a(std::vector<int16_t>(400, 1), 2), b(std::vector<int16_t>(400, 2), 2),
        c(std::vector<int16_t>(300, 3), 2);
    ap.LoadArray(a);
    ap.LoadArray(b);
    ap.ClearQueue();
    ap.LoadArray(AudioBlock()); // an empty block is no block
    ap.LoadArray(c);
    ap.Play();
    ASSERT_EQ(ap.GetLastError(), 0);
    ASSERT_TRUE(waitFor([&] { return ended > 0; }));
    ap.Stop();
    EXPECT_EQ(requests, 2);
    EXPECT_EQ(readRaw(box.path("out.raw")), c.samples);
    EXPECT_EQ(ap.GetPlayedSamples(), 150u);
}

TEST(Playback, SoftwareLineVolumeAndMuteActOnTheSamples) {
    AlsaSandbox box;
    box.useConfig(AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    Feeder f;
    f.input = sine(44100, 2, 0.5, {440.0}, {0.8});
    f.ap.SetMixerFactory([](const AudioDeviceInfo&, bool) { return nullptr; }); // no mixer of its own
    f.ap.SetDevice(0);
    ASSERT_EQ(f.ap.GetMixerLineCount(), 1);
    f.ap.SelectMixerLine(0);
    f.ap.SetVolume(65535 / 4);
    f.playToEnd();
    EXPECT_NEAR(gainDb(f.input, readRaw(box.path("out.raw")), 0), 20.0 * std::log10(0.25), 0.1);
    // The levels are those of the audio itself, whatever the volume (as the recorder's are those
    // of what it records).
    EXPECT_NEAR(f.lastLeft, 80, 2);

    f.offset = 0;
    f.ended = 0;
    f.ap.SetMute(-1);
    f.playToEnd();
    const std::vector<int16_t> muted = readRaw(box.path("out.raw"));
    ASSERT_EQ(muted.size(), f.input.size());
    EXPECT_EQ(*std::max_element(muted.begin(), muted.end()), 0);
}

// Stop right after Play, while the worker is just going to wait for its first block: a stop
// request that slips in between its look at the queue and its wait must still end it.
TEST(Playback, StopRightAfterPlayNeverHangs) {
    AlsaSandbox box;
    box.useConfig(AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    TAudioPlayer2 ap;
    int events = 0;
    QObject::connect(&ap, &TAudioPlayer2::OnRequestOnLoadArray,
                     [&] { ++events; }); // a caller that never feeds
    ap.SetDevice(0);
    for (int i = 0; i < 300; ++i) {
        ap.Play();
        ASSERT_EQ(ap.GetLastError(), 0);
        ap.Stop();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(events, 0) << "a stopped playback raises nothing";
}
