#include "ripper/RipperWindows.h"

#include "common/CommonWindows.h"
#include "common/Confirm.h"
#include "common/PathSelect.h"
#include "common/ProgramBlock.h"
#include "platform/FormClassRegistry.h"
#include "platform/ModalDialogs.h"
#include "ripper/About.h"
#include "ripper/Main.h"
#include "ripper/Options.h"
#include "ripper/RGlobeVar.h"
#include "ripper/RProgress.h"
#include "skin/SKForm.h"
#include "skin/SKMgr.h"
#include "skin/SKTitleBar.h"
#include "tools/Player.h"

#include <QPointer>

void RegisterRipperWindows() {
    RegisterCommonWindows();
    FormWindowRegistry::add<Duzivuz::TfrmMain>(QStringLiteral(":/forms/Duzivuz/Main.form"));
    FormWindowRegistry::add<Duzivuz::TfrmOptions>(QStringLiteral(":/forms/Duzivuz/Options.form"));
    FormWindowRegistry::add<Duzivuz::TfrmAbout>(QStringLiteral(":/forms/Duzivuz/About.form"));
    FormWindowRegistry::add<Duzivuz::TfrmRProgress>(QStringLiteral(":/forms/Duzivuz/RProgress.form"));
    FormWindowRegistry::add(QStringLiteral(":/forms/Duzivuz/Player.form"), [] {
        return static_cast<QWidget*>(new TfrmPlayer(nullptr, TfrmPlayer::Program::Ripper));
    });
}

void DressInRipperLook(QWidget* dialog, Duzivuz::TfrmMain* main) {
    TskFileTheme* theme = main->DialogTheme();
    // Guarded: the frame re-themed may replace the title bar's parts the list still holds.
    QList<QPointer<TskControl>> frames;
    for (TskControl* control : dialog->findChildren<TskControl*>())
        if (qobject_cast<TskForm*>(control) || qobject_cast<TskTitleBar*>(control)) frames.append(control);
    for (const QPointer<TskControl>& frame : frames)
        if (frame) frame->SetFileTheme(theme);
}

void CreateRipperWindows(ProgramWindows& windows) {
    RegisterRipperWindows();
    auto* frmMain = new Duzivuz::TfrmMain;
    frmMain->SetSettingsFile(&windows.Settings());
    windows.Create(frmMain);
    // Every other window is made with the main window as its owner (so on the desktop it stands
    // over it); the program block deletes them all, the main window last.
    auto* frmPathSelect = windows.Create(new TfrmPathSelect(frmMain));
    auto* frmRProgress = new Duzivuz::TfrmRProgress(frmMain);
    frmRProgress->SetMainWindow(frmMain);
    windows.Create(frmRProgress);
    frmMain->SetProgressWindow(frmRProgress);
    auto* frmOptions = new Duzivuz::TfrmOptions(frmMain);
    frmOptions->SetLookupObject(frmMain->LookupObject());
    frmOptions->SetPathSelect(frmPathSelect);
    frmOptions->SetSettingsFile(&windows.Settings());
    windows.Create(frmOptions);
    frmMain->SetOptionsWindow(frmOptions);
    auto* frmPlayer = windows.Create(new TfrmPlayer(frmMain, TfrmPlayer::Program::Ripper));
    frmMain->SetPlayerWindow(frmPlayer);
    frmPlayer->SetOwnerWindow(frmMain);
    // Every message of the ripper, its plain boxes and errors too, comes in its skinned confirm window.
    auto* frmConfirm = windows.Create(new TfrmConfirm(frmMain));
    SpeakEverythingThrough(frmConfirm);
    auto* frmAbout = windows.Create(new Duzivuz::TfrmAbout(frmMain));
    for (QWidget* dialog :
         std::initializer_list<QWidget*>{frmPathSelect, frmRProgress, frmOptions, frmConfirm, frmAbout})
        DressInRipperLook(dialog, frmMain);
    frmMain->SetAboutWindow(frmAbout);
    // The player's tool buttons reach the windows while they are there.
    TPlayerToolWindows tools;
    tools.showOptions = [options = QPointer(frmOptions)] {
        if (options) ShowModal(*options);
    };
    tools.showAbout = [about = QPointer(frmAbout)] {
        if (about) ShowModal(*about);
    };
    frmPlayer->SetToolWindows(std::move(tools));
    frmMain->show();
}

ProgramDescription RipperProgram() {
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
    program.createWindows = CreateRipperWindows;
    program.finalize = RGlobeVar::Finalize;
    return program;
}
