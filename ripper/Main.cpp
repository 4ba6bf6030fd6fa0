#include "ripper/Main.h"

#include "platform/ProgramPaths.h"
#include "recorder/GlobeVar.h"

#include <QApplication>

namespace Duzivuz {

TfrmMain::TfrmMain(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("frmMain"));
    setMainForm(true);
}

void TfrmMain::FormCreate() {
    setWindowTitle(QApplication::applicationDisplayName());
    GlobeVar::AppPath = ProgramPaths::programFolder();
    GlobeVar::SettingsPath = ProgramPaths::settingsFolder();
    GlobeVar::OutputPath = GlobeVar::AppPath;
    GlobeVar::ConvertOutputPath = GlobeVar::AppPath;
}

} // namespace Duzivuz
