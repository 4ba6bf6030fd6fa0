// The player window playing into a file-backed ALSA device: what reaches the device is the file's
// audio, the progress bar seeks, the end of the file clears the row, the equaliser's presets and
// switch shape the sound, and volume and mute stay in step with the main window.
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/FormComponents.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioPlayer2.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "skin/SKButton.h"
#include "skin/SKComboBox.h"
#include "skin/SKRegister.h"
#include "skin/SKTrackBar.h"
#include "tests/audiofile/AudioTestUtil.h"
#include "tests/devices/DeviceTestSupport.h"
#include "tools/Convertor.h"
#include "tools/Player.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A main window that records every change of its playback level.
struct FakeOwner : TPlayerOwnerWindow {
    FakeOwner() {
        QObject::connect(&level, &TPlaybackLevel::VolumeChanged, [this](int volume) { volumes << volume; });
        QObject::connect(&level, &TPlaybackLevel::MutedChanged, [this](bool muted) { mutes << muted; });
    }
    TPlaybackLevel level;
    QList<int> volumes;
    QList<bool> mutes;
    int shown = 0;
    bool recording = false;
    TPlaybackLevel& PlaybackLevel() override { return level; }
    void ShowMainWindow() override { ++shown; }
    QString recordingFile;
    QStringList recordings;
    bool Recording() const override { return recording; }
    QString FileBeingRecorded() const override { return recordingFile; }
    QStringList RecordingsOfThisRun() const override { return recordings; }
};

class PlayerPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSkinControls();
        RegisterAudioComponents();
        RegisterDialogControls();
        ASSERT_TRUE(music.isValid());
        box.useConfig(devtest::AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
        GlobeVar::OutputPath = music.path() + "/";
    }
    // A WAV file of `seconds` holding `samples`, listed by the window.
    void WriteWav(const QString& name, const std::vector<int16_t>& samples) {
        TAudioFile2LameEnc lame;
        TAudioFile2 out;
        GlobeVar::WavFreq = 44100, GlobeVar::WavChannels = 2, GlobeVar::WavSampleRate = 16;
        ConfigureConvertTarget(out, lame, "WAV");
        out.CreateWrite(music.filePath(name), 0);
        ASSERT_EQ(out.GetLastError(), 0);
        out.SetInputFormat(44100, 2);
        audiotest::writeBlocks(out, samples, 2, 11025);
        out.Close();
    }
    void Open(TfrmPlayer& w, const QString& name) {
        w.SetOwnerWindow(&owner);
        FormChild<TAudioPlayer2>(&w, "AP")->SetDevice(0);
        FormChild<TShellTreeView>(&w, "STV")->SelectFolder(music.path());
        w.STVClick();
        ASSERT_TRUE(devtest::waitFor([&] { return !w.ScanRunning(); }));
        auto* list = FormChild<QTreeWidget>(&w, "lvPlayList");
        auto found = list->findItems(name, Qt::MatchExactly, 0);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found.first());
        found.first()->setSelected(true);
    }
    // Plays the selected row to its end and gives what the device received.
    std::vector<int16_t> PlayToEnd(TfrmPlayer& w) {
        w.btnPlayClick();
        EXPECT_EQ(w.PlayingRow(), 0);
        EXPECT_TRUE(devtest::waitFor([&] { return w.PlayingRow() == -1; }));
        return devtest::readRaw(box.path("out.raw"));
    }

    devtest::AlsaSandbox box;
    QTemporaryDir music;
    FakeOwner owner;
    TScriptedMessages script;
};

double GainAt(const std::vector<int16_t>& in, const std::vector<int16_t>& out) {
    // Past the filters' settling, on the left channel.
    return 20.0 * std::log10(devtest::rms(out, 2, 0, 8820) / devtest::rms(in, 2, 0, 8820));
}

} // namespace

TEST_F(PlayerPlayback, PlaysTheFileSeeksAndEndsWithTheRowCleared) {
    const auto source = devtest::sine(44100, 2, 2.0, {440.0, 660.0}, {0.5, 0.25});
    WriteWav("tone.wav", source);
    TfrmPlayer w;
    Open(w, "tone.wav");
    auto* row = FormChild<QTreeWidget>(&w, "lvPlayList")->topLevelItem(0);
    auto* progress = FormChild<TskTrackBar>(&w, "tbPlaybackProgress");

    // The equaliser switched off: the device gets the file's samples, every one of them.
    w.btnUseEQClick();
    EXPECT_FALSE(w.EQEnabled());
    w.btnPlayClick();
    EXPECT_EQ(GlobeVar::CountBlanks(row->text(2)), 1);
    EXPECT_TRUE(progress->isEnabled());
    // Every move of the bar and every Status text, as they happen.
    int highest = 0;
    bool statusShown = false;
    const auto moved = QObject::connect(progress, &TskTrackBar::OnChange,
                                        [&] { highest = std::max(highest, progress->Position()); });
    const auto changed =
        QObject::connect(row->treeWidget(), &QTreeWidget::itemChanged, [&](QTreeWidgetItem* item) {
            statusShown = statusShown || (item == row && row->text(4).startsWith("Playing "));
        });
    ASSERT_TRUE(devtest::waitFor([&] { return w.PlayingRow() == -1; }));
    QObject::disconnect(moved);
    QObject::disconnect(changed);
    EXPECT_EQ(devtest::readRaw(box.path("out.raw")), source);
    EXPECT_GT(highest, 900);
    EXPECT_TRUE(statusShown);
    // The end clears the row and the progress bar.
    EXPECT_EQ(GlobeVar::CountBlanks(row->text(2)), 0);
    EXPECT_TRUE(row->text(4).isEmpty());
    EXPECT_FALSE(progress->isEnabled());
    EXPECT_EQ(progress->Position(), 0);

    // A release on the progress bar at its middle plays from the middle of the file on.
    w.btnPlayClick();
    progress->SetPosition(500);
    w.tbPlaybackProgressMouseUp();
    ASSERT_TRUE(devtest::waitFor([&] { return w.PlayingRow() == -1; }));
    const auto second = devtest::readRaw(box.path("out.raw"));
    const std::vector<int16_t> half(source.begin() + std::ptrdiff_t(source.size() / 2), source.end());
    EXPECT_EQ(second, half);

    // Pause holds the row; stop ends it.
    w.btnPlayClick();
    w.btnPauseClick();
    EXPECT_TRUE(w.Paused());
    EXPECT_EQ(w.PlayingRow(), 0);
    // While a row plays the tree keeps its folder: another folder is refused and the tree goes back.
    auto* tree = FormChild<TShellTreeView>(&w, "STV");
    tree->SelectFolder(QDir::tempPath());
    w.STVClick();
    EXPECT_EQ(script.All(),
              QStringList{"You will not be able to change folder while playing or converting."});
    EXPECT_EQ(tree->SelectedFolder() + "/", w.CurrentFolder());
    EXPECT_EQ(w.CurrentFolder(), music.path() + "/");
    EXPECT_EQ(w.PlayingRow(), 0);
    w.btnStopClick();
    EXPECT_EQ(w.PlayingRow(), -1);
    EXPECT_FALSE(w.Paused());

    // Files with nothing to play (no bytes, one byte, a bare header): the user is told, naming the
    // file, and the row is not left marked as playing; nothing divides by their length.
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(music.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write("empty.wav", QByteArray());
    write("one byte.wav", QByteArray("R"));
    ASSERT_TRUE(audiotest::writeHeaderOnlyWav(music.filePath("bare.wav")));
    w.RescanFolder();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.ScanRunning(); }));
    auto* list = FormChild<QTreeWidget>(&w, "lvPlayList");
    for (const QString name : {"empty.wav", "one byte.wav", "bare.wav"}) {
        SCOPED_TRACE(name.toStdString());
        script.Log.clear();
        list->clearSelection();
        QTreeWidgetItem* item = list->findItems(name, Qt::MatchExactly, 0).value(0);
        ASSERT_NE(item, nullptr);
        item->setSelected(true);
        w.btnPlayClick();
        ASSERT_EQ(script.Told().size(), 1);
        EXPECT_TRUE(script.Told()[0].startsWith("Unable to play " + music.filePath(name) + ": "))
            << script.Told()[0].toStdString();
        EXPECT_EQ(w.PlayingRow(), -1);
        EXPECT_EQ(GlobeVar::CountBlanks(item->text(2)), 0);
        EXPECT_TRUE(item->text(4).isEmpty());
        EXPECT_FALSE(progress->isEnabled());
        w.APTimer(0, 0, 0);
        EXPECT_EQ(progress->Position(), 0);
    }
    // A file that plays still plays after them.
    list->clearSelection();
    QTreeWidgetItem* tone = list->findItems("tone.wav", Qt::MatchExactly, 0).value(0);
    ASSERT_NE(tone, nullptr);
    tone->setSelected(true);
    w.btnPlayClick();
    EXPECT_EQ(w.PlayingRow(), list->indexOfTopLevelItem(tone));
    w.btnStopClick();
    EXPECT_EQ(w.PlayingRow(), -1);
}

TEST_F(PlayerPlayback, AnEqualiserBandAtTwelveDecibelsMakesItsToneLouder) {
    // 1 kHz is band 6; the custom setting raises it by 12 dB.
    const auto source = devtest::sine(44100, 2, 1.0, {1000.0, 1000.0}, {0.05, 0.05});
    WriteWav("k.wav", source);
    TfrmPlayer w;
    Open(w, "k.wav");
    auto* mode = FormChild<TskComboBox>(&w, "comboxEQMode");
    EXPECT_EQ(mode->ItemIndex(), 5); // "Flat"
    const double flat = GainAt(source, PlayToEnd(w));
    EXPECT_NEAR(flat, 0.0, 0.01);

    CustomEQ.fill(0);
    CustomEQ[5] = -12000;
    mode->SetItemIndex(6);
    w.comboxEQModeChange();
    EXPECT_EQ(FormChild<TskTrackBar>(&w, "tbEQ6")->Position(), -12000);
    EXPECT_NEAR(GainAt(source, PlayToEnd(w)), 12.0, 1.5);

    // A preset replaces the custom positions; "Flat" puts every slider back to 0.
    mode->SetItemIndex(1);
    w.comboxEQModeChange();
    EXPECT_EQ(FormChild<TskTrackBar>(&w, "tbEQ1")->Position(), 13364);
    EXPECT_EQ(FormChild<TskTrackBar>(&w, "tbEQ12")->Position(), 0);
    // Dragging one slider keeps the other eleven and shows "Custom".
    w.tbEQ1MouseDown();
    FormChild<TskTrackBar>(&w, "tbEQ3")->SetPosition(-500);
    w.tbEQ1MouseUp();
    EXPECT_EQ(mode->ItemIndex(), 6);
    EXPECT_EQ(CustomEQ[0], 13364);
    EXPECT_EQ(CustomEQ[2], -500);

    // Switched off, the band no longer lifts the tone.
    mode->SetItemIndex(6);
    w.comboxEQModeChange();
    w.btnUseEQClick();
    EXPECT_NEAR(GainAt(source, PlayToEnd(w)), 0.0, 0.01);
    w.btnUseEQClick();
    EXPECT_TRUE(w.EQEnabled());
}

TEST_F(PlayerPlayback, VolumeAndMuteFollowTheMainWindowWithoutEchoes) {
    WriteWav("v.wav", devtest::sine(44100, 2, 0.2, {440.0, 440.0}, {0.5, 0.5}));
    TfrmPlayer w;
    Open(w, "v.wav");
    w.show(); // the first show makes the window ready for volume changes
    auto* volume = FormChild<TskTrackBar>(&w, "tbPlaybackVolume");
    owner.volumes.clear();
    // The main window's slider moves this one; nothing more is sent, also when it stands there.
    owner.level.SetVolume(40000);
    EXPECT_EQ(volume->Position(), 65535 - 40000);
    owner.level.SetVolume(40000);
    EXPECT_EQ(owner.volumes, QList<int>({40000}));
    // This slider's own move reaches the main window, top = loudest.
    volume->SetPosition(0);
    EXPECT_EQ(owner.volumes, QList<int>({40000, 65535}));
    // Mute reaches the main window's check box and swaps the picture both ways.
    auto* mute = FormChild<TskImageButton>(&w, "btnMute");
    const QImage loud = mute->PicNormal();
    w.btnMuteClick();
    EXPECT_TRUE(w.Muted());
    EXPECT_NE(mute->PicNormal(), loud);
    w.btnMuteClick();
    EXPECT_EQ(mute->PicNormal(), loud);
    EXPECT_EQ(owner.mutes, QList<bool>({true, false}));
    // The main window mutes: picture and state turn together (once, however often it is told), and
    // the next click here unmutes.
    owner.level.SetMuted(true);
    owner.level.SetMuted(true);
    EXPECT_TRUE(w.Muted());
    EXPECT_NE(mute->PicNormal(), loud);
    w.btnMuteClick();
    EXPECT_FALSE(w.Muted());
    EXPECT_EQ(mute->PicNormal(), loud);
    EXPECT_EQ(owner.mutes, QList<bool>({true, false, true, false}));

    // While the main window records, Play asks first; No plays nothing.
    owner.recording = true;
    script.Clear();
    w.btnPlayClick();
    EXPECT_EQ(script.All(),
              QStringList({"Recording in process. Playing will jam your work. Do you want to continue? "}));
    EXPECT_EQ(w.PlayingRow(), -1);
    w.btnReorderClick();
    EXPECT_EQ(owner.shown, 1);
    // Home opens the help page beside the program (the build's default address); Folder the
    // converter's folder, or the folder shown when targets go beside their sources.
    QStringList opened;
    w.OpenInShell = [&](const QString& target) { return opened << target, true; };
    GlobeVar::AppPath = "/opt/suite/";
    GlobeVar::ConvertOutputPath = "/srv/converted/";
    GlobeVar::ConvertSaveToOriginal = false;
    w.btnHomeClick();
    w.btnFolderClick();
    GlobeVar::ConvertSaveToOriginal = true;
    w.btnFolderClick();
    EXPECT_EQ(opened, QStringList({"/opt/suite/VidezevaHelp.html", "/srv/converted/", music.path()}));

    // The splitter gets the selected file; what it wrote is listed when it returns.
    QStringList handed;
    TPlayerToolWindows tools;
    tools.showSplitter = [&](const QString& file) {
        handed << file;
        QFile::copy(file, music.filePath("v-Splitted1.wav"));
    };
    w.SetToolWindows(tools);
    w.btnSplitterClick();
    EXPECT_EQ(handed, QStringList({music.filePath("v.wav")}));
    ASSERT_TRUE(devtest::waitFor([&] { return !w.ScanRunning(); }));
    EXPECT_EQ(FormChild<QTreeWidget>(&w, "lvPlayList")->topLevelItemCount(), 2);
    FormChild<QTreeWidget>(&w, "lvPlayList")->clearSelection();
    FormChild<QTreeWidget>(&w, "lvPlayList")->setCurrentItem(nullptr);
    w.btnSplitterClick();
    EXPECT_EQ(script.Last(), "Please select an audio file");
    EXPECT_EQ(handed.size(), 1);
    w.hide();
}

TEST_F(PlayerPlayback, TheRippersCopyHasItsOwnButtonsMenuAndNoRecorderRules) {
    WriteWav("r.wav", devtest::sine(44100, 2, 0.3, {440.0, 440.0}, {0.5, 0.5}));
    GlobeVar::AppPath = music.path() + "/";
    owner.recording = true; // a rip running: the ripper asks nothing before playing
    TfrmPlayer w(nullptr, TfrmPlayer::Program::Ripper);
    QStringList opened;
    w.OpenInShell = [&](const QString& target) { return opened << target, true; };
    Open(w, "r.wav");
    EXPECT_EQ(FormChild<QLabel>(&w, "titleMain")->text(), "Duzivuz 3.0 :  Player");
    EXPECT_EQ(w.windowTitle(), "Ridezo MP3 Player");
    for (const char* name : {"btnRipper", "btnRecorder", "btnAbout", "btnMail"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
    for (const char* name : {"btnReorder", "btnJoiner", "btnSplitter"})
        EXPECT_EQ(w.findChild<QWidget*>(name), nullptr) << name;
    QStringList items;
    for (QAction* a : FormChild<QMenu>(&w, "popMenuConvert")->actions())
        items << a->text();
    EXPECT_EQ(items, QStringList({"Convert to WAV", "Convert to MP3", "Convert to OGG", "Convert to WMA",
                                  "Cancel", "-", "Rename", "Delete"}));
    auto* row = FormChild<QTreeWidget>(&w, "lvPlayList")->topLevelItem(0);
    EXPECT_EQ(GlobeVar::CountBlanks(row->text(2)), 0);

    w.btnPlayClick();
    EXPECT_TRUE(script.Log.isEmpty());
    EXPECT_EQ(w.PlayingRow(), 0);
    ASSERT_TRUE(devtest::waitFor([&] { return w.PlayingRow() == -1; }));
    // No recorder beside the ripper: its button does nothing; help is the ripper's.
    w.btnRecorderClick();
    EXPECT_TRUE(opened.isEmpty());
    w.btnHelpClick();
    EXPECT_EQ(opened, QStringList({music.filePath("Duzivuz3Help.html")}));
    w.btnRipperClick();
    EXPECT_EQ(owner.shown, 1);
}

TEST_F(PlayerPlayback, TheScanLeavesOutTheFileBeingRecordedAndMarksThisRunsRecordings) {
    const auto tone = devtest::sine(44100, 2, 0.2, {440.0, 440.0}, {0.5, 0.5});
    WriteWav("now.wav", tone);
    WriteWav("earlier.wav", tone);
    WriteWav("other.wav", tone);
    owner.recording = true;
    owner.recordingFile = music.filePath("now.wav");
    owner.recordings = {music.filePath("earlier.wav"), music.filePath("now.wav")};
    TfrmPlayer w;
    Open(w, "earlier.wav");
    auto* list = FormChild<QTreeWidget>(&w, "lvPlayList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "earlier.wav");
    EXPECT_EQ(GlobeVar::CountBlanks(list->topLevelItem(0)->text(2)), 4);
    EXPECT_EQ(GlobeVar::CountBlanks(list->topLevelItem(1)->text(2)), 0);
    // A recording of this run is neither renamed nor deleted from the menu.
    Q_EMIT FormChild<QMenu>(&w, "popMenuConvert")->aboutToShow();
    EXPECT_FALSE(FormChild<QAction>(&w, "muRename")->isEnabled());
    EXPECT_FALSE(FormChild<QAction>(&w, "muDelete")->isEnabled());
    EXPECT_TRUE(FormChild<QAction>(&w, "muMail")->isEnabled());
}
