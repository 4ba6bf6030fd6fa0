#include "recorder/RecorderWindows.h"

#include "components/FormComponents.h"
#include "platform/FormClassRegistry.h"
#include "recorder/Confirm.h"
#include "recorder/DialogControls.h"
#include "recorder/Main.h"
#include "recorder/Options.h"
#include "recorder/PathSelect.h"
#include "recorder/SetTime.h"
#include "skin-extra/SKExtraControls.h"
#include "skin/SKRegister.h"
#include "tools/Joiner.h"
#include "tools/Player.h"
#include "tools/Splitter.h"

void RegisterRecorderWindows() {
    RegisterSkinControls();
    RegisterSkinExtraControls();
    RegisterAudioComponents();
    RegisterDialogControls();
    FormWindowRegistry::add<Videzeva::TfrmMain>(QStringLiteral(":/forms/Videzeva/Main.form"));
    FormWindowRegistry::add<Videzeva::TfrmOptions>(QStringLiteral(":/forms/Videzeva/Options.form"));
    FormWindowRegistry::add<TfrmSchedule>(QStringLiteral(":/forms/Videzeva/SetTime.form"));
    FormWindowRegistry::add<TfrmConfirm>(QStringLiteral(":/forms/Videzeva/Confirm.form"));
    FormWindowRegistry::add<TfrmPathSelect>(QStringLiteral(":/forms/Videzeva/PathSelect.form"));
    FormWindowRegistry::add<TfrmPlayer>(QStringLiteral(":/forms/Videzeva/Player.form"));
    FormWindowRegistry::add<TfrmSplitter>(QStringLiteral(":/forms/Videzeva/Splitter.form"));
    FormWindowRegistry::add<TfrmJoiner>(QStringLiteral(":/forms/Videzeva/Joiner.form"));
}
