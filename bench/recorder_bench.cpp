// Figures of the recorder's main window:
//   1. cold start to the first shown main window, both programs, median of 10, under Xvfb;
//   2. CPU of an idle recorder (hot-key thread included) over 10 s, under Xvfb;
//   3. recording through the window from a file-backed capture device into MP3 128 kbps with
//      meters and spectrum on: CPU per second of audio, and the longest stall of the
//      user-interface thread.
// Usage: recorder_bench [minutes of audio for 3, default 5]

#include "bench/BenchWait.h"
#include "common/GlobeVar.h"
#include "common/OptionsSettings.h"
#include "platform/Application.h"
#include "recorder/Main.h"
#include "recorder/RecorderWindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <X11/Xlib.h>
#include <alsa/asoundlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

bool Mapped(Display* d, Window parent, const char* name) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, parent, &root, &up, &children, &count)) return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(d, children[i], &title) && title) {
            XWindowAttributes a;
            found = std::string(title) == name && XGetWindowAttributes(d, children[i], &a) &&
                    a.map_state == IsViewable;
            XFree(title);
        }
        if (!found) found = Mapped(d, children[i], name);
    }
    if (children) XFree(children);
    return found;
}

double CpuSecondsOf(qint64 pid) {
    QFile f(QString("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    if (fields.size() < 15) return 0;
    return (fields[13].toDouble() + fields[14].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

double CpuSecondsOfUs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const int minutes = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString bin = QCoreApplication::applicationDirPath() + "/../bin/";

    // A private X server.
    QProcess xvfb;
    const QString display = ":" + QString::number(300 + getpid() % 300);
    xvfb.start(QStandardPaths::findExecutable("Xvfb"), {display, "-nolisten", "tcp"});
    QThread::msleep(800);
    Display* x = XOpenDisplay(display.toUtf8().constData());
    QFile conf(dir.filePath("asound.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write(
        QString("pcm.null { type null }\npcm.line { type file slave.pcm null file \"/dev/null\" infile \"%1\""
                " format \"raw\" hint { show on description \"Line\" } }\n")
            .arg(dir.filePath("input.raw"))
            .toUtf8());
    conf.close();
    QFile(dir.filePath("input.raw"))
        .open(QIODevice::WriteOnly); // the capture device opens only when it exists
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("ALSA_CONFIG_PATH", dir.filePath("asound.conf"));
    env.insert("XDG_RUNTIME_DIR", dir.path());

    // 1. Cold start.
    const struct {
        const char* program;
        const char* title;
    } programs[] = {{"Videzeva", "Ridezo MP3 Recorder"}, {"Duzivuz", "Duzivuz 3.0"}};
    for (const auto& p : programs) {
        std::vector<double> times;
        for (int run = 0; run < 10 && x; ++run) {
            QProcess child;
            child.setProcessEnvironment(env);
            QElapsedTimer clock;
            clock.start();
            child.start(bin + p.program, {});
            while (clock.elapsed() < 10000 && !Mapped(x, DefaultRootWindow(x), p.title))
                QThread::usleep(500);
            times.push_back(clock.nsecsElapsed() / 1e6);
            child.kill();
            child.waitForFinished(3000);
        }
        std::sort(times.begin(), times.end());
        if (!times.empty())
            std::printf("cold start %-9s median %.0f ms (min %.0f, max %.0f) of %zu\n", p.program,
                        times[times.size() / 2], times.front(), times.back(), times.size());
    }

    // 2. Idle CPU of the recorder with its hot-key thread.
    if (x) {
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(bin + "Videzeva", {});
        QThread::sleep(2);
        const double before = CpuSecondsOf(child.processId());
        QThread::sleep(10);
        const double after = CpuSecondsOf(child.processId());
        std::printf("idle recorder: %.2f %% of one core\n", (after - before) / 10.0 * 100.0);
        child.kill();
        child.waitForFinished(3000);
    }
    if (x) XCloseDisplay(x);
    xvfb.kill();
    xvfb.waitForFinished(3000);

    // 3. Recording through the window, in this process.
    const int frames = 44100 * 60 * minutes;
    {
        std::vector<int16_t> tone(size_t(frames) * 2);
        for (int i = 0; i < frames; ++i)
            tone[size_t(i) * 2] = tone[size_t(i) * 2 + 1] =
                int16_t(12000 * std::sin(2 * M_PI * 441.0 * i / 44100));
        QFile raw(dir.filePath("input.raw"));
        raw.open(QIODevice::WriteOnly);
        raw.write(reinterpret_cast<const char*>(tone.data()), qint64(tone.size() * 2));
    }
    qputenv("ALSA_CONFIG_PATH", dir.filePath("asound.conf").toUtf8());
    snd_config_update_free_global();
    RegisterRecorderWindows();
    Videzeva::ApplyOptionsToGlobals(Videzeva::DefaultOptionsValues());
    GlobeVar::MP3VBREnable = false;
    GlobeVar::MP3BitRate = 128;
    auto* window = new Videzeva::TfrmMain;
    window->create();
    GlobeVar::OutputPath = dir.path() + "/";
    window->show();
    window->findChild<QObject*>("rbOutputMp3")->setProperty("Checked", true);

    // The file device delivers far faster than real time, so the queue never empties: the longest
    // gap between two events the thread takes up is the longest a single event held it.
    struct Watch : QObject {
        QElapsedTimer gap;
        qint64 longest = 0;
        bool eventFilter(QObject*, QEvent*) override {
            longest = std::max(longest, gap.nsecsElapsed() / 1000000);
            gap.restart();
            return false;
        }
    } watch;
    const double cpuBefore = CpuSecondsOfUs();
    QElapsedTimer clock;
    clock.start();
    window->btnRecordClick();
    watch.gap.start();
    app.installEventFilter(&watch);
    // The file device delivers faster than real time; the run ends when the input is used up.
    const qint64 expected = QFile(dir.filePath("input.raw")).size() / 4;
    RunUntil(
        [&] {
            return clock.elapsed() >= 600000 ||
                   QFileInfo(window->RecordFileName()).size() * 8 / 128000 * 44100 >= expected * 98 / 100;
        },
        50);
    app.removeEventFilter(&watch);
    const qint64 longest = watch.longest;
    window->btnStopClick();
    const double cpu = CpuSecondsOfUs() - cpuBefore;
    std::printf("recording %d min of audio into MP3 128 kbps: %.1f s wall, %.3f CPU s per second of audio, "
                "longest UI stall %lld ms\n",
                minutes, clock.elapsed() / 1000.0, cpu / (60.0 * minutes), longest);
    delete window;
    return 0;
}
