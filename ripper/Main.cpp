#include "ripper/Main.h"

#include "recorder/GlobeVar.h"

#include <QApplication>

namespace Duzivuz {

TfrmMain::TfrmMain(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("frmMain"));
    setMainForm(true);
}

void TfrmMain::FormCreate() {
    setWindowTitle(QApplication::applicationDisplayName());
    GlobeVar::SetProgramFolders();
}

} // namespace Duzivuz
