#include "recorder/RecorderWindows.h"

#include "common/CommonWindows.h"
#include "common/Confirm.h"
#include "common/PathSelect.h"
#include "common/ProgramBlock.h"
#include "platform/FormClassRegistry.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "recorder/Main.h"
#include "recorder/Options.h"
#include "recorder/SetTime.h"
#include "tools/Joiner.h"
#include "tools/Player.h"
#include "tools/Splitter.h"

#include <QPointer>

void RegisterRecorderWindows() {
    RegisterCommonWindows();
    FormWindowRegistry::add<Videzeva::TfrmMain>(QStringLiteral(":/forms/Videzeva/Main.form"));
    FormWindowRegistry::add<Videzeva::TfrmOptions>(QStringLiteral(":/forms/Videzeva/Options.form"));
    FormWindowRegistry::add<TfrmSchedule>(QStringLiteral(":/forms/Videzeva/SetTime.form"));
    FormWindowRegistry::add<TfrmPlayer>(QStringLiteral(":/forms/Videzeva/Player.form"));
    FormWindowRegistry::add<TfrmSplitter>(QStringLiteral(":/forms/Videzeva/Splitter.form"));
    FormWindowRegistry::add<TfrmJoiner>(QStringLiteral(":/forms/Videzeva/Joiner.form"));
}

void CreateRecorderWindows(ProgramWindows& windows) {
    RegisterRecorderWindows();
    // The pictures of the windows made after the main window are decoded meanwhile.
    PrefetchFormPictures({QStringLiteral(":/forms/Videzeva/Player.form"),
                          QStringLiteral(":/forms/Videzeva/Splitter.form"),
                          QStringLiteral(":/forms/Videzeva/Joiner.form")});
    auto* frmMain = new Videzeva::TfrmMain;
    frmMain->SetSettingsFile(&windows.Settings());
    windows.Create(frmMain);
    // Every other window is made with the main window as its owner (so on the desktop it stands
    // over it); the program block deletes them all, the main window last.
    auto* frmOptions = new Videzeva::TfrmOptions(frmMain);
    frmOptions->SetMainWindow(frmMain);
    frmOptions->SetSettingsFile(&windows.Settings());
    windows.Create(frmOptions);
    auto* frmPathSelect = windows.Create(new TfrmPathSelect(frmMain));
    frmOptions->SetPathSelect(frmPathSelect);
    auto* frmPlayer = windows.Create(new TfrmPlayer(frmMain));
    auto* frmConfirm = windows.Create(new TfrmConfirm(frmMain));
    SpeakThrough(frmConfirm);
    auto* frmSchedule = windows.Create(new TfrmSchedule(frmMain));
    frmOptions->SetScheduleDialog(frmSchedule);
    auto* frmSplitter = windows.Create(new TfrmSplitter(frmMain));
    frmSplitter->SetOptionsWindow(frmOptions);
    auto* frmJoiner = windows.Create(new TfrmJoiner(frmMain));
    frmJoiner->SetOptionsWindow(frmOptions);
    frmMain->SetOptionsWindow(frmOptions);
    frmMain->SetPlayerWindow(frmPlayer);
    frmPlayer->SetOwnerWindow(frmMain);
    // The player's tool buttons reach the windows while they are there.
    TPlayerToolWindows tools;
    tools.showOptions = [options = QPointer(frmOptions)] {
        if (options) ShowModal(*options);
    };
    tools.showSplitter = [splitter = QPointer(frmSplitter)](const QString& file) {
        if (splitter) splitter->ShowForFile(file);
    };
    tools.showJoiner = [joiner = QPointer(frmJoiner)](const QString& folder) {
        if (joiner) joiner->ShowForFolder(folder);
    };
    frmPlayer->SetToolWindows(std::move(tools));
    frmMain->show();
}

ProgramDescription RecorderProgram() {
    ProgramDescription program;
    program.title = QStringLiteral("Ridezo mp3 recorder 3.1");
    program.startValues = GlobeVar::RecorderStartValues();
    program.componentFiles = {QStringLiteral("atl.dll"),
                              QStringLiteral("oleaut32.dll"),
                              QStringLiteral("NCTWMAFile2.dll"),
                              QStringLiteral("NCTAudioFile2.dll"),
                              QStringLiteral("NCTAudioPlayer2.dll"),
                              QStringLiteral("NCTAudioRecord2.dll"),
                              QStringLiteral("NCTAudioDisplay2.dll"),
                              QStringLiteral("NCTAudioTransform2.dll"),
                              QStringLiteral("NCTAudioInformation2.dll"),
                              QStringLiteral("NCTAudioVisualization2.dll")};
    program.createWindows = CreateRecorderWindows;
    return program;
}
