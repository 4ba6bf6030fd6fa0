#include "ripper/RipperWindows.h"

#include "common/CommonWindows.h"
#include "platform/FormClassRegistry.h"
#include "ripper/About.h"
#include "ripper/Main.h"
#include "ripper/Options.h"
#include "ripper/RProgress.h"
#include "tools/Player.h"

void RegisterRipperWindows() {
    RegisterCommonWindows();
    FormWindowRegistry::add<Duzivuz::TfrmMain>(QStringLiteral(":/forms/Duzivuz/Main.form"));
    FormWindowRegistry::add<Duzivuz::TfrmOptions>(QStringLiteral(":/forms/Duzivuz/Options.form"));
    FormWindowRegistry::add<Duzivuz::TfrmAbout>(QStringLiteral(":/forms/Duzivuz/About.form"));
    FormWindowRegistry::add<Duzivuz::TfrmRProgress>(QStringLiteral(":/forms/Duzivuz/RProgress.form"));
    FormWindowRegistry::add(QStringLiteral(":/forms/Duzivuz/Player.form"), [] {
        return static_cast<QWidget*>(new TfrmPlayer(nullptr, TfrmPlayer::Program::Ripper));
    });
}
