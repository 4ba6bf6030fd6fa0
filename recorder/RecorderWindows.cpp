#include "recorder/RecorderWindows.h"

#include "components/FormComponents.h"
#include "platform/FormClassRegistry.h"
#include "skin/SKRegister.h"

void RegisterRecorderWindows() {
    RegisterSkinControls();
    RegisterAudioComponents();
}
