// The recorder program.
#include "common/Confirm.h"
#include "common/PathSelect.h"
#include "common/ProgramBlock.h"
#include "platform/Application.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "recorder/Main.h"
#include "recorder/Options.h"
#include "recorder/RecorderWindows.h"
#include "recorder/SetTime.h"
#include "tools/Joiner.h"
#include "tools/Player.h"
#include "tools/Splitter.h"

int main(int argc, char** argv) {
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
    program.createWindows = [](Application&) {
        RegisterRecorderWindows();
        // The pictures of the windows made after the main window are decoded meanwhile.
        PrefetchFormPictures({QStringLiteral(":/forms/Videzeva/Player.form"),
                              QStringLiteral(":/forms/Videzeva/Splitter.form"),
                              QStringLiteral(":/forms/Videzeva/Joiner.form")});
        // Creation order: main, options, folder choice, player, confirm, schedule entry, splitter, joiner.
        // Every window lives until the program ends; the application object owns them.
        auto* frmMain = new Videzeva::TfrmMain;
        frmMain->create();
        auto* frmOptions = new Videzeva::TfrmOptions;
        frmOptions->SetMainWindow(frmMain);
        frmOptions->create();
        auto* frmPathSelect = new TfrmPathSelect;
        frmPathSelect->create();
        frmOptions->SetPathSelect(frmPathSelect);
        auto* frmPlayer = new TfrmPlayer;
        frmPlayer->create();
        auto* frmConfirm = new TfrmConfirm;
        frmConfirm->create();
        SpeakThrough(frmConfirm);
        auto* frmSchedule = new TfrmSchedule;
        frmSchedule->create();
        frmOptions->SetScheduleDialog(frmSchedule);
        auto* frmSplitter = new TfrmSplitter;
        frmSplitter->create();
        frmSplitter->SetOptionsWindow(frmOptions);
        auto* frmJoiner = new TfrmJoiner;
        frmJoiner->create();
        frmJoiner->SetOptionsWindow(frmOptions);
        frmMain->SetOptionsWindow(frmOptions);
        frmMain->SetPlayerWindow(frmPlayer);
        frmPlayer->SetOwnerWindow(frmMain);
        frmPlayer->SetToolWindow(QStringLiteral("Options"),
                                 [frmOptions](const QString&) { ShowModal(*frmOptions); });
        frmPlayer->SetToolWindow(QStringLiteral("Splitter"),
                                 [frmSplitter](const QString& file) { frmSplitter->ShowForFile(file); });
        frmPlayer->SetToolWindow(QStringLiteral("Joiner"),
                                 [frmJoiner](const QString& folder) { frmJoiner->ShowForFolder(folder); });
        for (QWidget* w : std::initializer_list<QWidget*>{frmOptions, frmPathSelect, frmPlayer, frmConfirm,
                                                          frmSchedule, frmSplitter, frmJoiner})
            w->setParent(frmMain, w->windowFlags());
        frmMain->show();
    };
    return RunProgramBlock(argc, argv, program);
}
