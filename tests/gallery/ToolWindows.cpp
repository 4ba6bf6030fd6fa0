// The file tools' windows: the splitter with its marks, a section left out, a selected row and a
// piece in progress; the joiner with both lists, the strip and a merge in progress.
#include "common/CommonWindows.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/TAudioPlayer2.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "skin/SKButton.h"
#include "skin/SKComboBox.h"
#include "skin/SKEdit.h"
#include "tests/devices/DeviceTestSupport.h"
#include "tests/gallery/Gallery.h"
#include "tests/tools/ToolTestFiles.h"
#include "tools/Joiner.h"
#include "tools/Splitter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

void Select(QTreeWidget* list, const std::vector<int>& rows) {
    list->clearSelection();
    for (int r : rows)
        list->topLevelItem(r)->setSelected(true);
}

} // namespace

TEST(ToolWindows, SplitterWithMarksDuringTheSplit) {
    TScriptedMessages script;
    RegisterCommonWindows();
    devtest::AlsaSandbox box;
    box.useConfig(devtest::AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    QTemporaryDir dir;
    tooltest::UseTestSettings(dir.path());
    // An MP3 source: its pieces are encoded again, so the run lasts while it is pictured.
    const QString source = dir.filePath("talk.mp3");
    tooltest::MakeSource(source, "MP3", 30.0, 440.0);
    TfrmSplitter w;
    w.create();
    w.SourceFileName = source;
    w.show();
    FormChild<TAudioPlayer2>(&w, "AP")->SetDevice(0);
    auto gotoTime = [&](int seconds) {
        FormChild<TskNumberEdit>(&w, "numGotoMin")->SetText("0");
        FormChild<TskNumberEdit>(&w, "numGotoSec")->SetText(QString::number(seconds));
        FormChild<TskNumberEdit>(&w, "numGotoMs")->SetText("0");
        w.btnGotoClick();
    };
    for (int s : {6, 14, 20, 26}) {
        gotoTime(s);
        w.btnAddTimeClick();
    }
    auto* rows = FormChild<QTreeWidget>(&w, "lvSplitList");
    rows->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    Select(rows, {3});
    w.lvSplitListClick();
    gotoTime(11);
    FormChild<TskRadioButton>(&w, "rb15x")->SetChecked(true);

    w.btnSplitClick();
    ASSERT_TRUE(
        devtest::waitFor([&] { return rows->topLevelItem(1)->text(4).startsWith("Splitting: "); }, 60000));
    gallery::SaveWindow(w, "Videzeva-Splitter-marks");
    w.btnCancelSplitClick();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Splitting(); }, 60000));
    w.hide();
}

TEST(ToolWindows, JoinerDuringAMerge) {
    TScriptedMessages script;
    RegisterCommonWindows();
    QTemporaryDir dir;
    tooltest::UseTestSettings(dir.path() + "/out");
    QDir().mkpath(dir.path() + "/out");
    tooltest::MakeSource(dir.filePath("a.wav"), "WAV", 2.0, 440.0);
    tooltest::MakeSource(dir.filePath("b.mp3"), "MP3", 1.5, 880.0, 22050, 1);
    tooltest::MakeSource(dir.filePath("c.ogg"), "OGG", 1.0, 1320.0, 48000, 2);
    tooltest::MakeSource(dir.filePath("long.wav"), "WAV", 40.0, 300.0);
    QFile damaged(dir.filePath("d.mp3"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(20000, '\x5a'));
    damaged.close();

    TfrmJoiner w;
    w.create();
    FormChild<TShellTreeView>(&w, "STV")->SelectFolder(dir.path());
    w.show();
    auto* files = FormChild<QTreeWidget>(&w, "lvFolderList");
    auto* joins = FormChild<QTreeWidget>(&w, "lvJoinList");
    ASSERT_TRUE(devtest::waitFor([&] { return !w.ScanRunning() && files->topLevelItemCount() == 5; }, 20000));
    FormChild<TskComboBox>(&w, "comboxJoinOutputFormat")->SetItemIndex(2);
    Select(files, {4, 0}); // long.wav, a.wav
    w.btnAddClick();
    w.btnStartMergeClick();
    ASSERT_TRUE(w.Merging());
    ASSERT_TRUE(
        devtest::waitFor([&] { return joins->topLevelItem(1)->text(4).startsWith("Merging: "); }, 60000));
    gallery::SaveWindow(w, "Videzeva-Joiner-list");
    w.btnCancelMergeClick();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Merging(); }, 60000));
    w.hide();
}
