// Cost of the audio device components, printed as name=value lines:
//   capture_cpu_percent      CPU time per second of 44.1 kHz stereo audio captured (levels and a
//                            spectrum block taken at every timer tick), in % of one core
//   playback_eq_cpu_percent  the same for playback with the equaliser on
//   display_frame_ms         time to draw one frame of the slowest display mode at 400 x 150
//                            (each mode also on its own line)
// The devices are file-backed ALSA devices defined in a configuration written here, so the
// measurement needs no sound card and runs faster than real time.
#include "bench/BenchWait.h"
#include "components/TAudioDisplay2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "components/TAudioVisualization2.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <alsa/asoundlib.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::vector<int16_t> music(std::size_t frames) {
    std::vector<int16_t> s(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        s[2 * i] =
            static_cast<int16_t>(9000 * std::sin(2 * M_PI * 220 * t) + 4000 * std::sin(2 * M_PI * 3100 * t));
        s[2 * i + 1] =
            static_cast<int16_t>(8000 * std::sin(2 * M_PI * 330 * t) + 3000 * std::sin(2 * M_PI * 7000 * t));
    }
    return s;
}

void waitUntil(const std::function<bool()>& done) {
    RunUntil(done, 50);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString input = dir.filePath("in.raw");
    const double seconds = 60.0;
    const std::vector<int16_t> signal = music(static_cast<std::size_t>(44100 * seconds));
    {
        QFile f(input);
        if (!f.open(QIODevice::WriteOnly)) return 1;
        f.write(reinterpret_cast<const char*>(signal.data()), static_cast<qint64>(signal.size() * 2));
    }
    const QString conf = dir.filePath("asound.conf");
    // Replaces the ALSA configuration of this process with `devices` (over the "null" device).
    auto useConfig = [&conf](const QString& devices) {
        QFile f(conf);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        f.write("pcm.null { type null }\n" + devices.toUtf8());
        f.close();
        qputenv("ALSA_CONFIG_PATH", conf.toUtf8());
        snd_config_update_free_global();
        return true;
    };
    if (!useConfig(
            QStringLiteral(
                "pcm.benchcap { type file slave.pcm null file \"/dev/null\" infile \"%1\" format \"raw\" "
                "hint { show on description \"Bench capture\" } }\n")
                .arg(input)))
        return 1;

    // Capture: blocks of 400 ms as the recorder takes them, levels and a spectrum every tick.
    {
        TAudioRecord2 ar;
        TAudioVisualization2 av;
        av.resize(240, 60);
        const int64_t target = static_cast<int64_t>(44100 * (seconds - 1.0));
        int64_t captured = 0;
        QObject::connect(&ar, &TAudioRecord2::OnEndArrayRecord,
                         [&] { captured += static_cast<int64_t>(ar.GetRecordedArray().frames()); });
        QObject::connect(&ar, &TAudioRecord2::OnTimer, [&](int, int, int) {
            av.DisplayArray(ar.GetDisplayArray(2 * av.WindowArraySize()));
        });
        ar.GetDeviceCount();
        ar.SelectDevice(0);
        ar.SetFormat(44100, 2);
        ar.SetBlockSize(static_cast<int>(ar.MsToSamples(400)));
        const double start = cpuSeconds();
        ar.Start();
        waitUntil([&] { return captured >= target; });
        ar.Stop();
        const double cpu = cpuSeconds() - start;
        std::printf("capture_cpu_percent=%.3f\n", 100.0 * cpu / (static_cast<double>(captured) / 44100.0));
    }

    // Playback with the equaliser on ("Pop"), fed 400 ms blocks, display samples every tick.
    {
        TAudioPlayer2 ap;
        TAudioDisplay2 ad;
        ad.resize(400, 150);
        std::size_t offset = 0;
        bool ended = false;
        auto feed = [&] {
            const std::size_t n = std::min<std::size_t>(signal.size() - offset, 2 * 17640);
            ap.LoadArray(
                AudioBlock(std::vector<int16_t>(signal.begin() + static_cast<std::ptrdiff_t>(offset),
                                                signal.begin() + static_cast<std::ptrdiff_t>(offset + n)),
                           2));
            offset += n;
        };
        QObject::connect(&ap, &TAudioPlayer2::OnRequestOnLoadArray, feed);
        QObject::connect(&ap, &TAudioPlayer2::OnEndArrayPlay, feed);
        QObject::connect(&ap, &TAudioPlayer2::OnEndPlay, [&] { ended = true; });
        QObject::connect(&ap, &TAudioPlayer2::OnTimer,
                         [&](int, int, int) { ad.DisplayArray(ap.GetDisplayArray(ad.FFTWindowsSize())); });
        useConfig(QStringLiteral("pcm.benchout { type file slave.pcm null file \"/dev/null\" format \"raw\" "
                                 "hint { show on description \"Bench output\" } }\n"));
        ap.GetDeviceCount();
        ap.SetDevice(0);
        const float pop[12] = {3, 45, 51, 39, 21, 0, 0, 21, 21, 45, 39, 33};
        std::vector<float> gains;
        for (float g : pop)
            gains.push_back(g / 11.0f);
        ap.SetEqualizer(gains);
        ap.SetEqualizerEnabled(-1);
        const double start = cpuSeconds();
        ap.Play();
        if (ap.GetLastError() != 0) {
            std::fprintf(stderr, "playback did not start (%d)\n", ap.GetLastError());
            return 1;
        }
        waitUntil([&] { return ended; });
        const double cpu = cpuSeconds() - start;
        const double played = static_cast<double>(ap.GetPlayedSamples()) / 44100.0;
        ap.Stop();
        std::printf("playback_eq_cpu_percent=%.3f\n", 100.0 * cpu / played);
    }

    // One frame of each display mode: the block handed over and the control drawn.
    {
        double worst = 0.0;
        const int frames = 300;
        for (int mode = 0; mode < TAudioDisplay2::kModes; ++mode) {
            TAudioDisplay2 ad;
            ad.resize(400, 150);
            ad.setTypeDisplay(mode);
            QImage image(400, 150, QImage::Format_RGB32);
            const std::size_t step = static_cast<std::size_t>(ad.FFTWindowsSize());
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < frames; ++i) {
                const std::size_t from = (static_cast<std::size_t>(i) * 2205 * 2) % (signal.size() - step);
                ad.DisplayArray(AudioBlock(
                    std::vector<int16_t>(signal.begin() + static_cast<std::ptrdiff_t>(from),
                                         signal.begin() + static_cast<std::ptrdiff_t>(from + step)),
                    2));
                ad.render(&image);
            }
            const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6 / frames;
            std::printf("display_frame_ms_mode%d=%.3f\n", mode, ms);
            worst = std::max(worst, ms);
        }
        std::printf("display_frame_ms=%.3f\n", worst);
    }
    return 0;
}
