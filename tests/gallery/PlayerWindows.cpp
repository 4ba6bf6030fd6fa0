// The player window idle with a folder listed, playing with the display moving while another row
// converts, and the equaliser presets open; the ripper's copy.
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/FormComponents.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioPlayer2.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "skin/SKComboBox.h"
#include "skin/SKRegister.h"
#include "tests/audiofile/AudioTestUtil.h"
#include "tests/devices/DeviceTestSupport.h"
#include "tests/gallery/Gallery.h"
#include "tools/Convertor.h"
#include "tools/Player.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

void MakeWav(const QString& file, double seconds, double hz) {
    TAudioFile2LameEnc lame;
    TAudioFile2 out;
    ConfigureConvertTarget(out, lame, "WAV");
    out.CreateWrite(file, 0);
    ASSERT_EQ(out.GetLastError(), 0);
    out.SetInputFormat(44100, 2);
    audiotest::writeBlocks(out, audiotest::tone(44100, 2, int64_t(44100 * seconds), hz, 0.4), 2, 44100);
    out.Close();
}

void Save(QWidget& w, const QString& state) {
    gallery::SaveWindow(w, "Videzeva-Player-" + state);
}

} // namespace

TEST(PlayerWindows, IdlePlayingPresetsAndTheRippersCopy) {
    TScriptedMessages script;
    RegisterSkinControls();
    RegisterAudioComponents();
    RegisterDialogControls();
    devtest::AlsaSandbox box;
    box.useConfig(devtest::AlsaSandbox::playbackDevice("vzout", box.path("out.raw"), "File Output"));
    QTemporaryDir music;
    using namespace GlobeVar;
    WavFreq = 44100, WavChannels = 2, WavSampleRate = 16;
    MP3Freq = 44100, MP3Channels = 2, MP3BitRate = 128, MP3MaxBitRate = 320, MP3EncoderQuality = 5;
    MP3VBREnable = false;
    ConvertSaveToOriginal = true;
    ConvertOverwrite = false;
    MakeWav(music.filePath("Morning walk.wav"), 240.0, 523.0);
    MakeWav(music.filePath("Interview part 1.wav"), 300.0, 330.0);
    MakeWav(music.filePath("Interview part 2.wav"), 2.0, 440.0);
    MakeWav(music.filePath("Band rehearsal.wav"), 1.0, 660.0);
    OutputPath = music.path() + "/";

    TfrmPlayer w;
    w.create();
    FormChild<TAudioPlayer2>(&w, "AP")->SetDevice(0);
    w.show();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.ScanRunning() && w.CurrentFolder() == OutputPath; }));
    auto* list = FormChild<QTreeWidget>(&w, "lvPlayList");
    ASSERT_EQ(list->topLevelItemCount(), 4);
    Save(w, "idle");

    // One row converts into MP3 while another plays.
    auto select = [&](const QString& name) {
        list->clearSelection();
        QTreeWidgetItem* item = list->findItems(name, Qt::MatchExactly, 0).value(0);
        ASSERT_NE(item, nullptr);
        list->setCurrentItem(item);
        item->setSelected(true);
    };
    select("Interview part 1.wav");
    w.muConverttoMP3Click();
    ASSERT_TRUE(w.Converting());
    select("Morning walk.wav");
    w.btnPlayClick();
    QTest::qWait(120);
    Save(w, "playing");
    w.btnStopClick();
    w.CancelConversion();
    ASSERT_TRUE(devtest::waitFor([&] { return !w.Converting(); }));

    // The presets listed, "Pop" applied.
    auto* mode = FormChild<TskComboBox>(&w, "comboxEQMode");
    mode->SetItemIndex(0);
    w.comboxEQModeChange();
    Save(w, "eq-presets");
    w.hide();

    // The ripper's copy, on the same folder.
    TfrmPlayer ripper(nullptr, TfrmPlayer::Program::Ripper);
    ripper.create();
    ripper.show();
    ASSERT_TRUE(
        devtest::waitFor([&] { return !ripper.ScanRunning() && ripper.CurrentFolder() == OutputPath; }));
    gallery::SaveWindow(ripper, "Duzivuz-Player");
    ripper.hide();
}
