#pragma once

#include "common/OptionsSettings.h"

#include <QString>

class ProfileText;
class TSettingsFile;

// The recorder's settings file as a whole: the sections of the settings window and what the main
// window adds, with the schedule file beside it.
namespace Videzeva {

// What the main window adds to the settings file: the chosen capture device and input line
// ("Device" section) and the chosen output format (0 WAV, 1 MP3, 2 OGG, 3 WMA; "Selected").
struct TOptionsMainState {
    QString inputDevice;
    QString inputLine;
    int selected = 0;
    // False while the main window has not shown what it read of these (it ended at its start for
    // want of a capture device): the file keeps the values it holds, these stand only for missing keys.
    bool shown = true;
};

// What the settings file says of the main window; a missing key gives an empty text or 0.
TOptionsMainState ReadOptionsMainState(const ProfileText& file);

// The whole settings file in its order ("OutputFormat", "Hotkey", "AutoStop", "OutputPath", "Mail",
// "Device", and "Selected" last) in one write, then the schedule file in one write. Raises
// ProfileWriteError at the first file refused; each file is the old one or the new one, whole.
void SaveOptionsFile(TSettingsFile& settings, const QString& scheduleFile, const TOptionsValues& values,
                     const TOptionsMainState& main);
// The settings and then the schedule file (a schedule file without entries leaves
// `values.schedule` as it was).
void LoadOptionsFile(const TSettingsFile& settings, const QString& scheduleFile, TOptionsValues& values);
// Start-up: an existing settings file is loaded; otherwise the defaults are written as a fresh file
// with an empty schedule file (the first run). Returns the values the window shows.
TOptionsValues StartupOptionsValues(TSettingsFile& settings, const QString& scheduleFile,
                                    const TOptionsMainState& main);

} // namespace Videzeva
