#include "common/PathSelect.h"

#include "common/DialogControls.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/ProgramPaths.h"

TfrmPathSelect::TfrmPathSelect(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Videzeva/PathSelect.form"));
    ShellTreeView1 = FormChild<TShellTreeView>(this, QStringLiteral("ShellTreeView1"));
    ApplyEmbeddedTheme(this);
    FitSkinnedDialog(this);
}

void TfrmPathSelect::FormCreate() {
    // At first the home folder is open and selected.
    ShellTreeView1->SelectFolder(ProgramPaths::homeFolder());
}

void TfrmPathSelect::btnOkClick() {
    QString path = ShellTreeView1->SelectedFolder();
    if (path.endsWith(u'/')) path.chop(1);
    SelectedPath = path + u'/';
    setModalResult(mrOk);
}

void TfrmPathSelect::btnCancelClick() {
    SelectedPath.clear();
    setModalResult(mrCancel);
}
