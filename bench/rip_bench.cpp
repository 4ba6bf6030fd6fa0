// Rips a generated 10-track, 40-minute disc image to MP3 (VBR quality 2) through the ripper's main
// window, as Extract does, in precision (secure) mode, and the same tracks with the cd-paranoia tool
// (full paranoia) each followed by `lame -V2`. Prints both times, their ratio (theirs / ours: above 1
// is faster than the tools) and the longest stall of the user-interface thread during our rip:
//   rip_mp3_ours_s=<s>
//   rip_mp3_tools_s=<s>
//   rip_mp3_ratio=<x>
//   rip_longest_ui_stall_ms=<ms>
// Needs cd-paranoia and lame in the PATH.
#include "bench/BenchDrive.h"
#include "bench/BenchStall.h"
#include "bench/BenchWait.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "platform/Application.h"
#include "ripper/Main.h"
#include "ripper/OptionsSettings.h"
#include "ripper/RGlobeVar.h"
#include "ripper/RProgress.h"
#include "ripper/RipperWindows.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// A choice from a drop-down list as the user makes it: the index, then the list's activation.
void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

constexpr int kTracks = 10;
constexpr int kTrackSectors = 75 * 60 * 4; // four minutes each

bool run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(-1);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    const QString paranoia = QStandardPaths::findExecutable(QStringLiteral("cd-paranoia"));
    const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
    if (paranoia.isEmpty() || lame.isEmpty()) {
        fprintf(stderr, "cd-paranoia and lame are needed (Debian packages cd-paranoia, lame)\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString cue = WriteBenchDisc(dir.path(), kTracks, kTrackSectors, 220.0);
    if (!dir.isValid() || cue.isEmpty()) return 1;
    GlobeVar::SettingsPath = dir.path() + QLatin1Char('/');

    // The tools: each track read with full paranoia into a WAV file, then encoded.
    QDir().mkpath(dir.path() + QStringLiteral("/tools"));
    QElapsedTimer clock;
    clock.start();
    for (int t = 1; t <= kTracks; ++t) {
        const QString wav = dir.path() + QStringLiteral("/tools/track%1.wav").arg(t);
        if (!run(paranoia, {QStringLiteral("-q"), QStringLiteral("-d"), cue, QString::number(t), wav}) ||
            !run(lame, {QStringLiteral("--quiet"), QStringLiteral("-V2"), wav,
                        dir.path() + QStringLiteral("/tools/track%1.mp3").arg(t)})) {
            fprintf(stderr, "cd-paranoia or lame failed on track %d\n", t);
            return 1;
        }
    }
    const double tools = clock.nsecsElapsed() / 1e9;

    // Ours: the main window's Extract with every track checked, precision grab, MP3 VBR 2.
    RegisterRipperWindows();
    Duzivuz::ApplyRipperOptionsToGlobals(Duzivuz::SetDefaultOptions());
    GlobeVar::MP3VBREnable = true;
    GlobeVar::MP3VBRQuality = 2;
    GlobeVar::MP3VBRHeader = true;
    GlobeVar::MP3MaxBitRate = 320;
    GlobeVar::MP3EncoderQuality = 3; // lame's own default algorithm quality
    GlobeVar::MP3Freq = 44100;
    GlobeVar::MP3Channels = 2;
    Duzivuz::TfrmMain main;
    Duzivuz::TfrmRProgress progress(&main);
    progress.SetMainWindow(&main);
    main.SetProgressWindow(&progress);
    main.create();
    progress.create();
    GlobeVar::SettingsPath = dir.path() + QLatin1Char('/');
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/ours/");
    RGlobeVar::ROutputFilename = 0; // track <number>
    QDir().mkpath(RGlobeVar::ROutPutPath);
    Choose(NativeCombo(main.findChild<QObject*>(QStringLiteral("cboxROutputFormat"))), 1);
    Choose(NativeCombo(main.findChild<QObject*>(QStringLiteral("cboxPriority"))), 1);
    if (main.CountCheckedRows() != kTracks) {
        fprintf(stderr, "the window lists %d tracks\n", main.CountCheckedRows());
        return 1;
    }
    clock.restart();
    qint64 worst = 0;
    {
        StallMeter meter;
        main.btnExtractClick();
        RunUntil([&] { return !main.Ripping(); });
        worst = meter.Worst();
    }
    const double ours = clock.nsecsElapsed() / 1e9;
    for (int t = 1; t <= kTracks; ++t) {
        const QFileInfo mp3(RGlobeVar::ROutPutPath +
                            QStringLiteral("track%1.mp3").arg(t, 2, 10, QLatin1Char('0')));
        if (!mp3.exists() || mp3.size() < 100000) {
            fprintf(stderr, "%s is missing or short\n", qPrintable(mp3.filePath()));
            return 1;
        }
    }
    printf("rip_mp3_ours_s=%.3f\nrip_mp3_tools_s=%.3f\nrip_mp3_ratio=%.3f\nrip_longest_ui_stall_ms=%lld\n",
           ours, tools, tools / ours, static_cast<long long>(worst));
    return 0;
}
