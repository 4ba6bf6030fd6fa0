#include "recorder/RecorderWindows.h"

#include "common/CommonWindows.h"
#include "platform/FormClassRegistry.h"
#include "recorder/Main.h"
#include "recorder/Options.h"
#include "recorder/SetTime.h"
#include "tools/Joiner.h"
#include "tools/Player.h"
#include "tools/Splitter.h"

void RegisterRecorderWindows() {
    RegisterCommonWindows();
    FormWindowRegistry::add<Videzeva::TfrmMain>(QStringLiteral(":/forms/Videzeva/Main.form"));
    FormWindowRegistry::add<Videzeva::TfrmOptions>(QStringLiteral(":/forms/Videzeva/Options.form"));
    FormWindowRegistry::add<TfrmSchedule>(QStringLiteral(":/forms/Videzeva/SetTime.form"));
    FormWindowRegistry::add<TfrmPlayer>(QStringLiteral(":/forms/Videzeva/Player.form"));
    FormWindowRegistry::add<TfrmSplitter>(QStringLiteral(":/forms/Videzeva/Splitter.form"));
    FormWindowRegistry::add<TfrmJoiner>(QStringLiteral(":/forms/Videzeva/Joiner.form"));
}
