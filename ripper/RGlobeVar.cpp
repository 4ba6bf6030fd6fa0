#include "ripper/RGlobeVar.h"

namespace RGlobeVar {

QString ROutPutPath;
int ROutputFilename = 0;
bool RUseAll = false;
QString RComments, RCopyRight, RUrl, REncodeBy;
QString CurrentOutputFile;
int CurrentTrackRow = 0;
QString FreeDBServer;
int FreeDBPort = 80, FreeDBTimeOut = 7000;

void Finalize() {
    for (QString* s :
         {&ROutPutPath, &RComments, &RCopyRight, &RUrl, &REncodeBy, &CurrentOutputFile, &FreeDBServer})
        s->clear();
}

} // namespace RGlobeVar
