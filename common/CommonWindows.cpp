#include "common/CommonWindows.h"

#include "common/Confirm.h"
#include "common/DialogControls.h"
#include "common/PathSelect.h"
#include "components/FormComponents.h"
#include "platform/FormClassRegistry.h"
#include "skin-extra/SKExtraControls.h"
#include "skin/SKRegister.h"

void RegisterCommonWindows() {
    RegisterSkinControls();
    RegisterSkinExtraControls();
    RegisterAudioComponents();
    RegisterDialogControls();
    FormWindowRegistry::add<TfrmConfirm>(QStringLiteral(":/forms/Videzeva/Confirm.form"));
    FormWindowRegistry::add<TfrmPathSelect>(QStringLiteral(":/forms/Videzeva/PathSelect.form"));
}
