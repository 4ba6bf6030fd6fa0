#pragma once

#include "common/OptionsSettings.h"

#include <QString>
#include <QStringList>

class ProfileText;
class TFreeDBInformation2;
class TSettingsFile;

namespace Duzivuz {

// The ripper's WMA list holds the 15 profiles once.
constexpr int kRipperWmaProfiles = 15;
// The longest time-out the options window takes, in milliseconds.
constexpr int kMaxFreeDBTimeOut = 600000;

// What the ripper's options window shows and keeps in the settings file: the format pages and the
// output folder as the recorder keeps them (the WavFreq .. WmaFormat and OutputPath entries of
// `shared`, with the recorder's keys, lists and read defaults), and the disc-lookup server.
struct TRipperOptions {
    Videzeva::TOptionsValues shared;
    int freeDBServer = 1;     // index into the lookup object's server table, 0..10
    int freeDBPort = 80;      // 1..65535
    int freeDBTimeOut = 7000; // milliseconds, 1..kMaxFreeDBTimeOut

    // Equal in what the ripper keeps (the rest of `shared` is not the ripper's).
    bool operator==(const TRipperOptions& other) const;
};

// The "&Default" button and the first run: the recorder's first-run format values, server 1, port
// 80, time-out 7000, and the program folder as output folder (created when missing).
TRipperOptions SetDefaultOptions();

// Reads the ripper's keys into `options`: the "OutputFormat" keys (a missing key, a non-number or
// a list index outside its list gives the read default; a WMA profile past the 15th too),
// "OutputPath"/"OutputPath" with GlobeVar::OutputPath as default (a folder that does not exist
// becomes the program folder), and "FreeDB" ("Server", "Port", "TimeOut"; a value outside its
// range gives its read default).
void LoadRipperSettings(const ProfileText& file, TRipperOptions& options);
// Writes the ripper's keys in their order: "OutputFormat" (the 15 format keys), "OutputPath"
// (the single key "OutputPath"), "FreeDB". Raises ProfileWriteError at the first refused write.
void SaveRipperSettings(ProfileText& file, const TRipperOptions& options);
// The same into the settings file, then written: nothing changes when a value is refused, and a
// file that refuses the write raises ProfileWriteError.
void SaveRipperSettings(TSettingsFile& settings, const TRipperOptions& options);

// Start-up: an existing settings file is loaded; otherwise the defaults are written as a fresh file
// (the first run). Either way the lookup object takes the server, port and time-out. A file that
// cannot be read or written is told once (GlobeVar::ReportSettingsFileFault), and the defaults stand
// for what it could not give.
TRipperOptions StartupRipperOptions(TSettingsFile& settings, TFreeDBInformation2& info);

// The server list: the name of each entry of the lookup object's table, selecting each in turn
// (entry 0 stays selected).
QStringList FreeDBServerNames(TFreeDBInformation2& info);
// The chosen server, port and time-out into the lookup object.
void SelectFreeDBServer(const TRipperOptions& options, TFreeDBInformation2& info);
// As SelectFreeDBServer, and the server's name, port and time-out into RGlobeVar's FreeDB globals.
void GetFreeDBSettings(const TRipperOptions& options, TFreeDBInformation2& info);

// The format values into the shared globals, converted as the recorder converts them, and the
// trimmed output folder into GlobeVar::OutputPath and RGlobeVar::ROutPutPath (so the next rip
// uses the folder just chosen).
void ApplyRipperOptionsToGlobals(const TRipperOptions& options);

} // namespace Duzivuz
