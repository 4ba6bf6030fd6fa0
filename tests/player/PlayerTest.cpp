// The player window built from its form description: the folder scan, conversion through the
// window, rename and delete, driven through its handlers and controls with real files.
#include "tools/Player.h"
#include "common/CommonWindows.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/FormComponents.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "platform/FileNames.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "skin/SKRegister.h"
#include "tests/audiofile/AudioTestUtil.h"
#include "tests/support/ChildRun.h"
#include "tools/Convertor.h"
#include "tools/Joiner.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace audiotest;

namespace {

void MakeFile(const QString& file, const QString& word, double seconds) {
    TAudioFile2LameEnc lame;
    TAudioFile2 out;
    ConfigureConvertTarget(out, lame, word);
    out.CreateWrite(file, 0);
    ASSERT_EQ(out.GetLastError(), 0);
    out.SetInputFormat(44100, 2);
    writeBlocks(out, tone(44100, 2, int64_t(44100 * seconds), 440.0, 0.4), 2, 11025);
    out.Close();
}

void WriteBytes(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class PlayerWindow : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSkinControls();
        RegisterAudioComponents();
        RegisterDialogControls();
        ASSERT_TRUE(dir.isValid());
        using namespace GlobeVar;
        WavFreq = 44100, WavChannels = 2, WavSampleRate = 16;
        MP3Freq = 44100, MP3Channels = 2, MP3BitRate = 128, MP3MaxBitRate = 320, MP3EncoderQuality = 5;
        MP3VBRQuality = 2, MP3VBREnable = true, MP3VBRHeader = true;
        OggFreq = 44100, OggChannels = 2, OggBitRate = 699;
        WmaFormat = 15;
        ConvertSaveToOriginal = true;
        ConvertOverwrite = false;
        ConvertOutputPath = dir.path() + "/";
        OutputPath = dir.path() + "/";
    }

    QTreeWidget* list(TfrmPlayer& w) { return FormChild<QTreeWidget>(&w, QStringLiteral("lvPlayList")); }
    TShellTreeView* tree(TfrmPlayer& w) { return FormChild<TShellTreeView>(&w, QStringLiteral("STV")); }
    void WaitScan(TfrmPlayer& w) {
        QElapsedTimer clock;
        clock.start();
        while (w.ScanRunning() && clock.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_FALSE(w.ScanRunning());
    }
    // Shows `folder` in the window and waits for its scan.
    void ShowFolder(TfrmPlayer& w, const QString& folder) {
        tree(w)->SelectFolder(folder);
        w.STVClick();
        WaitScan(w);
    }
    QTreeWidgetItem* row(TfrmPlayer& w, const QString& name) {
        auto found = list(w)->findItems(name, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.first();
    }
    void Select(TfrmPlayer& w, const QString& name) {
        QTreeWidgetItem* item = row(w, name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        list(w)->setCurrentItem(item);
        w.lvPlayListClick();
    }
    QStringList Names(TfrmPlayer& w) {
        QStringList names;
        for (int i = 0; i < list(w)->topLevelItemCount(); ++i)
            names << list(w)->topLevelItem(i)->text(0);
        return names;
    }

    QTemporaryDir dir;
    TScriptedMessages script;
};

} // namespace

// The window's shape leaves its rounded corners out, and pressing its title lands on the shape,
// which drags the window.
TEST_F(PlayerWindow, ShapeLeavesOutTheCornersAndTheTitleLandsOnIt) {
    TfrmPlayer w;
    w.create();
    w.show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(w.mask().contains(QPoint(716, 549)));
    EXPECT_TRUE(w.mask().contains(QPoint(358, 275)));
    EXPECT_TRUE(w.childAt(200, 15)->inherits("TskSkinForm"));
}

TEST_F(PlayerWindow, ScanListsRealFilesAndDamagedOnesAndRestartsOnASecondClick) {
    const QString music = dir.filePath("music");
    QDir().mkpath(music);
    MakeFile(music + "/b tone.wav", "WAV", 2.0);
    MakeFile(music + "/a tone.mp3", "MP3", 1.5);
    MakeFile(music + "/c tone.ogg", "OGG", 3.0);
    MakeFile(music + "/d tone.wma", "WMA", 1.0);
    WriteBytes(music + "/damaged.mp3", QByteArray(5000, '\x55'));
    WriteBytes(music + "/empty.wav", QByteArray());
    WriteBytes(music + "/notes.txt", "not audio");
    QDir().mkpath(music + "/x.mp3");
    const QString locked = music + "/locked.ogg";
    MakeFile(locked, "OGG", 0.5);
    QFile::setPermissions(locked, QFileDevice::Permissions());

    TfrmPlayer w;
    ShowFolder(w, music);
    EXPECT_EQ(w.CurrentFolder(), music + "/");
    EXPECT_EQ(Names(w), QStringList({"a tone.mp3", "b tone.wav", "c tone.ogg", "d tone.wma", "damaged.mp3",
                                     "empty.wav", "locked.ogg"}));
    auto cells = [&](const QString& name) {
        QTreeWidgetItem* item = row(w, name);
        return item ? QStringList{item->text(1), item->text(2)} : QStringList{};
    };
    EXPECT_EQ(cells("a tone.mp3"), QStringList({"MP3", GlobeVar::MSecToTimeStr(1500)}));
    EXPECT_EQ(cells("b tone.wav"), QStringList({"WAV", GlobeVar::MSecToTimeStr(2000)}));
    EXPECT_EQ(cells("c tone.ogg"), QStringList({"OGG", GlobeVar::MSecToTimeStr(3000)}));
    EXPECT_EQ(cells("d tone.wma")[0], "WMA");
    EXPECT_FALSE(cells("d tone.wma")[1].isEmpty());
    EXPECT_EQ(cells("damaged.mp3"), QStringList({"MP3", ""}));
    EXPECT_EQ(cells("empty.wav"), QStringList({"WAV", ""}));
    if (geteuid() != 0) {
        EXPECT_EQ(cells("locked.ogg"), QStringList({"OGG", ""}));
    }
    // Sorting by size, then by format.
    w.lvPlayListColumnClick(3);
    EXPECT_EQ(Names(w).first(), "empty.wav");
    w.lvPlayListColumnClick(1);
    EXPECT_EQ(row(w, "a tone.mp3")->text(1), list(w)->topLevelItem(0)->text(1));

    // A folder of many files, then a click on another folder while it is read: the scan starts
    // over there and the list holds the second folder alone.
    const QString many = dir.filePath("many");
    QDir().mkpath(many);
    for (int i = 0; i < 300; ++i)
        QFile::copy(music + "/a tone.mp3", many + QStringLiteral("/t%1.mp3").arg(i, 3, 10, QChar('0')));
    tree(w)->SelectFolder(many);
    w.STVClick();
    EXPECT_TRUE(w.ScanRunning());
    tree(w)->SelectFolder(music);
    w.STVClick();
    WaitScan(w);
    EXPECT_EQ(w.CurrentFolder(), music + "/");
    EXPECT_EQ(list(w)->topLevelItemCount(), 7);
    // And every later click still works.
    tree(w)->SelectFolder(many);
    w.STVClick();
    WaitScan(w);
    EXPECT_EQ(list(w)->topLevelItemCount(), 300);
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(PlayerWindow, ConversionFollowsItsRowAndOtherFoldersAddNoRow) {
    const QString music = dir.filePath("music");
    QDir().mkpath(music);
    MakeFile(music + "/a first.wav", "WAV", 1.0);
    MakeFile(music + "/b long.wav", "WAV", 40.0);
    TfrmPlayer w;
    ShowFolder(w, music);
    ASSERT_EQ(list(w)->topLevelItemCount(), 2);

    // A recording made in another folder gets no row here.
    MakeFile(dir.filePath("elsewhere.wav"), "WAV", 0.2);
    w.AddFileToList(dir.filePath("elsewhere.wav"), true);
    EXPECT_EQ(list(w)->topLevelItemCount(), 2);

    Select(w, "b long.wav");
    w.muConverttoOGGClick();
    ASSERT_TRUE(w.Converting());
    EXPECT_EQ(w.ConvertingRow(), 1);
    // Deleting the row above the converting one: progress stays on "b long.wav".
    Select(w, "a first.wav");
    w.muDeleteClick();
    EXPECT_FALSE(QFile::exists(music + "/a first.wav"));
    EXPECT_EQ(w.ConvertingRow(), 0);
    QElapsedTimer clock;
    clock.start();
    while (w.Converting() && clock.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (w.Converting() && w.ConvertingRow() >= 0) {
            QTreeWidgetItem* converting = list(w)->topLevelItem(w.ConvertingRow());
            ASSERT_EQ(converting->text(0), "b long.wav");
        }
    }
    ASSERT_FALSE(w.Converting());
    EXPECT_EQ(w.ConvertingRow(), -1);
    // The target is in the folder shown: it is listed, and the source row is plain again.
    EXPECT_EQ(Names(w), QStringList({"b long.ogg", "b long.wav"}));
    EXPECT_EQ(row(w, "b long.wav")->text(4), "");
    EXPECT_EQ(GlobeVar::CountBlanks(row(w, "b long.wav")->text(2)), 0);
    EXPECT_NEAR(double(decodeAll(music + "/b long.ogg").frames()), 44100.0 * 40, 10);

    // A second conversion into OGG names its target " New"; closing the window while it runs
    // waits for the worker and leaves no partial file.
    Select(w, "b long.wav");
    w.muConverttoOGGClick();
    ASSERT_TRUE(w.Converting());
    while (row(w, "b long.wav")->text(4).isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(row(w, "b long.wav")->text(4).startsWith("Converting "));
    EXPECT_EQ(GlobeVar::CountBlanks(row(w, "b long.wav")->text(2)), 3);
    // Written under a hidden name until it has ended well.
    EXPECT_FALSE(QFile::exists(music + "/b long New.ogg"));
    // The close question: No keeps the window and the conversion, Yes cancels and waits.
    script.Clear();
    script.Answers = {false, true};
    w.show();
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.Converting());
    w.close();
    EXPECT_EQ(script.Asked(), QStringList(2, "Converting in progress, do you want to cancel ?"));
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.Converting());
    EXPECT_FALSE(QFile::exists(music + "/b long New.ogg"));
    EXPECT_TRUE(QFile::exists(music + "/b long.wav"));
}

// A conversion killed with its program leaves no file under the target's name, so the next scan
// lists nothing half-written; one whose folder disappears while it runs says that it failed,
// naming the target, instead of ending as if it had written it.
TEST_F(PlayerWindow, AKilledOrOrphanedConversionLeavesNoFileUnderItsName) {
    const QString music = dir.filePath("music");
    QDir().mkpath(music);
    MakeFile(music + "/long.wav", "WAV", 120.0);
    const pid_t child = startChild([&] {
        TfrmPlayer w;
        ShowFolder(w, music);
        Select(w, "long.wav");
        w.muConverttoMP3Click();
        QEventLoop().exec();
    });
    ASSERT_GT(child, 0);
    ChildReaper reaper{child}; // a child that never got to its conversion goes too
    auto hidden = [&] { return QDir(music).entryInfoList({".long.mp3.*.part"}, QDir::Files | QDir::Hidden); };
    QElapsedTimer clock;
    clock.start();
    while ((hidden().isEmpty() || hidden().first().size() < 100000) && clock.elapsed() < 30000)
        QThread::msleep(10);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    reaper.pid = -1;
    ASSERT_EQ(hidden().size(), 1) << "the child did not convert";
    EXPECT_GE(hidden().first().size(), 100000);
    EXPECT_FALSE(QFileInfo::exists(music + "/long.mp3"));
    TfrmPlayer w;
    ShowFolder(w, music);
    EXPECT_EQ(Names(w), QStringList({"long.wav"}));

    const QString out = dir.filePath("out");
    QDir().mkpath(out);
    GlobeVar::ConvertSaveToOriginal = false;
    GlobeVar::ConvertOutputPath = out + "/";
    Select(w, "long.wav");
    w.muConverttoOGGClick();
    ASSERT_TRUE(w.Converting());
    while (w.Converting() && row(w, "long.wav")->text(4).isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_TRUE(QDir(out).removeRecursively());
    QDir().mkpath(out); // another folder of the same name
    while (w.Converting())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(script.All().size(), 1) << script.All().join('|').toStdString();
    EXPECT_TRUE(script.Last().startsWith("Unable to write to " + out + "/long.ogg: "))
        << script.Last().toStdString();
    EXPECT_TRUE(QDir(out).isEmpty());
    EXPECT_EQ(Names(w), QStringList({"long.wav"}));
}

// Names that are not UTF-8 are listed and acted on by their real bytes, shown with replacement
// characters: a name with the byte 0xFF and a name holding U+FFFD itself are two rows of two files.
// The player converts and deletes the right one; the joiner merges both.
TEST_F(PlayerWindow, FilesWhoseNamesAreNotUtf8AreListedAndActedOnByTheirBytes) {
    const QByteArray folder = QFile::encodeName(dir.filePath("odd"));
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    // "a", the byte 0xFF or the three bytes of U+FFFD, then "b" and the extension.
    auto byteName = [&](const char* ext) { return folder + "/a" + QByteArray(1, '\xff') + "b." + ext; };
    auto replacementName = [&](const char* ext) {
        return folder + "/a" + QByteArray("\xef\xbf\xbd") + "b." + ext;
    };
    auto exists = [](const QByteArray& name) { return ::access(name.constData(), F_OK) == 0; };
    MakeFile(FileNameText(byteName("wav")), "WAV", 1.0);
    MakeFile(FileNameText(replacementName("wav")), "WAV", 2.0);
    ASSERT_TRUE(exists(byteName("wav")));
    const QString shown = QString::fromUtf8("a\xef\xbf\xbd") + "b.wav";

    TfrmPlayer w;
    ShowFolder(w, FileNameText(folder));
    ASSERT_EQ(Names(w), QStringList({shown, shown}));
    auto wavLasting = [&](const char* seconds) -> QTreeWidgetItem* {
        for (int i = 0; i < list(w)->topLevelItemCount(); ++i)
            if (list(w)->topLevelItem(i)->text(1) == "WAV" &&
                list(w)->topLevelItem(i)->text(2).trimmed().endsWith(seconds))
                return list(w)->topLevelItem(i);
        return nullptr;
    };
    ASSERT_NE(wavLasting("00 : 00 : 01"), nullptr) << "the 0xFF file was not analysed by its name";
    ASSERT_NE(wavLasting("00 : 00 : 02"), nullptr);

    list(w)->setCurrentItem(wavLasting("00 : 00 : 01"));
    w.muConverttoOGGClick();
    while (w.Converting())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(script.Log.isEmpty()) << script.All().join('|').toStdString();
    EXPECT_NEAR(double(decodeAll(FileNameText(byteName("ogg"))).frames()), 44100.0, 10);
    EXPECT_TRUE(Names(w).contains(QString::fromUtf8("a\xef\xbf\xbd") + "b.ogg"));

    list(w)->setCurrentItem(wavLasting("00 : 00 : 01"));
    w.muDeleteClick();
    EXPECT_FALSE(exists(byteName("wav")));
    EXPECT_TRUE(exists(replacementName("wav")));

    // The joiner lists the odd files and merges them by their names.
    MakeFile(FileNameText(byteName("wav")), "WAV", 1.0);
    RegisterCommonWindows();
    GlobeVar::JoinOutputPath = dir.path();
    GlobeVar::JoinOverwrite = false;
    TfrmJoiner joiner;
    joiner.create();
    FormChild<TShellTreeView>(&joiner, QStringLiteral("STV"))->SelectFolder(FileNameText(folder));
    joiner.show();
    auto* files = FormChild<QTreeWidget>(&joiner, QStringLiteral("lvFolderList"));
    QElapsedTimer clock;
    clock.start();
    while ((joiner.ScanRunning() || files->topLevelItemCount() < 3) && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(files->topLevelItemCount(), 3); // both WAV files and the OGG file
    joiner.btnAddAllClick();
    joiner.btnStartMergeClick();
    while (joiner.Merging())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(script.All(), QStringList{"Merge finished"});
    EXPECT_NEAR(double(decodeAll(joiner.OutputFile()).frames()), 44100.0 * 4, 1152 * 2);
}

TEST_F(PlayerWindow, RenameAndDeleteRefuseWhatWouldLoseAFile) {
    const QString music = dir.filePath("music");
    QDir().mkpath(music);
    MakeFile(music + "/one.wav", "WAV", 0.2);
    MakeFile(music + "/two.wav", "WAV", 0.2);
    TfrmPlayer w;
    w.show(); // the editor of a rename opens in a shown list
    WaitScan(w);
    ShowFolder(w, music);
    QTreeWidgetItem* one = row(w, "one.wav");
    ASSERT_NE(one, nullptr);
    const QByteArray twoBytes = [&] {
        QFile f(music + "/two.wav");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    // An existing target: refused, nothing overwritten, the old name back on the row.
    EXPECT_FALSE(w.RenameRow(one, "two.txt"));
    EXPECT_EQ(script.Log.size(), 1);
    EXPECT_TRUE(script.Last().contains("exists")) << script.Last().toStdString();
    EXPECT_EQ(one->text(0), "one.wav");
    QFile two(music + "/two.wav");
    two.open(QIODevice::ReadOnly);
    EXPECT_EQ(two.readAll(), twoBytes);
    for (const QString& bad :
         {QStringLiteral("a/b.wav"), QStringLiteral("a") + QChar(0) + "b", QStringLiteral("  ")}) {
        EXPECT_FALSE(w.RenameRow(one, bad));
        EXPECT_EQ(one->text(0), "one.wav");
        EXPECT_TRUE(QFile::exists(music + "/one.wav"));
    }
    // Through the pop-up menu, as the user does it: "Rename" opens an editor on the row, the typed
    // name and Enter rename the file, keeping its extension, and the row's path follows. Escape
    // leaves both as they are. Either way the row is not editable afterwards.
    auto rename = [&](const QString& typed, Qt::Key end) {
        Select(w, one->text(0));
        Q_EMIT FormChild<QMenu>(&w, "popMenuConvert")->aboutToShow();
        QAction* item = FormChild<QAction>(&w, "muRename");
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        QLineEdit* editor = list(w)->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->text(), one->text(0));
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, end);
        // The editor commits and closes through a queued call.
        EXPECT_TRUE(QTest::qWaitFor([&] { return !(one->flags() & Qt::ItemIsEditable); }, 2000));
    };
    rename("uno.mp3", Qt::Key_Return);
    EXPECT_EQ(one->text(0), "uno.wav");
    EXPECT_TRUE(QFile::exists(music + "/uno.wav"));
    EXPECT_FALSE(QFile::exists(music + "/one.wav"));
    rename("eins", Qt::Key_Escape);
    EXPECT_EQ(one->text(0), "uno.wav");
    EXPECT_TRUE(QFile::exists(music + "/uno.wav"));
    EXPECT_EQ(Names(w).size(), 2);
    Select(w, "uno.wav");
    w.lvPlayListClick();
    if (geteuid() != 0) {
        // A read-only folder: rename and delete fail, the rows stay and the window says why.
        QFile::setPermissions(music, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(w.RenameRow(one, "dos"));
        EXPECT_EQ(one->text(0), "uno.wav");
        Select(w, "uno.wav");
        w.muDeleteClick();
        EXPECT_EQ(list(w)->topLevelItemCount(), 2);
        EXPECT_TRUE(script.Last().contains("Unable to delete"));
        QFile::setPermissions(music,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    } else {
        // Root writes anywhere: a file that is gone already stands in for a failed removal.
        QFile::remove(music + "/uno.wav");
        Select(w, "uno.wav");
        w.muDeleteClick();
        EXPECT_EQ(list(w)->topLevelItemCount(), 2);
        EXPECT_TRUE(script.Last().contains("Unable to delete"));
    }
}

TEST_F(PlayerWindow, PopupMenuItemsFollowTheRowAndRunTheirHandlers) {
    const QString music = dir.filePath("music");
    QDir().mkpath(music);
    MakeFile(music + "/a.wav", "WAV", 60.0);
    MakeFile(music + "/b.mp3", "MP3", 0.5);
    TfrmPlayer w;
    ShowFolder(w, music);
    auto* menu = FormChild<QMenu>(&w, QStringLiteral("popMenuConvert"));
    auto item = [&](const char* name) { return FormChild<QAction>(&w, QLatin1String(name)); };
    // The state of every item after the menu was about to show, in the menu's order.
    auto states = [&] {
        Q_EMIT menu->aboutToShow();
        QString s;
        for (QAction* a : menu->actions())
            s += !a->isVisible()    ? QChar('h')
                 : a->isSeparator() ? QChar('-')
                 : a->isEnabled()   ? QChar('1')
                                    : QChar('0');
        return s;
    };
    //                convert x4, cancel, -, mail, rename, delete, -, copy, move, edit, tag
    list(w)->setCurrentItem(nullptr);
    list(w)->clearSelection();
    EXPECT_EQ(states(), "00000-000hhhhh");
    Select(w, "b.mp3");
    EXPECT_EQ(states(), "10110-111hhhhh");
    Select(w, "a.wav");
    EXPECT_EQ(states(), "01110-111hhhhh");
    // Choosing an item runs its handler: the conversion starts, and on its row only Cancel,
    // mail and nothing that would touch the file.
    item("muConverttoMP3")->trigger();
    ASSERT_TRUE(w.Converting());
    while (GlobeVar::CountBlanks(row(w, "a.wav")->text(2)) != 3)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(states(), "00001-100hhhhh");
    // Another row during the conversion: no second conversion, but it may go.
    Select(w, "b.mp3");
    EXPECT_EQ(states(), "00000-111hhhhh");
    item("muDelete")->trigger();
    EXPECT_FALSE(QFile::exists(music + "/b.mp3"));
    Select(w, "a.wav");
    EXPECT_EQ(states(), "00001-100hhhhh");
    item("muCancelConvertion")->trigger();
    QElapsedTimer clock;
    clock.start();
    while (w.Converting() && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_FALSE(w.Converting());
    EXPECT_EQ(Names(w), QStringList({"a.wav"}));
    EXPECT_FALSE(QFile::exists(music + "/a.mp3"));
    // The mail item hands the file to the mail program, with no recipient.
    QStringList mail;
    w.SendMail = [&](const QStringList& m) { mail = m; };
    Select(w, "a.wav");
    item("muMail")->trigger();
    EXPECT_EQ(mail.value(0), "to=");
    EXPECT_EQ(mail.value(3), "attachment0=" + music + "/a.wav");
}
