// The splitter's and joiner's long jobs through their windows, against ffmpeg doing the same
// decoding and libmp3lame encoding on the same inputs, with the longest stall of the
// user-interface thread while each runs (a 1 ms timer measures the gaps between its ticks):
//  1. a 60-minute file cut into 6 pieces: an MP3 source into MP3 pieces (the splitter writes the
//     source's format), and a WAV source into WAV pieces;
//  2. 10 six-minute WAV files merged into one MP3.
#include "bench/BenchStall.h"
#include "bench/BenchWait.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "recorder/RecorderWindows.h"
#include "skin/SKEdit.h"
#include "tools/Convertor.h"
#include "tools/Joiner.h"
#include "tools/MyTrackBar.h"
#include "tools/Splitter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

double Ffmpeg(const QStringList& arguments) {
    QElapsedTimer clock;
    clock.start();
    QProcess::execute("ffmpeg",
                      QStringList{"-nostdin", "-loglevel", "error", "-y", "-threads", "1"} + arguments);
    return clock.elapsed() / 1000.0;
}

// Splits `source` (60 minutes) at every 10 minutes through the splitter window.
void Split(const QString& source, const QString& label, const QString& folder,
           const QStringList& ffmpegCodec) {
    TScriptedMessages script;
    TfrmSplitter w;
    w.create();
    w.SourceFileName = source;
    w.show();
    for (int minute = 10; minute < 60; minute += 10) {
        FormChild<TskNumberEdit>(&w, QStringLiteral("numGotoMin"))->SetText(QString::number(minute));
        w.btnGotoClick();
        w.btnAddTimeClick();
    }
    QElapsedTimer clock;
    clock.start();
    qint64 stall = 0;
    {
        StallMeter meter;
        w.btnSplitClick();
        RunUntil([&] { return !w.Splitting(); });
        stall = meter.Worst();
    }
    const double ours = clock.elapsed() / 1000.0;
    const bool finished = script.Last() == QLatin1String("Split finished");
    w.close();
    const QString ext = QFileInfo(source).suffix();
    double theirs = 0;
    for (int k = 0; k < 6; ++k)
        theirs += Ffmpeg(QStringList{"-ss", QString::number(k * 600), "-t", "600", "-i", source} +
                         ffmpegCodec + QStringList{QStringLiteral("%1/ff%2.%3").arg(folder).arg(k).arg(ext)});
    std::printf(
        "split %s, 60 min into 6: window %.2f s%s, ffmpeg %.2f s, ratio %.3f, longest UI stall %lld ms\n",
        qPrintable(label), ours, finished ? "" : " (NOT FINISHED)", theirs, theirs / ours,
        static_cast<long long>(stall));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterRecorderWindows();
    using namespace GlobeVar;
    WavFreq = 44100, WavChannels = 2, WavSampleRate = 16;
    MP3Freq = 44100, MP3Channels = 2, MP3BitRate = 128, MP3MaxBitRate = 320, MP3EncoderQuality = 5;
    MP3VBREnable = false, MP3VBRHeader = false;
    QTemporaryDir dir;
    const QStringList lame{"-c:a", "libmp3lame", "-b:a", "128k", "-compression_level", "5"};

    // 1. Split.
    const QString pieces = dir.filePath("pieces");
    QDir().mkpath(pieces);
    SplitSaveToOriginal = false, SplitOverwrite = true, SplitOutputPath = pieces;
    const QString wav = dir.filePath("hour.wav");
    const QString mp3 = dir.filePath("hour.mp3");
    WriteTone(wav, "WAV", 3600);
    WriteTone(mp3, "MP3", 3600);
    Split(mp3, "MP3 -> MP3 128 kbps", pieces, lame);
    Split(wav, "WAV -> WAV", pieces, {"-c:a", "pcm_s16le"});

    // 2. Merge of 10 six-minute WAV files into one MP3.
    const QString inputs = dir.filePath("inputs");
    QDir().mkpath(inputs);
    QStringList ffmpegInputs;
    for (int i = 0; i < 10; ++i) {
        const QString file = inputs + QStringLiteral("/part%1.wav").arg(i);
        WriteTone(file, "WAV", 360, 300.0 + 50 * i);
        ffmpegInputs << "-i" << file;
    }
    const QString merged = dir.filePath("merged");
    QDir().mkpath(merged);
    JoinOutputPath = merged, JoinPreName = "Merged", JoinPosName = QString(), JoinUseDate = true;
    JoinOverwrite = true;
    TScriptedMessages script;
    TfrmJoiner w;
    w.create();
    FormChild<TShellTreeView>(&w, QStringLiteral("STV"))->SelectFolder(inputs);
    w.show();
    RunUntil([&] {
        return !w.ScanRunning() &&
               FormChild<QTreeWidget>(&w, QStringLiteral("lvFolderList"))->topLevelItemCount() >= 10;
    });
    w.btnAddAllClick();
    QElapsedTimer clock;
    clock.start();
    qint64 stall = 0;
    {
        StallMeter meter;
        w.btnStartMergeClick();
        RunUntil([&] { return !w.Merging(); });
        stall = meter.Worst();
    }
    const double ours = clock.elapsed() / 1000.0;
    const bool finished = script.Last() == QLatin1String("Merge finished");
    const double theirs = Ffmpeg(ffmpegInputs + QStringList{"-filter_complex", "concat=n=10:v=0:a=1"} + lame +
                                 QStringList{merged + "/ff.mp3"});
    std::printf(
        "merge 10 x 6 min WAV into MP3 128 kbps: window %.2f s%s, ffmpeg %.2f s, ratio %.3f, longest UI "
        "stall %lld ms\n",
        ours, finished ? "" : " (NOT FINISHED)", theirs, theirs / ours, static_cast<long long>(stall));
    return 0;
}
