#include "recorder/Main.h"

#include "recorder/GlobeVar.h"

#include <QApplication>

namespace Videzeva {

TfrmMain::TfrmMain(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("frmMain"));
    setMainForm(true);
}

void TfrmMain::FormCreate() {
    setWindowTitle(QApplication::applicationDisplayName());
    // The settings window, created next, reads its file from there and overwrites both folders.
    GlobeVar::SetProgramFolders();
}

} // namespace Videzeva
