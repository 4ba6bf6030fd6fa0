#include "ripper/About.h"

#include "platform/FormResource.h"
#include "recorder/DialogControls.h"
#include "skin/SKURLLabel.h"

#ifndef SUITE_HOME_URL
#define SUITE_HOME_URL "https://duzivuz.example.org/"
#endif

namespace Duzivuz {

TfrmAbout::TfrmAbout(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Duzivuz/About.form"));
    FormChild<TskURLLabel>(this, QStringLiteral("URLLabel1"))->SetURL(QStringLiteral(SUITE_HOME_URL));
    ApplyEmbeddedTheme(this);
}

} // namespace Duzivuz
