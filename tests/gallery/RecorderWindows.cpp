// The recorder's windows: the main window idle, recording (meters and spectrum moving) and playing;
// every page and sub-page of the settings window, the schedule entry dialog, both modes of the
// confirm window and the folder window.
#include "recorder/RecorderWindows.h"
#include "common/Confirm.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "common/PathSelect.h"
#include "platform/FormResource.h"
#include "recorder/Main.h"
#include "recorder/Options.h"
#include "recorder/SetTime.h"
#include "skin-extra/SKExtraControls.h"
#include "skin/SKPageControl.h"
#include "skin/SKRegister.h"
#include "tests/devices/DeviceTestSupport.h"
#include "tests/gallery/Gallery.h"
#include "tests/recorder/FreshProgramFolder.h"
#include "tests/recorder/LineAndSpeaker.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

using gallery::SaveWindow;

TEST(RecorderWindows, MainIdleRecordingAndPlaying) {
    RegisterRecorderWindows();
    TScriptedMessages script;
    QTemporaryDir dir;
    // A line that plays two minutes of a tone, so the meters and the spectrum still move when the
    // picture is taken, and a speaker writing into a file.
    const QString raw = dir.filePath("input.raw");
    devtest::writeRaw(raw, devtest::sine(44100, 2, 120.0, {441.0, 441.0}, {0.37, 0.37}));
    ASSERT_TRUE(WriteLineAndSpeaker(dir.filePath("asound.conf"), raw, dir.filePath("played.raw")));
    qputenv("ALSA_CONFIG_PATH", dir.filePath("asound.conf").toUtf8());
    snd_config_update_free_global();
    UseQuietRecorderDefaults();
    {
        QDateTime clock(QDate(2026, 3, 14), QTime(9, 30, 0));
        Videzeva::TfrmMain window;
        window.SetClock([&clock] { return clock; });
        window.create();
        QDir().mkpath(dir.filePath("out"));
        GlobeVar::OutputPath = dir.filePath("out") + "/";
        SaveWindow(window, "Videzeva-Main-idle");

        window.findChild<QObject*>("rbOutputMp3")->setProperty("Checked", true);
        window.btnRecordClick();
        window.btnStopClick();
        clock = clock.addSecs(1);
        window.findChild<QObject*>("rbOutputWav")->setProperty("Checked", true);
        window.btnRecordClick();
        QTest::qWait(300); // meters and spectrum follow the tone
        SaveWindow(window, "Videzeva-Main-recording");
        window.btnStopClick();

        auto* list = window.findChild<QTreeWidget*>("lvRecordList");
        list->setCurrentItem(list->topLevelItem(1)); // the long recording: still playing when pictured
        window.btnPlayClick();
        QTest::qWait(150);
        EXPECT_TRUE(window.Playing());
        SaveWindow(window, "Videzeva-Main-playing");
        window.btnStopClick();
    }
    qunsetenv("ALSA_CONFIG_PATH");
    snd_config_update_free_global();
}

TEST(RecorderWindows, EveryDialogAndPage) {
    RegisterSkinControls();
    RegisterSkinExtraControls();
    RegisterDialogControls();
    QTemporaryDir dir;
    UseFreshProgramFolder(dir.path() + u'/');

    Videzeva::TfrmOptions options;
    options.create();
    options.AddScheduleEntry("07:05:00", "08:00:00", true, 0, 0, 0, 0);
    options.AddScheduleEntry("21:00:00", "22:30:00", true, 0, 0, 0, 5);
    options.AddScheduleEntry("06:00:00", "06:45:00", false, 0, 2, 29, 0);
    auto* pages = FormChild<TskPageControl>(&options, "pcOptions");
    const QStringList names{"Format", "Hotkey", "Schedule", "AutoStop", "Save", "EMail", "Device"};
    ASSERT_EQ(pages->PageCount(), names.size());
    for (int i = 0; i < pages->PageCount(); ++i) {
        pages->SetActivePage(pages->Page(i));
        SaveWindow(options, "Videzeva-Options-" + names[i]);
    }
    for (const char* inner : {"pcFormat", "pcSave"}) {
        auto* sub = FormChild<TskPageControl>(&options, inner);
        pages->SetActivePage(qobject_cast<TskTabSheet*>(sub->parentWidget()));
        for (int i = 0; i < sub->PageCount(); ++i) {
            sub->SetActivePage(sub->Page(i));
            SaveWindow(options, QStringLiteral("Videzeva-Options-%1-%2")
                                    .arg(inner == QLatin1String("pcFormat") ? "Format" : "Save",
                                         sub->Page(i)->Caption()));
        }
    }
    options.hide();

    TfrmSchedule schedule;
    schedule.create();
    SaveWindow(schedule, "Videzeva-Schedule");
    schedule.hide();

    TfrmConfirm confirm;
    confirm.create();
    confirm.SetMessageOnly(0);
    confirm.SetMessage("Recording, play will jam the recording, do you want to go on ?");
    SaveWindow(confirm, "Videzeva-Confirm-question");
    confirm.hide();
    confirm.SetMessageOnly(1);
    confirm.SetMessage("No input device");
    SaveWindow(confirm, "Videzeva-Confirm-message");
    confirm.hide();

    TfrmPathSelect paths;
    paths.create();
    SaveWindow(paths, "Videzeva-PathSelect");
    paths.hide();

    // The main window (drawn by the test before) beside its dialogs.
    gallery::SaveSideBySide("Videzeva-Together",
                            {"Videzeva-Main-idle", "Videzeva-Options-Format-MP3", "Videzeva-Schedule",
                             "Videzeva-Confirm-question", "Videzeva-PathSelect", "Videzeva-Player-idle"});
}
