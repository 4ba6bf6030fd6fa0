#include "ripper/About.h"

#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "platform/FormResource.h"
#include "platform/Shell.h"
#include "skin/SKURLLabel.h"

namespace Duzivuz {

TfrmAbout::TfrmAbout(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Duzivuz/About.form"));
    FormChild<TskURLLabel>(this, QStringLiteral("URLLabel1"))->SetURL(SuiteHomeAddress(GlobeVar::AppPath));
    ApplyEmbeddedTheme(this);
    FitSkinnedDialog(this);
}

} // namespace Duzivuz
