// The splitter and joiner windows driven through their handlers, with real files, a file-backed
// playback device and the window's own components.
#include "common/CommonWindows.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioPlayer2.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "skin/SKButton.h"
#include "skin/SKComboBox.h"
#include "skin/SKEdit.h"
#include "tests/audiofile/AudioTestUtil.h"
#include "tests/devices/DeviceTestSupport.h"
#include "tests/support/ChildRun.h"
#include "tests/tools/ToolTestFiles.h"
#include "tools/Convertor.h"
#include "tools/Joiner.h"
#include "tools/MyTrackBar.h"
#include "tools/Splitter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

#include <signal.h>
#include <sys/wait.h>

using namespace audiotest;

namespace {

void Register() {
    static const bool done = [] {
        RegisterCommonWindows();
        return true;
    }();
    (void)done;
}

void MakeFile(const QString& file, const QString& word, double seconds, double hz, int rate = 44100,
              int channels = 2) {
    tooltest::MakeSource(file, word, seconds, hz, rate, channels);
}

// The strongest frequency of channel 0 between `from` and `to` frames, searched in 0.5 Hz steps
// around `near` (Goertzel).
double Dominant(const std::vector<int16_t>& s, int channels, int rate, int64_t from, int64_t to,
                double near) {
    double best = 0, bestPower = -1;
    for (double f = near * 0.9; f <= near * 1.1; f += 0.5) {
        const double w = 2 * M_PI * f / rate, c = 2 * std::cos(w);
        double s1 = 0, s2 = 0;
        for (int64_t i = from; i < to; ++i) {
            const double s0 = s[std::size_t(i * channels)] + c * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
        if (power > bestPower) bestPower = power, best = f;
    }
    return best;
}

template <class T> T* Get(QWidget& w, const char* name) {
    return FormChild<T>(&w, QString::fromLatin1(name));
}

QTreeWidget* List(QWidget& w, const char* name) {
    return Get<QTreeWidget>(w, name);
}

QStringList Column(QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

void SelectRows(QTreeWidget* list, const std::vector<int>& rows) {
    list->clearSelection();
    for (int r : rows)
        list->topLevelItem(r)->setSelected(true);
}

// Starts the split and handles the window's events until the run has ended.
void SplitToEnd(TfrmSplitter& w) {
    w.btnSplitClick();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Splitting(); }, 60000));
}

void GotoTime(TfrmSplitter& w, int minutes, int seconds, int ms) {
    Get<TskNumberEdit>(w, "numGotoMin")->SetText(QString::number(minutes));
    Get<TskNumberEdit>(w, "numGotoSec")->SetText(QString::number(seconds));
    Get<TskNumberEdit>(w, "numGotoMs")->SetText(QString::number(ms));
    w.btnGotoClick();
}

} // namespace

// Playback at 0.5 and 1.5 times through the window into a file-backed device: the sound is 2 and
// 2/3 times the source long, every block of it, at the source's pitch (within 1 %). A forward
// play of 300 ms plays all 300 ms and the bar returns where it began; a preview plays its section.
TEST(SplitterWindow, PlaysAtHalfAndOneAndAHalfSpeedWithItsPitch) {
    TScriptedMessages script;
    Register();
    devtest::AlsaSandbox box;
    const QString raw = box.path("out.raw");
    box.useConfig(devtest::AlsaSandbox::playbackDevice("vzout", raw, "File Output"));
    QTemporaryDir dir;
    tooltest::UseTestSettings(dir.path());
    const QString source = dir.filePath("tone.wav");
    MakeFile(source, "WAV", 2.0, 1000.0);

    TfrmSplitter w;
    w.create();
    w.SourceFileName = source;
    w.show();
    Get<TAudioPlayer2>(w, "AP")->SetDevice(0);
    ASSERT_EQ(w.Bar()->Max, 2000);
    const struct {
        const char* button;
        double factor;
    } speeds[] = {{"rb05x", 2.0}, {"rb15x", 2.0 / 3.0}};
    for (const auto& speed : speeds) {
        QFile::remove(raw);
        w.Bar()->SetPosition(0);
        Get<TskRadioButton>(w, speed.button)->SetChecked(true);
        ASSERT_TRUE(devtest::waitFor([&] { return w.Playing(); }, 5000)) << speed.button;
        ASSERT_TRUE(devtest::waitFor([&] { return !w.Playing(); }, 20000)) << speed.button;
        EXPECT_EQ(w.Bar()->Position, 2000) << "the end of the file";
        const std::vector<int16_t> played = devtest::readRaw(raw);
        const int64_t frames = int64_t(played.size()) / 2;
        EXPECT_NEAR(double(frames), 88200 * speed.factor, 2) << speed.button;
        EXPECT_NEAR(Dominant(played, 2, 44100, frames / 4, frames * 3 / 4, 1000.0), 1000.0, 10.0)
            << speed.button;
    }
    Get<TskRadioButton>(w, "rb1x")->SetChecked(true);
    QCoreApplication::processEvents();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Playing(); }, 20000));
    Get<TskCheckBox>(w, "cboxBackToStart")->SetChecked(true);
    Get<TskNumberEdit>(w, "numForward")->SetText("300");
    w.Bar()->SetPosition(500);
    QFile::remove(raw);
    w.btnPlayForwardClick();
    ASSERT_TRUE(w.Playing());
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Playing(); }, 20000));
    EXPECT_EQ(devtest::readRaw(raw).size() / 2, 13230u);
    EXPECT_EQ(w.Bar()->Position, 500);

    // A preview plays its section, shows it in the row and gives the buttons back at its end.
    GotoTime(w, 0, 1, 0);
    w.btnAddTimeClick();
    QTreeWidget* rows = List(w, "lvSplitList");
    SelectRows(rows, {1});
    QFile::remove(raw);
    w.btnPreviewClick();
    ASSERT_TRUE(w.Previewing());
    EXPECT_FALSE(Get<QWidget>(w, "btnAddTime")->isEnabled());
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Previewing(); }, 20000));
    EXPECT_NEAR(double(devtest::readRaw(raw).size() / 2), 44100, 441);
    EXPECT_EQ(rows->topLevelItem(1)->text(4), "");
    EXPECT_TRUE(Get<QWidget>(w, "btnPreview")->isVisible());
    EXPECT_TRUE(Get<QWidget>(w, "btnAddTime")->isEnabled());
    w.close();
}

// Split points placed through the goto edits and the add button, a middle section unticked, the
// split: two pieces holding 0-7.5 s and 7.5-12 s exactly, each row "Done" and "Split finished".
// Around it: a bar without split points starts nothing, row 0 cannot be removed, removing row 2
// joins it to row 1, every section unticked says "No section selected" and writes nothing, and a
// shorter file shown after a longer one ends at its own length.
TEST(SplitterWindow, SplitsTheTickedSectionsThroughItsHandlers) {
    TScriptedMessages script;
    Register();
    QTemporaryDir dir;
    tooltest::UseTestSettings(dir.path() + "/out");
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/out"));
    const QString source = dir.filePath("long.wav");
    MakeFile(source, "WAV", 12.0, 440.0);
    const QString shorter = dir.filePath("short.wav");
    MakeFile(shorter, "WAV", 5.0, 440.0);

    TfrmSplitter w;
    w.create();
    w.SourceFileName = source;
    w.show();
    QTreeWidget* rows = List(w, "lvSplitList");
    EXPECT_EQ(Get<QLabel>(w, "lbDuration")->text(), GlobeVar::MSecToMinSecStr(12000));
    ASSERT_EQ(rows->topLevelItemCount(), 1);
    SplitToEnd(w);
    EXPECT_TRUE(script.Log.isEmpty());
    EXPECT_TRUE(QDir(dir.path() + "/out").isEmpty());

    GotoTime(w, 0, 3, 0);
    w.btnAddTimeClick();
    GotoTime(w, 0, 7, 500);
    w.btnAddTimeClick();
    GotoTime(w, 0, 9, 0);
    w.btnAddTimeClick();
    ASSERT_EQ(rows->topLevelItemCount(), 4);
    EXPECT_EQ(Column(rows, 1),
              (QStringList{GlobeVar::MSecToMinSecStr(0), GlobeVar::MSecToMinSecStr(3000),
                           GlobeVar::MSecToMinSecStr(7500), GlobeVar::MSecToMinSecStr(9000)}));
    SelectRows(rows, {0});
    w.btnRemoveClick();
    EXPECT_EQ(rows->topLevelItemCount(), 4);
    SelectRows(rows, {3});
    w.btnRemoveClick();
    ASSERT_EQ(rows->topLevelItemCount(), 3);
    EXPECT_EQ(rows->topLevelItem(2)->text(2), GlobeVar::MSecToMinSecStr(12000));

    for (int r = 0; r < 3; ++r)
        rows->topLevelItem(r)->setCheckState(0, Qt::Unchecked);
    SplitToEnd(w);
    EXPECT_EQ(script.All(), QStringList{"No section selected"});
    EXPECT_TRUE(QDir(dir.path() + "/out").isEmpty());

    rows->topLevelItem(0)->setCheckState(0, Qt::Checked);
    rows->topLevelItem(2)->setCheckState(0, Qt::Checked);
    EXPECT_FALSE(w.Bar()->Marks[1].Use);
    // The window goes on handling events between blocks.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    SplitToEnd(w);
    ticker.stop();
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(script.All(), QStringList({"No section selected", "Split finished"}));
    EXPECT_EQ(Column(rows, 4), (QStringList{"Done", "", "Done"}));
    EXPECT_FALSE(w.Splitting());
    EXPECT_TRUE(Get<QWidget>(w, "btnSplit")->isVisible());
    const Decoded all = decodeAll(source);
    const Decoded first = decodeAll(dir.filePath("out/long-Splitted0.wav"));
    const Decoded second = decodeAll(dir.filePath("out/long-Splitted1.wav"));
    ASSERT_EQ(first.frames(), 330750);
    ASSERT_EQ(second.frames(), 198450);
    std::vector<int16_t> joined = first.samples;
    joined.insert(joined.end(), second.samples.begin(), second.samples.end());
    EXPECT_TRUE(joined == all.samples);

    w.close();
    w.SourceFileName = shorter;
    w.show();
    EXPECT_EQ(w.Bar()->Max, 5000);
    ASSERT_EQ(w.Bar()->Marks.size(), 2u);
    EXPECT_EQ(w.Bar()->Marks[1].Position, 5000);
    Get<TskNumberEdit>(w, "numGotoSec")->SetText("75");
    w.numGotoSecChange();
    EXPECT_EQ(Get<TskNumberEdit>(w, "numGotoSec")->Text(), "59");
    w.close();
}

// A cancel during the run keeps what was written of the piece in progress, marks its row
// "Canceled" and starts no other piece; closing during a run asks first, and "No" keeps the
// window and the run; a speed button starts no playback while it runs.
TEST(SplitterWindow, CancelAndCloseDuringTheRun) {
    TScriptedMessages script;
    Register();
    devtest::AlsaSandbox box;
    box.useConfig(devtest::AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    QTemporaryDir dir;
    tooltest::UseTestSettings(dir.path());
    // An MP3 source: its pieces are encoded again, so the run lasts while the window acts on it.
    const QString source = dir.filePath("talk.mp3");
    MakeFile(source, "MP3", 30.0, 440.0);
    TfrmSplitter w;
    w.create();
    w.SourceFileName = source;
    w.show();
    Get<TAudioPlayer2>(w, "AP")->SetDevice(0);
    for (int s : {6, 14, 20, 26}) {
        GotoTime(w, 0, s, 0);
        w.btnAddTimeClick();
    }
    QTreeWidget* rows = List(w, "lvSplitList");
    rows->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    SelectRows(rows, {3});
    w.lvSplitListClick();
    GotoTime(w, 0, 11, 0);

    // Close (answered "No") and take the picture as the second piece's progress is shown. Options
    // changed then (on the window's thread, as the settings window does) apply from the next run:
    // the third piece still does not replace the file of its name, in the folder the run began with.
    const QString taken = dir.filePath("talk-Splitted2.mp3");
    QFile takenFile(taken);
    ASSERT_TRUE(takenFile.open(QIODevice::WriteOnly));
    takenFile.write("kept");
    takenFile.close();
    const QString otherFolder = dir.filePath("other");
    bool asked = false, stillOpen = false, playedDuringRun = false;
    auto probe = QObject::connect(rows->model(), &QAbstractItemModel::dataChanged, [&] {
        playedDuringRun = playedDuringRun || w.Playing();
        if (rows->topLevelItem(1)->text(4).startsWith("Splitting: ") && !asked) {
            asked = true;
            GlobeVar::SplitOverwrite = true;
            GlobeVar::SplitOutputPath = otherFolder;
            GlobeVar::MP3Channels = 1;
            Get<TskRadioButton>(w, "rb15x")->SetChecked(true); // no playback starts during the run
            w.close();
            stillOpen = w.isVisible() && w.Splitting();
        }
    });
    SplitToEnd(w);
    QObject::disconnect(probe);
    EXPECT_TRUE(asked);
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(playedDuringRun);
    EXPECT_EQ(script.All(),
              QStringList({"Splitting in progress, do you want to cancel ?", "Split finished"}));
    ASSERT_TRUE(takenFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(takenFile.readAll(), QByteArray("kept"));
    takenFile.close();
    EXPECT_EQ(decodeAll(dir.filePath("talk-Splitted2 New.mp3")).channels, 2);
    EXPECT_FALSE(QFileInfo::exists(otherFolder));
    tooltest::UseTestSettings(dir.path());

    for (const QString& f : QDir(dir.path()).entryList({"talk-Splitted*"}))
        QFile::remove(dir.filePath(f));
    script.Clear();
    // The piece being written stands under its name only once it has ended (here: on the cancel).
    // Looked at once, as the second piece first shows its progress: after the cancel the row may
    // change again before the job has ended, by which time the piece is rightly in place.
    bool nameWhileWritten = true, cancelled = false;
    auto cancel = QObject::connect(rows->model(), &QAbstractItemModel::dataChanged, [&] {
        if (!cancelled && rows->topLevelItem(1)->text(4).startsWith("Splitting: ") && w.Splitting()) {
            cancelled = true;
            nameWhileWritten = QFile::exists(dir.filePath("talk-Splitted1.mp3"));
            w.btnCancelSplitClick();
        }
    });
    SplitToEnd(w);
    QObject::disconnect(cancel);
    EXPECT_TRUE(script.Log.isEmpty());
    EXPECT_EQ(Column(rows, 4), (QStringList{"Done", "Canceled", "", "", ""}));
    EXPECT_FALSE(nameWhileWritten);
    EXPECT_TRUE(QFile::exists(dir.filePath("talk-Splitted0.mp3")));
    const Decoded kept = decodeAll(dir.filePath("talk-Splitted1.mp3"));
    EXPECT_GT(kept.frames(), 0);
    EXPECT_LT(kept.frames(), 14 * 44100);
    EXPECT_FALSE(QFile::exists(dir.filePath("talk-Splitted2.mp3")));

    // "Yes" cancels and the window closes once the run has ended.
    script.Otherwise = true;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (w.ProgressRow() >= 0) w.close();
    });
    closer.start(0);
    SplitToEnd(w);
    closer.stop();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.Splitting());
}

namespace {

struct JoinerFolder {
    QTemporaryDir dir;
    QString a, b, c;
    JoinerFolder() {
        tooltest::UseTestSettings(dir.path() + "/out"); // stored without its trailing "/"
        QDir().mkpath(dir.path() + "/out");
        a = dir.filePath("a.wav");
        b = dir.filePath("b.mp3");
        c = dir.filePath("c.ogg");
        MakeFile(a, "WAV", 2.0, 440.0);
        MakeFile(b, "MP3", 1.5, 880.0, 22050, 1);
        MakeFile(c, "OGG", 1.0, 1320.0, 48000, 2);
        QFile text(dir.filePath("notes.txt"));
        text.open(QIODevice::WriteOnly);
        text.write("not audio");
    }
};

void ShowOn(TfrmJoiner& w, const QString& folder) {
    w.create();
    Get<TShellTreeView>(w, "STV")->SelectFolder(folder);
    w.show();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.ScanRunning(); }, 20000));
}

QStringList Outputs(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

} // namespace

// The folder list shows the folder's audio files; the join list takes them once each, orders them
// (a block stops at the list's end and keeps its order) and sums the ticked ones in the strip. The
// merge of a WAV, a mono 22 kHz MP3 and a 48 kHz OGG into one MP3 is as long as the three together
// and keeps each part's tone; a file deleted after it was added is left out, and fewer than two
// files start nothing.
TEST(JoinerWindow, MergesTheTickedFilesInOrder) {
    TScriptedMessages script;
    Register();
    JoinerFolder folder;
    TfrmJoiner w;
    ShowOn(w, folder.dir.path());
    QTreeWidget* files = List(w, "lvFolderList");
    QTreeWidget* joins = List(w, "lvJoinList");
    ASSERT_TRUE(devtest::waitFor([&] { return files->topLevelItemCount() == 3; }, 20000));
    EXPECT_EQ(Column(files, 0), (QStringList{"a.wav", "b.mp3", "c.ogg"}));
    EXPECT_EQ(Column(files, 1), (QStringList{"WAV", "MP3", "OGG"}));

    SelectRows(files, {1});
    w.lvFolderListClick();
    EXPECT_FALSE(w.InfoLine(0).isEmpty());
    w.btnAddClick();
    w.btnAddAllClick();
    w.btnAddAllClick();
    ASSERT_EQ(Column(joins, 0), (QStringList{folder.b, folder.a, folder.c}));
    EXPECT_TRUE(
        w.InfoLine(1).startsWith("3 files in list, 3 files selected, selected duration is approximately: "))
        << w.InfoLine(1).toStdString();
    SelectRows(joins, {0, 1});
    w.btnUpClick();
    EXPECT_EQ(Column(joins, 0), (QStringList{folder.b, folder.a, folder.c}));
    w.btnDownClick();
    w.btnDownClick();
    EXPECT_EQ(Column(joins, 0), (QStringList{folder.c, folder.b, folder.a}));
    SelectRows(joins, {2});
    w.btnFirstClick();
    SelectRows(joins, {1, 2});
    w.btnLastClick();
    ASSERT_EQ(Column(joins, 0), (QStringList{folder.a, folder.c, folder.b}));
    SelectRows(joins, {2});
    w.btnUpClick();
    ASSERT_EQ(Column(joins, 0), (QStringList{folder.a, folder.b, folder.c}));

    joins->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    joins->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(w.BuildInfoText().startsWith("3 files in list, 1 file selected"));
    w.btnStartMergeClick();
    EXPECT_FALSE(w.Merging());
    EXPECT_TRUE(Outputs(folder.dir.path() + "/out").isEmpty());
    joins->topLevelItem(1)->setCheckState(0, Qt::Checked);
    joins->topLevelItem(2)->setCheckState(0, Qt::Checked);

    w.btnStartMergeClick();
    ASSERT_TRUE(w.Merging());
    EXPECT_FALSE(Get<QWidget>(w, "lvJoinList")->isEnabled());
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Merging(); }, 60000));
    EXPECT_EQ(script.Last(), "Merge finished");
    EXPECT_EQ(Column(joins, 4), (QStringList{"Done", "Done", "Done"}));
    EXPECT_TRUE(w.OutputFile().startsWith(folder.dir.path() + "/out/Merged "))
        << w.OutputFile().toStdString();
    const QString first = w.OutputFile();
    const Decoded merged = decodeAll(first);
    ASSERT_EQ(merged.rate, 44100);
    EXPECT_NEAR(double(merged.frames()), 4.5 * 44100, 1152 * 2);
    EXPECT_NEAR(Dominant(merged.samples, 2, 44100, 22050, 66150, 440.0), 440.0, 4.4);
    EXPECT_NEAR(Dominant(merged.samples, 2, 44100, 99225, 143325, 880.0), 880.0, 8.8);
    EXPECT_NEAR(Dominant(merged.samples, 2, 44100, 163170, 185220, 1320.0), 1320.0, 13.2);

    // A file gone from the disk is left out: the merge holds the other two.
    QFile::remove(folder.b);
    script.Clear();
    w.btnStartMergeClick();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Merging(); }, 60000));
    EXPECT_EQ(script.Last(), "Merge finished");
    EXPECT_NE(w.OutputFile(), first) << "a name in use gets \" New\"";
    EXPECT_NEAR(double(decodeAll(w.OutputFile()).frames()), 3.0 * 44100, 1152 * 2);
    QFile::remove(folder.c);
    const QStringList before = Outputs(folder.dir.path() + "/out");
    w.btnStartMergeClick();
    EXPECT_FALSE(w.Merging());
    EXPECT_EQ(Outputs(folder.dir.path() + "/out"), before);
    w.close();
}

// A cancel keeps what was written and says nothing of a finished merge; closing during a merge asks
// first; a damaged input stops the merge with a message naming it, marks its row and leaves no
// output behind; an output that cannot be created starts nothing.
TEST(JoinerWindow, CancelCloseAndADamagedInput) {
    TScriptedMessages script;
    Register();
    JoinerFolder folder;
    const QString longer = folder.dir.filePath("long.wav");
    MakeFile(longer, "WAV", 40.0, 300.0);
    QFile damaged(folder.dir.filePath("d.mp3"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(20000, '\x5a'));
    damaged.close();
    TfrmJoiner w;
    ShowOn(w, folder.dir.path());
    QTreeWidget* files = List(w, "lvFolderList");
    QTreeWidget* joins = List(w, "lvJoinList");
    ASSERT_TRUE(devtest::waitFor([&] { return files->topLevelItemCount() == 5; }, 20000));
    Get<TskComboBox>(w, "comboxJoinOutputFormat")->SetItemIndex(2);
    SelectRows(files, {4, 0}); // long.wav, a.wav
    w.btnAddClick();
    ASSERT_EQ(Column(joins, 0), (QStringList{folder.a, longer}));

    w.btnStartMergeClick();
    ASSERT_TRUE(w.Merging());
    w.close();
    EXPECT_EQ(script.Last(), "Merging in progress, do you want to cancel ?");
    EXPECT_TRUE(w.isVisible());
    ASSERT_TRUE(
        devtest::waitFor([&] { return joins->topLevelItem(1)->text(4).startsWith("Merging: "); }, 60000));
    w.btnCancelMergeClick();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Merging(); }, 60000));
    EXPECT_EQ(script.All(), QStringList{"Merging in progress, do you want to cancel ?"});
    EXPECT_EQ(Column(joins, 4), (QStringList{"Done", "Canceled"}));
    ASSERT_TRUE(w.OutputFile().endsWith(".ogg"));
    const Decoded kept = decodeAll(w.OutputFile());
    EXPECT_GT(kept.frames(), 2 * 44100);
    EXPECT_LT(kept.frames(), 42 * 44100);

    w.btnRemoveAllClick();
    SelectRows(files, {0, 3}); // a.wav, d.mp3
    w.btnAddClick();
    w.btnStartMergeClick();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Merging(); }, 60000));
    EXPECT_TRUE(script.Last().contains(folder.dir.filePath("d.mp3"))) << script.Last().toStdString();
    EXPECT_EQ(Column(joins, 4), (QStringList{"Done", "Failed"}));
    EXPECT_FALSE(QFile::exists(w.OutputFile()));

    // An output folder that cannot be written: one message, nothing starts.
    GlobeVar::JoinOutputPath = folder.dir.filePath("missing/folder");
    w.btnStartMergeClick();
    EXPECT_FALSE(w.Merging());
    EXPECT_TRUE(script.Last().startsWith("Unable to create " + GlobeVar::JoinOutputPath + "/Merged "))
        << script.Last().toStdString();
    EXPECT_TRUE(Get<QWidget>(w, "btnStartMerge")->isVisible());
    w.close();
    EXPECT_FALSE(w.isVisible());
}

// "Add all" on a big folder fills the join list a slice at a time: the window goes on meanwhile, a
// second "Add all" and an "Add" of a row on its way add nothing twice, the rows keep the folder's
// order, and "Remove all" also drops the rows still on their way.
TEST(JoinerWindow, AddingManyRowsListsEachOnceInFolderOrder) {
    Register();
    JoinerFolder folder;
    const QString many = folder.dir.filePath("many");
    QDir().mkpath(many);
    constexpr int kFiles = 6000;
    QStringList names;
    for (int i = 0; i < kFiles; ++i) {
        // Empty files: listed (with no duration) without the work of analysing audio.
        names << many + QStringLiteral("/t%1.wav").arg(i, 4, 10, QChar('0'));
        QFile empty(names.last());
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    }
    TfrmJoiner w;
    ShowOn(w, many);
    QTreeWidget* files = List(w, "lvFolderList");
    QTreeWidget* joins = List(w, "lvJoinList");
    ASSERT_TRUE(
        devtest::waitFor([&] { return !w.ScanRunning() && files->topLevelItemCount() == kFiles; }, 60000));
    w.btnAddAllClick();
    SelectRows(files, {kFiles - 1});
    w.btnAddClick();
    w.btnAddAllClick();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.AddingRows(); }, 60000));
    EXPECT_EQ(Column(joins, 0), names);
    EXPECT_TRUE(w.BuildInfoText().startsWith("6000 files in list, 6000 files selected"));

    w.btnRemoveAllClick();
    w.btnAddAllClick();
    w.btnRemoveAllClick();
    QTest::qWait(100);
    EXPECT_EQ(joins->topLevelItemCount(), 0);
    EXPECT_FALSE(w.AddingRows());

    // Rows still on their way when another folder is chosen (its scan empties the folder list)
    // all arrive.
    w.btnAddAllClick();
    ASSERT_TRUE(w.AddingRows());
    Get<TShellTreeView>(w, "STV")->SelectFolder(folder.dir.path());
    w.STVClick();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.ScanRunning() && !w.AddingRows(); }, 60000));
    EXPECT_NE(w.CurrentFolder(), many + "/");
    EXPECT_EQ(Column(joins, 0), names);
    w.close();
}

// A merge killed with its program leaves no file under the output's name; one whose output folder
// disappears while it runs says that it failed, naming the output, instead of "Merge finished".
// The program killed is this test program started afresh (a forked copy would inherit the image
// drawing's thread pool without its threads, and wait on them for ever once earlier tests used it).
TEST(JoinerWindow, AKilledOrOrphanedMergeLeavesNoFileUnderItsName) {
    Register();
    auto merge = [&](TfrmJoiner& w, const QString& path) {
        ShowOn(w, path);
        QTreeWidget* files = List(w, "lvFolderList");
        ASSERT_TRUE(devtest::waitFor([&] { return files->topLevelItemCount() == 4; }, 20000));
        SelectRows(files, {3, 0}); // long.wav, a.wav
        w.btnAddClick();
        w.btnStartMergeClick();
        ASSERT_TRUE(w.Merging());
    };
    const QString mergingIn = qEnvironmentVariable("JOINER_TEST_MERGE_IN");
    if (!mergingIn.isEmpty()) {
        tooltest::UseTestSettings(mergingIn + "/out");
        TfrmJoiner w;
        merge(w, mergingIn);
        QEventLoop().exec();
        return;
    }
    TScriptedMessages script;
    JoinerFolder folder;
    const QString out = folder.dir.filePath("out");
    const QString longer = folder.dir.filePath("long.wav");
    MakeFile(longer, "WAV", 120.0, 300.0);
    QProcess child; // killed and waited for if the test ends early
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("JOINER_TEST_MERGE_IN", folder.dir.path());
    child.setProcessEnvironment(env);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=JoinerWindow.AKilledOrOrphanedMergeLeavesNoFileUnderItsName"});
    ASSERT_TRUE(child.waitForStarted(10000));
    auto hidden = [&] { return QDir(out).entryInfoList({".Merged *.part"}, QDir::Files | QDir::Hidden); };
    ASSERT_TRUE(
        devtest::waitFor([&] { return !hidden().isEmpty() && hidden().first().size() > 300000; }, 30000));
    child.kill();
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(Outputs(out), QStringList());
    EXPECT_EQ(hidden().size(), 1);

    TfrmJoiner w;
    merge(w, folder.dir.path());
    QTreeWidget* joins = List(w, "lvJoinList");
    ASSERT_TRUE(
        devtest::waitFor([&] { return joins->topLevelItem(1)->text(4).startsWith("Merging: "); }, 60000));
    ASSERT_TRUE(QDir(out).removeRecursively());
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Merging(); }, 60000));
    EXPECT_EQ(script.All().size(), 1) << script.All().join('|').toStdString();
    EXPECT_TRUE(script.Last().startsWith("Unable to write to " + out + "/Merged "))
        << script.Last().toStdString();
    EXPECT_FALSE(QFileInfo::exists(w.OutputFile()));
    w.close();
}

// The folder tree opens on the folder it is shown with, scrolled into view, even when that folder
// lies deep among many siblings that the tree reads only after the window is shown.
TEST(JoinerWindow, TreeOpensScrolledToItsFolder) {
    Register();
    JoinerFolder folder;
    for (int i = 0; i < 120; ++i)
        QDir().mkpath(folder.dir.filePath(QStringLiteral("d%1").arg(i, 3, 10, QChar('0'))));
    const QString target = folder.dir.filePath("d100/inner");
    // The folder holds a folder of its own, which the tree reads when it opens the folder.
    QDir().mkpath(target + QStringLiteral("/sub"));
    TfrmJoiner w;
    ShowOn(w, target);
    auto* tree = Get<TShellTreeView>(w, "STV");
    EXPECT_EQ(tree->SelectedFolder(), target);
    const auto inView = [&] {
        const QRect shown = tree->visualRect(tree->currentIndex());
        return !shown.isEmpty() && tree->viewport()->rect().contains(shown.center());
    };
    EXPECT_TRUE(devtest::waitFor(inView, 5000));
    // It stays there while the tree reads the folders it has not yet read.
    QTest::qWait(300);
    EXPECT_TRUE(inView());
    w.close();
}
