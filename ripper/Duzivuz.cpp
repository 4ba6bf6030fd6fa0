// The CD ripper program.
#include "common/Confirm.h"
#include "common/PathSelect.h"
#include "common/ProgramBlock.h"
#include "platform/Application.h"
#include "platform/ModalDialogs.h"
#include "ripper/About.h"
#include "ripper/Main.h"
#include "ripper/Options.h"
#include "ripper/RGlobeVar.h"
#include "ripper/RProgress.h"
#include "ripper/RipperWindows.h"
#include "tools/Player.h"

int main(int argc, char** argv) {
    ProgramDescription program;
    program.title = QStringLiteral("Duzivuz 3.0");
    program.startValues = GlobeVar::RipperStartValues();
    program.componentFiles = {QStringLiteral("atl.dll"),
                              QStringLiteral("oleaut32.dll"),
                              QStringLiteral("NCTAudioCDGrabber2.dll"),
                              QStringLiteral("NCTWMAFile2.dll"),
                              QStringLiteral("NCTAudioFile2.dll"),
                              QStringLiteral("NCTAudioPlayer2.dll"),
                              QStringLiteral("NCTAudioDisplay2.dll"),
                              QStringLiteral("NCTAudioInformation2.dll")};
    program.createWindows = [](Application&) {
        RegisterRipperWindows();
        // Creation order: main, folder choice, progress, options, player, confirm, about.
        static Duzivuz::TfrmMain* frmMain = nullptr;
        static Duzivuz::TfrmRProgress* frmRProgress = nullptr;
        frmMain = new Duzivuz::TfrmMain;
        frmMain->create();
        frmRProgress = new Duzivuz::TfrmRProgress(frmMain);
        frmRProgress->SetMainWindow(frmMain);
        frmRProgress->create();
        frmMain->SetProgressWindow(frmRProgress);
        auto* frmPathSelect = new TfrmPathSelect(frmMain);
        frmPathSelect->create();
        auto* frmOptions = new Duzivuz::TfrmOptions(frmMain);
        frmOptions->SetLookupObject(frmMain->LookupObject());
        frmOptions->SetPathSelect(frmPathSelect);
        frmOptions->create();
        frmMain->SetOptionsWindow(frmOptions);
        auto* frmPlayer = new TfrmPlayer(frmMain, TfrmPlayer::Program::Ripper);
        frmPlayer->create();
        frmPlayer->SetToolWindow(QStringLiteral("Options"),
                                 [frmOptions](const QString&) { ShowModal(*frmOptions); });
        frmMain->SetPlayerWindow(frmPlayer);
        frmPlayer->SetOwnerWindow(frmMain);
        auto* frmConfirm = new TfrmConfirm(frmMain);
        frmConfirm->create();
        SpeakThrough(frmConfirm);
        auto* frmAbout = new Duzivuz::TfrmAbout(frmMain);
        frmAbout->create();
        frmMain->SetAboutWindow(frmAbout);
        frmPlayer->SetToolWindow(QStringLiteral("About"),
                                 [frmAbout](const QString&) { ShowModal(*frmAbout); });
        frmMain->show();
    };
    const int code = RunProgramBlock(argc, argv, program);
    RGlobeVar::Finalize();
    return code;
}
