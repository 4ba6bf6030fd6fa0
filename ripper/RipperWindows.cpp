#include "ripper/RipperWindows.h"

#include "platform/FormClassRegistry.h"
#include "recorder/RecorderWindows.h"

void RegisterRipperWindows() {
    RegisterRecorderWindows();
}
