// The ripper's windows: the main window with a looked-up disc part-way through a rip, the progress
// window, every page of the options window and the about box.
#include "ripper/RipperWindows.h"
#include "common/Confirm.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/TAudioCDGrabber2.h"
#include "components/TFreeDBInformation2.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "ripper/About.h"
#include "ripper/Main.h"
#include "ripper/Options.h"
#include "ripper/OptionsSettings.h"
#include "ripper/RGlobeVar.h"
#include "ripper/RProgress.h"
#include "skin/SKPageControl.h"
#include "tests/cd/CdTestSupport.h"
#include "tests/gallery/Gallery.h"
#include "tests/recorder/FreshProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

using gallery::SaveWindow;

TEST(RipperWindows, MainProgressOptionsAndAbout) {
    using namespace cdtest;
    QTemporaryDir dir;
    TScriptedMessages script;
    script.Otherwise = true; // the lookup's question is answered Yes
    RegisterRipperWindows();
    const Image image = writeImage(dir.path(), QStringLiteral("disc"),
                                   {{75 * 2 + 10}, {75 * 3 + 1}, {150, TrackKind::Mode1}, {75 * 2 + 33}});
    // A second drive holds a disc of one 20-second track.
    const Image second = writeImage(dir.path(), QStringLiteral("long"), {{75 * 20}});
    writeDriveList(dir.path() + QStringLiteral("/config"), {image.cuePath, second.cuePath});
    QFile conf(dir.filePath(QStringLiteral("asound.conf")));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("pcm.null { type null }\n");
    conf.close();
    qputenv("ALSA_CONFIG_PATH", dir.filePath(QStringLiteral("asound.conf")).toUtf8());
    snd_config_update_free_global();
    // Every folder the windows may make or write is the gallery's own, not one an earlier part left.
    UseFreshProgramFolder(dir.path() + QLatin1Char('/'));
    Duzivuz::ApplyRipperOptionsToGlobals(Duzivuz::SetDefaultOptions());
    GlobeVar::CfgFileName = QStringLiteral("DuzivuzCfg.ini");
    {
        Duzivuz::TfrmMain main;
        Duzivuz::TfrmRProgress progress(&main);
        progress.SetMainWindow(&main);
        main.SetProgressWindow(&progress);
        main.create();
        progress.create();

        CddbServer server{CddbServer::Mode::Http};
        auto* grabber = main.findChild<TAudioCDGrabber2*>(QStringLiteral("ACDG"));
        auto* info = main.findChild<TFreeDBInformation2*>(QStringLiteral("FreeDBInfo"));
        info->SelectServer(3);
        info->SetPort(server.port());
        server.addEntry(static_cast<uint32_t>(grabber->GetCddbId()), "rock",
                        LookedUpEntry(grabber->GetCddbId()));
        main.btnGetInfoClick();
        ASSERT_TRUE(
            waitFor([&] { return main.TitleList.value(0) == QStringLiteral("AC/DC Ünïcode"); }, 5000));
        QTreeWidget* lv = NativeList(main.findChild<QObject*>(QStringLiteral("lvTracks")));
        lv->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        lv->topLevelItem(0)->setText(5, QStringLiteral("100%"));
        lv->topLevelItem(2)->setText(5, QStringLiteral("37%"));
        SaveWindow(main, QStringLiteral("Duzivuz-Main-disc"));

        // The dialogs as the program dresses them.
        DressInRipperLook(&progress, &main);
        progress.show();
        progress.ShowProgress(37, 8, 45, 8);
        SaveWindow(progress, QStringLiteral("Duzivuz-Progress"));
        progress.SetFinished(true);
        progress.hide();

        Duzivuz::TfrmOptions options(&main);
        options.SetLookupObject(main.LookupObject());
        options.create();
        DressInRipperLook(&options, &main);
        auto* pages = FormChild<TskPageControl>(&options, "pcOptions");
        for (int i = 0; i < pages->PageCount(); ++i) {
            pages->SetActivePage(pages->Page(i));
            if (i == 0) {
                auto* formats = FormChild<TskPageControl>(&options, "pcFormat");
                for (int f = 0; f < formats->PageCount(); ++f) {
                    formats->SetActivePage(formats->Page(f));
                    SaveWindow(options,
                               QStringLiteral("Duzivuz-Options-Format-") + formats->Page(f)->Caption());
                }
                continue;
            }
            QString caption = pages->Page(i)->Caption();
            caption.remove(QLatin1Char('&')).replace(QLatin1Char(' '), QLatin1Char('-'));
            SaveWindow(options, QStringLiteral("Duzivuz-Options-") + caption);
        }
        options.hide();

        Duzivuz::TfrmAbout about(&main);
        about.create();
        DressInRipperLook(&about, &main);
        SaveWindow(about, QStringLiteral("Duzivuz-About"));
        about.hide();

        // The confirm window as the ripper's messages, questions and errors show in it.
        TfrmConfirm confirm(&main);
        confirm.create();
        DressInRipperLook(&confirm, &main);
        confirm.SetMessageOnly(0);
        confirm.SetMessage(QStringLiteral("Do you want refresh this CD information?"));
        SaveWindow(confirm, QStringLiteral("Duzivuz-Confirm-question"));
        confirm.hide();
        confirm.SetMessageOnly(1);
        confirm.SetMessage(QStringLiteral("Connection failed!\nThe server at 127.0.0.1 did not answer"));
        SaveWindow(confirm, QStringLiteral("Duzivuz-Confirm-message"));
        confirm.hide();

        gallery::SaveSideBySide(QStringLiteral("Duzivuz-Together"),
                                {"Duzivuz-Main-disc", "Duzivuz-Options-Format-MP3", "Duzivuz-Progress",
                                 "Duzivuz-About", "Duzivuz-Confirm-question", "Duzivuz-Player"});
        main.hide();
    }
    qunsetenv("ALSA_CONFIG_PATH");
    snd_config_update_free_global();
}
