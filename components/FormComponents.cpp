#include "components/FormComponents.h"

#include "components/TAudioCDGrabber2.h"
#include "components/TAudioDisplay2.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "components/TAudioTransform2.h"
#include "components/TAudioVisualization2.h"
#include "components/TFreeDBInformation2.h"
#include "components/TWMAFile2.h"
#include "platform/FormResource.h"

void RegisterAudioComponents() {
    FormClassRegistry::addObject<TAudioRecord2>(QStringLiteral("TAudioRecord2"));
    FormClassRegistry::addObject<TAudioPlayer2>(QStringLiteral("TAudioPlayer2"));
    FormClassRegistry::addObject<TAudioTransform2>(QStringLiteral("TAudioTransform2"));
    FormClassRegistry::addObject<TAudioFile2>(QStringLiteral("TAudioFile2"));
    FormClassRegistry::addObject<TAudioFile2LameEnc>(QStringLiteral("TAudioFile2LameEnc"));
    FormClassRegistry::addObject<TAudioInformation2>(QStringLiteral("TAudioInformation2"));
    FormClassRegistry::addObject<TWMAFile2>(QStringLiteral("TWMAFile2"));
    FormClassRegistry::addObject<TAudioCDGrabber2>(QStringLiteral("TAudioCDGrabber2"));
    FormClassRegistry::addObject<TFreeDBInformation2>(QStringLiteral("TFreeDBInformation2"));
    FormClassRegistry::addWidget<TAudioDisplay2>(QStringLiteral("TAudioDisplay2"));
    FormClassRegistry::addWidget<TAudioVisualization2>(QStringLiteral("TAudioVisualization2"));
}
