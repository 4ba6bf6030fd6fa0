#include "skin-extra/SKExtraControls.h"

#include "platform/FormResource.h"
#include "skin-extra/SKListView.h"
#include "skin-extra/SKProgressBar.h"

void RegisterSkinExtraControls() {
    FormClassRegistry::addWidget<TskProgressBar>(QStringLiteral("TskProgressBar"));
    FormClassRegistry::addWidget<TskListView>(QStringLiteral("TskListView"));
}
