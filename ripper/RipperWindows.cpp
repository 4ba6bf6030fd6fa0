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
    auto* theme =
        main->findChild<TskBuiltInFileTheme*>(QStringLiteral("themeNew2"), Qt::FindDirectChildrenOnly);
    if (!theme) return;
    // Guarded: the frame re-themed may replace the title bar's parts the list still holds.
    QList<QPointer<QObject>> frames;
    for (QObject* o : dialog->findChildren<QObject*>())
        if (o->inherits("TskForm") || o->inherits("TskTitleBar")) frames.append(o);
    for (const QPointer<QObject>& o : frames)
        if (o) o->setProperty("FileTheme", QVariant::fromValue<TskFileTheme*>(theme));
}

void CreateRipperWindows(ProgramWindows& windows) {
    RegisterRipperWindows();
    auto* frmMain = windows.Create(new Duzivuz::TfrmMain);
    auto* frmPathSelect = windows.Create(new TfrmPathSelect(frmMain));
    auto* frmRProgress = new Duzivuz::TfrmRProgress(frmMain);
    frmRProgress->SetMainWindow(frmMain);
    windows.Create(frmRProgress);
    frmMain->SetProgressWindow(frmRProgress);
    auto* frmOptions = new Duzivuz::TfrmOptions(frmMain);
    frmOptions->SetLookupObject(frmMain->LookupObject());
    frmOptions->SetPathSelect(frmPathSelect);
    windows.Create(frmOptions);
    frmMain->SetOptionsWindow(frmOptions);
    auto* frmPlayer = windows.Create(new TfrmPlayer(frmMain, TfrmPlayer::Program::Ripper));
    frmPlayer->SetToolWindow(QStringLiteral("Options"),
                             [frmOptions](const QString&) { ShowModal(*frmOptions); });
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
    frmPlayer->SetToolWindow(QStringLiteral("About"), [frmAbout](const QString&) { ShowModal(*frmAbout); });
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
