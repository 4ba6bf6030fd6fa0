#include "ripper/RGlobeVar.h"

namespace RGlobeVar {

QString ROutPutPath;
int ROutputFilename = 0;
bool RUseAll = false;
QString RComments, RCopyRight, RUrl, REncodeBy;
QString CurrentOutputFile;
int CurrentTrackRow = 0;

void Finalize() {
    for (QString* s : {&ROutPutPath, &RComments, &RCopyRight, &RUrl, &REncodeBy, &CurrentOutputFile})
        s->clear();
}

} // namespace RGlobeVar
