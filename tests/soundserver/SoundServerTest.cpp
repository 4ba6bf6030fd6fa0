// Capture and playback through a real sound server (a private PipeWire started by each test): a
// played tone arrives whole, a counting signal is captured without a lost or repeated frame
// across many pauses, our sliders never move the server's own volumes, every listed device
// opens, and a server that dies under the recorder's window ends its recording and its playback
// with a message, costs no processor time while it is gone, and is used again once it is back.
#include "SoundServer.h"

#include "../devices/DeviceTestSupport.h"

#include "tests/recorder/FreshProgramFolder.h"

#include "common/GlobeVar.h"
#include "components/AlsaDevice.h"
#include "components/TAudioFile2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "recorder/Main.h"
#include "recorder/RecorderWindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

#include <sys/resource.h>

using namespace soundtest;

namespace {

#define START_SERVER(server)                                                                                 \
    SoundServer server;                                                                                      \
    if (!server.failure().isEmpty()) GTEST_SKIP() << server.failure().toStdString();

void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

int deviceIndex(bool capture, const std::string& pcm) {
    const std::vector<AudioDeviceInfo> list = ListAlsaDevices(capture);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].pcmName == pcm) return static_cast<int>(i);
    return -1;
}

// What the sink's and source's own controls say (volume and mute), as pactl reports them.
QString serverControls(const SoundServer& s) {
    QString all;
    for (const char* what : {"get-sink-volume", "get-sink-mute"})
        all += s.run(QStringLiteral("pactl"), {QString::fromLatin1(what), QStringLiteral("vzsink")});
    for (const char* what : {"get-source-volume", "get-source-mute"})
        all += s.run(QStringLiteral("pactl"), {QString::fromLatin1(what), QStringLiteral("vzsrc")});
    return all;
}

struct PlayedTone {
    std::size_t length = 0;   // frames from the tone's first to its last loud frame
    std::size_t glitches = 0; // frames where the tone is not its own period earlier
    double peak = 0;          // largest sample, full scale = 1
    double endDelayMs = 0;    // OnEndPlay after the tone's last frame reached the sink
};

// Plays `seconds` of a 1 kHz tone (a period of exactly 48 frames) through `pcm` at `volume` and
// records the sink's monitor.
PlayedTone playTone(const SoundServer& s, const std::string& pcm, int volume, double seconds) {
    PlayedTone result;
    // The monitor records without a break, so the recording's last frame is about the moment the
    // recorder is told to end, and any frame's time follows from its place before that.
    QElapsedTimer clock;
    clock.start();
    const QString raw = s.path(QStringLiteral("monitor-%1.raw").arg(QString::fromStdString(pcm)));
    auto recorder =
        s.start(QStringLiteral("parec"), {QStringLiteral("--raw"), QStringLiteral("--latency-msec=10"),
                                          QStringLiteral("--format=s16le"), QStringLiteral("--rate=48000"),
                                          QStringLiteral("--channels=2"), QStringLiteral("-d"),
                                          QStringLiteral("vzsink.monitor"), raw});
    EXPECT_TRUE(recorder);
    if (!recorder) return result;
    QThread::msleep(300); // the recorder is linked before the tone starts

    const int frames = static_cast<int>(48000 * seconds);
    std::vector<int16_t> tone(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i)
        tone[2 * static_cast<std::size_t>(i)] = tone[2 * static_cast<std::size_t>(i) + 1] =
            static_cast<int16_t>(std::lrint(16000.0 * std::sin(2.0 * M_PI * (i % 48) / 48.0)));
    TAudioPlayer2 ap;
    ap.SetFormat(48000, 2);
    ap.SetDevice(deviceIndex(false, pcm));
    EXPECT_EQ(ap.GetMixerLineCount(), 1) << pcm << ": one software line";
    ap.SelectMixerLine(0);
    ap.SetVolume(volume);
    ap.SetMute(0);
    std::size_t fed = 0;
    bool ended = false;
    auto feed = [&] {
        const std::size_t n = std::min<std::size_t>(tone.size() - fed, 4800 * 2);
        ap.LoadArray(AudioBlock(std::vector<int16_t>(tone.begin() + static_cast<std::ptrdiff_t>(fed),
                                                     tone.begin() + static_cast<std::ptrdiff_t>(fed + n)),
                                2));
        fed += n;
    };
    QObject::connect(&ap, &TAudioPlayer2::OnRequestOnLoadArray, feed);
    QObject::connect(&ap, &TAudioPlayer2::OnEndArrayPlay, feed);
    double endedMs = 0;
    QObject::connect(&ap, &TAudioPlayer2::OnEndPlay, [&] {
        endedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        ended = true;
    });
    ap.Play();
    EXPECT_EQ(ap.GetLastError(), 0) << pcm;
    EXPECT_TRUE(devtest::waitFor([&] { return ended; }, static_cast<int>(seconds * 1000) + 3000)) << pcm;
    ap.Stop();
    QThread::msleep(300);
    const double recordEndMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    recorder->terminate();
    recorder->waitForFinished(2000);

    const std::vector<int16_t> got = devtest::readRaw(raw);
    std::size_t first = got.size(), last = 0;
    for (std::size_t i = 0; i + 1 < got.size(); i += 2)
        if (std::abs(got[i]) > 200) {
            first = std::min(first, i / 2);
            last = i / 2;
        }
    EXPECT_LT(first, got.size()) << "no tone arrived";
    if (first >= got.size()) return result;
    result.length = last - first + 1;
    const double toneEndMs =
        recordEndMs - static_cast<double>(got.size() / 2 - (last + 1)) * 1000.0 / 48000.0;
    result.endDelayMs = endedMs - toneEndMs;
    for (std::size_t f = first; f <= last; ++f) {
        result.peak = std::max(result.peak, std::abs(got[2 * f]) / 32768.0);
        if (f >= first + 48 && std::abs(got[2 * f] - got[2 * (f - 48)]) > 64) ++result.glitches;
    }
    return result;
}

// Processor time this process used, in seconds.
double CpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// Seconds of audio a file decodes to.
double DecodedSeconds(const QString& file) {
    TAudioFile2 reader;
    reader.OpenRead(file);
    if (reader.GetLastError() != 0) return -1;
    const int rate = reader.GetSampleFormat1(), channels = reader.GetSampleFormat2();
    int64_t samples = 0;
    for (AudioBlock b = reader.ReadArray(44100); !b.isEmpty(); b = reader.ReadArray(44100))
        samples += int64_t(b.samples.size());
    return double(samples) / channels / rate;
}

} // namespace

// The tone comes out whole and on time, through the server's own ALSA device (at half volume:
// our samples scaled linearly) and through the PulseAudio plugin.
TEST(SoundServer, PlayedToneArrivesWholeAndEndsOnTime) {
    START_SERVER(s);
    const double seconds = 0.5;
    const std::size_t frames = static_cast<std::size_t>(48000 * seconds);
    for (const auto& [pcm, volume] : {std::pair<std::string, int>{"default", 32768}, {"pulse", 65535}}) {
        SCOPED_TRACE(pcm);
        // A server without real-time scheduling on a busy machine may miss a cycle now and then
        // (a glitch or a lost cycle of the machine, not of the player): such a run is tried
        // again, twice at most. A player that clips or pads its tail does so every time.
        PlayedTone t;
        for (int attempt = 0; attempt < 3; ++attempt) {
            t = playTone(s, pcm, volume, seconds);
            if (t.glitches == 0 &&
                std::abs(static_cast<double>(t.length) - static_cast<double>(frames)) <= 12.0)
                break;
        }
        // The loud part of the tone starts within a quarter period of its first frame.
        EXPECT_NEAR(static_cast<double>(t.length), static_cast<double>(frames), 12.0)
            << "tail clipped or padded";
        EXPECT_EQ(t.glitches, 0u);
        EXPECT_NEAR(t.peak, 16000.0 / 32768.0 * volume / 65535.0, 0.01)
            << "the volume scales our samples linearly";
        // The event follows the audio's end closely (the measure itself is good to some 50 ms).
        EXPECT_LT(t.endDelayMs, 200.0) << "OnEndPlay long after the audio's end";
        std::printf(
            "[ figures  ] %s: tone %zu of %zu frames, %zu glitches, end event %.0f ms after the audio\n",
            pcm.c_str(), t.length, frames, t.glitches, t.endDelayMs);
    }
}

// A counting signal recorded from the server's source: a fresh start and 50 pauses, and no
// frame is lost or repeated inside any stretch, nor repeated across a pause.
TEST(SoundServer, CountingSignalCapturedWholeAcrossPauses) {
    START_SERVER(s);
    CountingFeed feed(s, QStringLiteral("vzfeed"));
    ASSERT_TRUE(feed.running());
    for (const auto& [pcm, pauses] : {std::pair<std::string, int>{"default", 50}, {"pulse", 10}}) {
        SCOPED_TRACE(pcm);
        TAudioRecord2 ar;
        ar.GetDeviceCount();
        ar.SelectDevice(deviceIndex(true, pcm));
        ASSERT_TRUE(ar.IsDeviceValid());
        ar.SetFormat(48000, 2);
        ar.SetBlockSize(1000); // unrelated to the device's period
        std::vector<std::vector<int64_t>> stretches;
        QObject::connect(&ar, &TAudioRecord2::OnEndArrayRecord, [&] {
            const AudioBlock b = ar.GetRecordedArray();
            for (std::size_t i = 0; i + 1 < b.samples.size(); i += 2)
                stretches.back().push_back(countOf(b.samples[i], b.samples[i + 1]));
        });
        for (int run = 0; run <= pauses; ++run) {
            stretches.emplace_back();
            ar.Start();
            pump(run == 0 ? 300 : 60);
            ar.Stop();
            pump(15);
        }
        int64_t lostInside = 0, repeated = 0, previousEnd = -1;
        std::size_t frames = 0;
        for (const std::vector<int64_t>& st : stretches) {
            std::size_t i = 0;
            while (i < st.size() && st[i] == 0)
                ++i; // the source may open with silence
            for (std::size_t k = i + 1; k < st.size(); ++k)
                if (st[k] != st[k - 1] + 1) {
                    if (st[k] > st[k - 1])
                        lostInside += st[k] - st[k - 1] - 1;
                    else
                        ++repeated;
                }
            if (i < st.size()) {
                if (st[i] <= previousEnd) ++repeated;
                previousEnd = st.back();
            }
            frames += st.size();
        }
        EXPECT_GT(frames, static_cast<std::size_t>(48000 * (0.3 + 0.06 * pauses) / 2))
            << "too little arrived";
        EXPECT_EQ(lostInside, 0);
        EXPECT_EQ(repeated, 0);
        EXPECT_EQ(ar.GetLostSamples(), 0);
        std::printf("[ figures  ] %s: %zu frames in %d stretches, %lld lost inside, %lld repeated\n",
                    pcm.c_str(), frames, pauses + 1, static_cast<long long>(lostInside),
                    static_cast<long long>(repeated));
    }
}

// When the program stalls for longer than the device holds (the user-interface thread does not
// take the blocks, the capture waits, the device overruns), the loss is counted: as many frames
// as the signal shows missing, and nothing is repeated.
TEST(SoundServer, LossThatStillHappensIsCounted) {
    START_SERVER(s);
    CountingFeed feed(s, QStringLiteral("vzfeed"));
    ASSERT_TRUE(feed.running());
    TAudioRecord2 ar;
    ar.GetDeviceCount();
    ar.SelectDevice(deviceIndex(true, "default"));
    ASSERT_TRUE(ar.IsDeviceValid());
    ar.SetFormat(48000, 2);
    ar.SetBlockSize(480);
    std::vector<int64_t> counts;
    QObject::connect(&ar, &TAudioRecord2::OnEndArrayRecord, [&] {
        const AudioBlock b = ar.GetRecordedArray();
        for (std::size_t i = 0; i + 1 < b.samples.size(); i += 2)
            counts.push_back(countOf(b.samples[i], b.samples[i + 1]));
    });
    ar.Start();
    pump(300);
    QThread::msleep(3000); // 32 blocks fill the queue at once, then the device's 2 s buffer
    pump(300);
    ar.Stop();
    std::size_t i = 0;
    while (i < counts.size() && counts[i] == 0)
        ++i;
    int64_t missing = 0, repeated = 0;
    for (std::size_t k = i + 1; k < counts.size(); ++k)
        if (counts[k] > counts[k - 1])
            missing += counts[k] - counts[k - 1] - 1;
        else
            ++repeated;
    EXPECT_EQ(repeated, 0);
    EXPECT_GT(missing, 0) << "the stall did not make the device overrun";
    // The count is estimated from the time the reads stayed away: good to a server cycle or two.
    EXPECT_NEAR(static_cast<double>(ar.GetLostSamples()), static_cast<double>(missing), 4800.0);
    std::printf("[ figures  ] overrun: %lld frames missing in the signal, %lld counted\n",
                static_cast<long long>(missing), static_cast<long long>(ar.GetLostSamples()));
}

// Moving our sliders and mute on every server device changes nothing of the server's own sink
// and source; the lines are our own software lines.
TEST(SoundServer, SlidersLeaveTheServersVolumesAlone) {
    START_SERVER(s);
    const QString before = serverControls(s);
    ASSERT_FALSE(before.isEmpty());
    for (const std::string pcm : {"default", "pipewire", "pulse"}) {
        SCOPED_TRACE(pcm);
        TAudioPlayer2 ap;
        ap.SetDevice(deviceIndex(false, pcm));
        ASSERT_EQ(ap.GetMixerLineCount(), 1);
        ap.SelectMixerLine(0);
        ap.SetVolume(32768);
        EXPECT_EQ(ap.GetVolume(), 32768);
        ap.SetMute(-1);
        ap.SetVolume(1000);
        ap.SetMute(0);

        TAudioRecord2 ar;
        ar.GetDeviceCount();
        ar.SelectDevice(deviceIndex(true, pcm));
        ASSERT_EQ(ar.GetLineCount(), 1);
        ar.SelectLine(0);
        ar.SetLineVolume(20000);
        ar.SetRecordSource(-1);
        EXPECT_EQ(ar.GetLineVolume(), 20000);
        EXPECT_EQ(serverControls(s), before);
    }
}

// Every device in either list opens and runs; "default" comes first.
TEST(SoundServer, EveryListedDeviceOpens) {
    START_SERVER(s);
    TAudioRecord2 ar;
    QElapsedTimer listing;
    listing.start();
    const int inputs = ar.GetDeviceCount();
    const double firstMs = static_cast<double>(listing.nsecsElapsed()) / 1e6;
    listing.restart();
    EXPECT_EQ(ar.GetDeviceCount(), inputs);
    const double againMs = static_cast<double>(listing.nsecsElapsed()) / 1e6;
    ASSERT_GT(inputs, 0);
    EXPECT_EQ(ListAlsaDevices(true).front().pcmName, "default");
    for (int i = 0; i < inputs; ++i) {
        ar.SelectDevice(i);
        ar.SetFormat(44100, 2);
        EXPECT_NO_THROW(ar.Start()) << ar.GetDeviceName().toStdString();
        ar.Stop();
    }
    TAudioPlayer2 ap;
    const int outputs = ap.GetDeviceCount();
    ASSERT_GT(outputs, 0);
    EXPECT_EQ(ListAlsaDevices(false).front().pcmName, "default");
    for (int i = 0; i < outputs; ++i) {
        ap.SetDevice(i);
        ap.Play();
        EXPECT_EQ(ap.GetLastError(), 0) << "output " << i;
        ap.Stop();
    }
    std::printf(
        "[ figures  ] %d capture and %d playback devices listed, all open; listing %.0f ms, again %.1f ms\n",
        inputs, outputs, firstMs, againMs);
}

// The server dies under the recorder's main window (a crash: killed by its process id) while it
// records, and again while it plays a file back. Each time the job ends at once as at a stop, with
// one message, and nothing spins while the server is gone; the recording keeps what was captured up
// to the kill; a recording started while the server is gone (also on the device a finished
// recording left open) says why and leaves no file; once the server is back, recording and
// playing work again.
TEST(SoundServer, AServerThatDiesEndsTheRecordingAndThePlaybackOnceAndIsUsedAgainWhenBack) {
    START_SERVER(s);
    RegisterRecorderWindows();
    UseQuietRecorderDefaults();
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    TScriptedMessages said;
    Videzeva::TfrmMain window;
    window.create();
    GlobeVar::OutputPath = out.path() + "/";
    window.show();
    auto* state = FormChild<QLabel>(&window, QStringLiteral("Label1"));
    auto* list = window.findChild<QTreeWidget*>("lvRecordList");
    auto files = [&] { return QDir(out.path()).entryList(QDir::Files); };
    // A recording started while the server is gone says why and leaves no file.
    auto recordingIsRefused = [&] {
        said.Clear();
        const QStringList before = files();
        window.btnRecordClick();
        EXPECT_FALSE(window.Recording());
        ASSERT_EQ(said.Told().size(), 1) << said.All().join(" | ").toStdString();
        EXPECT_TRUE(said.Told().first().startsWith("Cannot record: ")) << said.Last().toStdString();
        EXPECT_EQ(files(), before) << "a file was left behind";
    };
    // A recording of a second once the server is back holds its sound, with nothing said.
    auto recordsASecond = [&] {
        window.btnRecordClick();
        ASSERT_TRUE(window.Recording());
        pump(1000);
        window.btnStopClick();
        EXPECT_GT(DecodedSeconds(window.RecordFileName()), 0.5);
        EXPECT_TRUE(said.All().isEmpty()) << said.Last().toStdString();
    };

    // Recording.
    window.btnRecordClick();
    ASSERT_TRUE(window.Recording());
    QElapsedTimer recording;
    recording.start();
    pump(1500);
    s.kill();
    const double killedAt = double(recording.elapsed()) / 1000;
    EXPECT_TRUE(devtest::waitFor([&] { return !window.Recording(); }, 3000)) << "still recording";
    EXPECT_EQ(state->text().toStdString(), "Idle");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2).toStdString(), "Done");
    ASSERT_EQ(said.Told().size(), 1) << said.All().join(" | ").toStdString();
    EXPECT_TRUE(said.Told().first().startsWith("Recording stopped: the audio device"))
        << said.Last().toStdString();
    const QString first = window.RecordFileName();
    const double kept = DecodedSeconds(first);
    // What the capture had when the server went: its latency short of the kill at most.
    EXPECT_GT(kept, killedAt - 0.8);
    EXPECT_LT(kept, killedAt + 0.1);

    const double cpuBefore = CpuSeconds();
    QElapsedTimer gone;
    gone.start();
    QTest::qWait(3000); // the window's loop as the program runs it: it sleeps between events
    const double cpu = CpuSeconds() - cpuBefore, wall = double(gone.elapsed()) / 1000;
    EXPECT_LT(cpu, 0.1 * wall) << "the processor is busy while the server is gone";

    recordingIsRefused();
    EXPECT_EQ(files(), QStringList{QFileInfo(first).fileName()}) << "a file was left behind";

    ASSERT_TRUE(s.restart()) << s.failure().toStdString();
    said.Clear();
    recordsASecond();

    // Playback of a ten-second file.
    const QString longFile = out.filePath("long.wav");
    {
        TAudioFile2 w;
        w.EnableWMA(0);
        w.SetWavFormat(44100, 2, 16);
        w.CreateWrite(longFile, 0);
        ASSERT_EQ(w.GetLastError(), 0);
        w.WriteArray(AudioBlock(devtest::sine(44100, 2, 10.0, {440.0}, {0.3}), 2));
        w.Close();
    }
    auto* player = FormChild<TAudioPlayer2>(&window, QStringLiteral("AP"));
    window.PlayRecording(longFile);
    ASSERT_TRUE(window.Playing());
    pump(1000);
    s.kill();
    EXPECT_TRUE(devtest::waitFor([&] { return !window.Playing(); }, 3000)) << "still playing";
    EXPECT_EQ(state->text().toStdString(), "Idle");
    pump(300);
    ASSERT_EQ(said.All().size(), 1) << said.All().join(" | ").toStdString();
    EXPECT_TRUE(said.Last().startsWith("Playback stopped: the audio device")) << said.Last().toStdString();
    const double playCpuBefore = CpuSeconds();
    QTest::qWait(2000);
    const double playCpu = CpuSeconds() - playCpuBefore;
    EXPECT_LT(playCpu, 0.2) << "the processor is busy after the playback's end";
    // The capture device the last recording left open went with the server too.
    recordingIsRefused();
    // A playback started while the server is gone says why and shows no "Playing...".
    said.Clear();
    window.PlayRecording(longFile);
    EXPECT_FALSE(window.Playing());
    EXPECT_EQ(state->text().toStdString(), "Idle");
    ASSERT_EQ(said.All().size(), 1) << said.All().join(" | ").toStdString();
    EXPECT_TRUE(said.Last().contains("audio device")) << said.Last().toStdString();

    ASSERT_TRUE(s.restart()) << s.failure().toStdString();
    said.Clear();
    window.PlayRecording(longFile);
    ASSERT_TRUE(window.Playing());
    EXPECT_TRUE(devtest::waitFor([&] { return player->GetPlayedSamples() > 22050; }, 3000))
        << "the playback does not move";
    window.btnStopClick();
    recordsASecond();
    std::printf("[ figures  ] server killed %.2f s into a recording, which keeps %.2f s; while it is gone "
                "%.3f s of processor time in %.2f s (after the playback's end: %.3f s in 2 s)\n",
                killedAt, kept, cpu, wall, playCpu);
}
