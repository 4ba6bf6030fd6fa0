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
    auto* frmOptions = new Videzeva::TfrmOptions;
    frmOptions->SetMainWindow(frmMain);
    frmOptions->SetSettingsFile(&windows.Settings());
    windows.Create(frmOptions);
    auto* frmPathSelect = windows.Create(new TfrmPathSelect);
    frmOptions->SetPathSelect(frmPathSelect);
    auto* frmPlayer = windows.Create(new TfrmPlayer);
    auto* frmConfirm = windows.Create(new TfrmConfirm);
    SpeakThrough(frmConfirm);
    auto* frmSchedule = windows.Create(new TfrmSchedule);
    frmOptions->SetScheduleDialog(frmSchedule);
    auto* frmSplitter = windows.Create(new TfrmSplitter);
    frmSplitter->SetOptionsWindow(frmOptions);
    auto* frmJoiner = windows.Create(new TfrmJoiner);
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
    // The other windows are the main window's: on the desktop they stand over it.
    for (QWidget* w : std::initializer_list<QWidget*>{frmOptions, frmPathSelect, frmPlayer, frmConfirm,
                                                      frmSchedule, frmSplitter, frmJoiner})
        w->setParent(frmMain, w->windowFlags());
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
