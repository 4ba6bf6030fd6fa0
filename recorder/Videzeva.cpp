// The recorder program.
#include "platform/Application.h"
#include "recorder/Main.h"
#include "recorder/ProgramBlock.h"
#include "recorder/RecorderWindows.h"

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
        // Creation order: main, options, folder choice, player, confirm, schedule entry, splitter, joiner.
        static Videzeva::TfrmMain* frmMain = nullptr;
        frmMain = new Videzeva::TfrmMain;
        frmMain->create();
        frmMain->show();
    };
    return RunProgramBlock(argc, argv, program);
}
