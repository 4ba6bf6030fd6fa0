// The player window's two long jobs, with the longest stall of the user-interface thread while
// each runs (a 1 ms timer measures the gaps between its ticks):
//  1. converting a 10-minute WAV to MP3 at 128 kbps through the window's conversion thread,
//     against the lame command line on the same file;
//  2. scanning a folder of 1,000 short MP3 files until every row has its duration.
#include "bench/BenchStall.h"
#include "bench/BenchWait.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/FormComponents.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "platform/FormResource.h"
#include "platform/PendingFile.h"
#include "platform/UserMessages.h"
#include "skin/SKRegister.h"
#include "tools/Convertor.h"
#include "tools/Player.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// Runs the event loop until `done`, returning the longest stall of this thread meanwhile.
qint64 LongestStall(const std::function<bool()>& done) {
    StallMeter meter;
    RunUntil(done);
    return meter.Worst();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterSkinControls();
    RegisterAudioComponents();
    RegisterDialogControls();
    using namespace GlobeVar;
    WavFreq = 44100, WavChannels = 2, WavSampleRate = 16;
    MP3Freq = 44100, MP3Channels = 2, MP3BitRate = 128, MP3MaxBitRate = 320, MP3EncoderQuality = 5;
    MP3VBREnable = false, MP3VBRHeader = false;
    ConvertSaveToOriginal = true;
    QTemporaryDir dir;

    // 1. Conversion.
    const QString source = dir.filePath("ten minutes.wav");
    WriteTone(source, "WAV", 600);
    double windowSeconds = 0;
    qint64 convertStall = 0;
    {
        TAudioFile2LameEnc lame;
        TAudioFile2 in, out;
        ConfigureConvertTarget(out, lame, "MP3");
        const QString target = ConvertTargetName(source, "MP3");
        QElapsedTimer clock;
        clock.start();
        TPendingFile output;
        if (!PrepareConversion(in, out, source, target, output).isEmpty()) return 1;
        bool finished = false;
        QObject window;
        TConvertor convertor(
            &in, &window, &out, [&] { finished = true; }, source);
        convertStall = LongestStall([&] { return finished; });
        windowSeconds = clock.elapsed() / 1000.0;
        convertor.WaitFor();
        if (!FinishConversion(convertor, false, output).isEmpty()) return 1;
    }
    QElapsedTimer lameClock;
    lameClock.start();
    QProcess::execute("lame", {"--silent", "--noreplaygain", "-b", "128", "--cbr", "-q", "5", source,
                               dir.filePath("cli.mp3")});
    const double lameSeconds = lameClock.elapsed() / 1000.0;
    std::printf("convert WAV->MP3 128 kbps, 10 min: window thread %.2f s, lame CLI %.2f s, throughput ratio "
                "%.3f, longest UI stall %lld ms\n",
                windowSeconds, lameSeconds, lameSeconds / windowSeconds,
                static_cast<long long>(convertStall));

    // 2. Scan of 1,000 short MP3 files.
    const QString folder = dir.filePath("many");
    QDir().mkpath(folder);
    const QString first = folder + "/t0000.mp3";
    WriteTone(first, "MP3", 3);
    for (int i = 1; i < 1000; ++i)
        QFile::copy(first, folder + QStringLiteral("/t%1.mp3").arg(i, 4, 10, QChar('0')));
    TScriptedMessages script;
    TfrmPlayer w;
    FormChild<TShellTreeView>(&w, QStringLiteral("STV"))->SelectFolder(folder);
    QElapsedTimer scanClock;
    scanClock.start();
    w.STVClick();
    const qint64 scanStall = LongestStall([&] { return !w.ScanRunning(); });
    const double scanSeconds = scanClock.elapsed() / 1000.0;
    auto* list = FormChild<QTreeWidget>(&w, QStringLiteral("lvPlayList"));
    int withDuration = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        withDuration += list->topLevelItem(i)->text(2).trimmed().isEmpty() ? 0 : 1;
    std::printf("scan of 1,000 MP3 files: %d rows with a duration in %.2f s, longest UI stall %lld ms\n",
                withDuration, scanSeconds, static_cast<long long>(scanStall));
    return 0;
}
