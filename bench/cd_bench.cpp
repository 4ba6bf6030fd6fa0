// Rips a generated 10-minute disc image with the CD component and with the cd-paranoia tool, in
// precision mode (full paranoia) and in fast mode (paranoia off, cd-paranoia -Z), and prints the
// throughput ratios (ours / cd-paranoia's):
//   rip_precision_ratio=<x>
//   rip_fast_ratio=<x>
// Our rips write through a TAudioFile2 set to WAV, as the ripper does. Each rip runs three times;
// the fastest run of each counts. Needs cd-paranoia in the PATH.
#include "bench/BenchDrive.h"
#include "bench/BenchWait.h"
#include "components/TAudioCDGrabber2.h"
#include "components/TAudioFile2.h"
#include "platform/Application.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSectors = 75 * 60 * 10; // ten minutes
constexpr int kRuns = 3;

double ripOurs(TAudioCDGrabber2& grabber, int mode, const QString& out) {
    bool done = false;
    QObject::connect(&grabber, &TAudioCDGrabber2::OnOperationProgress, [&](double p) {
        if (p >= 100) done = true;
    });
    grabber.SetGrabMode(mode);
    grabber.SetSession(0);
    grabber.SetTrack(0);
    QElapsedTimer timer;
    timer.start();
    grabber.StartGrab(out);
    RunUntil([&] { return bool(done); }, 50);
    return timer.nsecsElapsed() / 1e9;
}

double ripTheirs(const QString& tool, const QStringList& extra, const QString& cue, const QString& out) {
    QProcess process;
    QStringList args = {QStringLiteral("-q")};
    args << extra << QStringLiteral("-d") << cue << QStringLiteral("-w") << QStringLiteral("1") << out;
    QElapsedTimer timer;
    timer.start();
    process.start(tool, args);
    process.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return -1;
    return seconds;
}

// The samples of a PCM WAV file: what follows its "data" chunk header.
QByteArray pcmOf(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray all = f.readAll();
    const int at = all.indexOf("data", 12);
    return at < 0 ? QByteArray() : all.mid(at + 8);
}

bool samePcm(const QString& a, const QString& b) {
    const QByteArray pa = pcmOf(a);
    return !pa.isEmpty() && pa == pcmOf(b);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("cd-paranoia"));
    if (tool.isEmpty()) {
        fprintf(stderr, "cd-paranoia is not installed (Debian package cd-paranoia)\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString cue = WriteBenchDisc(dir.path(), 1, kSectors, 440.0);
    if (!dir.isValid() || cue.isEmpty()) return 1;

    TAudioCDGrabber2 grabber;
    TAudioFile2 sink; // the ripper's audio-file object, set to WAV
    sink.EnableWMA(0);
    sink.SetWavFormat(44100, 2, 16);
    sink.ConnectTo(grabber.GetAudioFileLink());
    grabber.Initialize();
    grabber.SelectDrive(grabber.GetDriveCount());
    grabber.RefreshMedia();

    double ours[2] = {1e9, 1e9}, theirs[2] = {1e9, 1e9};
    const QString oursOut = dir.path() + QStringLiteral("/ours.wav");
    const QString theirsOut = dir.path() + QStringLiteral("/theirs.wav");
    bool equal = true;
    for (int run = 0; run < kRuns; ++run) {
        for (int fast = 0; fast < 2; ++fast) {
            const double o = ripOurs(grabber, fast ? 1 : 2, oursOut);
            const double t =
                ripTheirs(tool, fast ? QStringList{QStringLiteral("-Z")} : QStringList{}, cue, theirsOut);
            if (t < 0) {
                fprintf(stderr, "cd-paranoia failed on the image\n");
                return 1;
            }
            ours[fast] = std::min(ours[fast], o);
            theirs[fast] = std::min(theirs[fast], t);
            equal = equal && samePcm(oursOut, theirsOut);
        }
    }
    const double audioSeconds = kSectors / 75.0;
    printf("rip_precision_ours_s=%.3f\nrip_precision_cdparanoia_s=%.3f\n", ours[0], theirs[0]);
    printf("rip_fast_ours_s=%.3f\nrip_fast_cdparanoia_s=%.3f\n", ours[1], theirs[1]);
    printf("rip_precision_speed_x=%.1f\nrip_fast_speed_x=%.1f\n", audioSeconds / ours[0],
           audioSeconds / ours[1]);
    printf("rip_outputs_equal=%d\n", equal ? 1 : 0);
    printf("rip_precision_ratio=%.3f\n", theirs[0] / ours[0]);
    printf("rip_fast_ratio=%.3f\n", theirs[1] / ours[1]);
    sink.ConnectTo(nullptr);
    return 0;
}
