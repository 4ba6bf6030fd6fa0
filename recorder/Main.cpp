#include "recorder/Main.h"

#include "platform/ProgramPaths.h"
#include "recorder/GlobeVar.h"

#include <QApplication>

namespace Videzeva {

TfrmMain::TfrmMain(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("frmMain"));
    setMainForm(true);
}

void TfrmMain::FormCreate() {
    setWindowTitle(QApplication::applicationDisplayName());
    // The settings window, created next, reads its file from here and overwrites both folders.
    GlobeVar::AppPath = ProgramPaths::programFolder();
    GlobeVar::SettingsPath = ProgramPaths::settingsFolder();
    GlobeVar::OutputPath = GlobeVar::AppPath;
    GlobeVar::ConvertOutputPath = GlobeVar::AppPath;
}

} // namespace Videzeva
