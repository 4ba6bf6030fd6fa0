#pragma once

#include <QString>

// The ripper's run state shared by its windows.
namespace RGlobeVar {

extern QString ROutPutPath; // folder ripped files go into
extern int ROutputFilename; // index of the file-name pattern; pattern number = index + 1
extern bool RUseAll;        // write the four additional tags
extern QString RComments, RCopyRight, RUrl, REncodeBy;
extern QString CurrentOutputFile; // full name of the file being grabbed
extern int CurrentTrackRow;       // list row of the track being grabbed

// The disc-lookup server the options window chose: its name, port and time-out (ms).
extern QString FreeDBServer;
extern int FreeDBPort, FreeDBTimeOut;

// Clears the texts.
void Finalize();

} // namespace RGlobeVar
