#pragma once

#include <QString>

// The ripper's run state shared by its windows.
namespace RGlobeVar {

extern QString ROutPutPath; // folder ripped files go into
extern int ROutputFilename; // index of the file-name pattern; pattern number = index + 1
extern bool RUseAll;        // write the four additional tags
extern QString RComments, RCopyRight, RUrl, REncodeBy;
// The file being grabbed (its temporary name while it is written, then its final one) and its list
// row, kept up to date by the rip for whoever looks. The rip itself does not read them back: its tag
// writer gets its own copies of the file and tags when it starts, and the cancel discards the file
// the rip job holds, so no thread reads a global and there is one owner of the file.
extern QString CurrentOutputFile;
extern int CurrentTrackRow;

// The disc-lookup server the options window chose: its name, port and time-out (ms).
extern QString FreeDBServer;
extern int FreeDBPort, FreeDBTimeOut;

// Clears the texts.
void Finalize();

} // namespace RGlobeVar
