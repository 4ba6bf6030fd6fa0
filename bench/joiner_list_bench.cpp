// The joiner's lists with a folder of 20,000 audio files (hard links of one short WAV file): the
// folder scan, then "Add all" into the join list, a second "Add all" (every file already listed)
// and "Remove all", each with the longest stall of the user-interface thread (a 1 ms timer
// measures the gaps between its ticks) and the time until the list is complete.
#include "bench/BenchStall.h"
#include "bench/BenchWait.h"
#include "common/CommonWindows.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "tools/Joiner.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

#include <unistd.h>

namespace {

constexpr int kFiles = 20000;

// Runs `step`, then the event loop until `done`; prints the time taken and the longest stall.
void Measure(const char* what, const std::function<void()>& step, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    qint64 stall = 0;
    {
        StallMeter meter;
        step();
        RunUntil(done);
        QCoreApplication::processEvents();
        stall = meter.Worst();
    }
    std::printf("%s: %.2f s, longest UI stall %lld ms\n", what, clock.elapsed() / 1000.0,
                static_cast<long long>(stall));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    RegisterCommonWindows();
    QTemporaryDir dir;
    const QString folder = dir.filePath("many");
    QDir().mkpath(folder);
    const QString one = dir.filePath("one.wav");
    GlobeVar::WavFreq = 44100, GlobeVar::WavChannels = 2, GlobeVar::WavSampleRate = 16;
    WriteTone(one, "WAV", 1);
    for (int i = 0; i < kFiles; ++i) {
        const QByteArray name =
            QFile::encodeName(folder + QStringLiteral("/take %1.wav").arg(i, 5, 10, QChar('0')));
        if (::link(QFile::encodeName(one).constData(), name.constData()) != 0) return 1;
    }
    GlobeVar::JoinOutputPath = dir.path();

    TScriptedMessages script; // no box waits for a user
    TfrmJoiner w;
    w.create();
    auto* files = FormChild<QTreeWidget>(&w, QStringLiteral("lvFolderList"));
    auto* joins = FormChild<QTreeWidget>(&w, QStringLiteral("lvJoinList"));
    Measure(
        "folder scan of 20,000 files",
        [&] {
            FormChild<TShellTreeView>(&w, QStringLiteral("STV"))->SelectFolder(folder);
            w.show();
        },
        [&] { return !w.ScanRunning() && files->topLevelItemCount() == kFiles; });
    Measure(
        "Add all, 20,000 rows", [&] { w.btnAddAllClick(); },
        [&] { return !w.AddingRows() && joins->topLevelItemCount() == kFiles; });
    Measure(
        "Add all again, 20,000 rows already listed", [&] { w.btnAddAllClick(); },
        [&] { return !w.AddingRows(); });
    std::printf("join list after both: %d rows\n", joins->topLevelItemCount());
    Measure(
        "Remove all, 20,000 rows", [&] { w.btnRemoveAllClick(); },
        [&] { return joins->topLevelItemCount() == 0; });
    w.close();
    return 0;
}
