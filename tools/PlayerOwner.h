#pragma once

#include <QString>
#include <QStringList>

class TPlaybackLevel;

// What the player window asks of the program's main window that owns it (the recorder's or the
// ripper's): the playback volume and mute both keep in step, switching back to the main window, and
// what the recorder is recording now.
class TPlayerOwnerWindow {
public:
    virtual ~TPlayerOwnerWindow() = default;
    // The playback volume and mute the main window keeps; the player follows it and hands its own
    // changes to it.
    virtual TPlaybackLevel& PlaybackLevel() = 0;
    // Shows and raises the main window.
    virtual void ShowMainWindow() = 0;
    // True while the main window records (the player asks before playing over it).
    virtual bool Recording() const { return false; }
    // Full path of the file being recorded now; empty when none (the folder scan leaves it out).
    virtual QString FileBeingRecorded() const { return {}; }
    // Full paths of the recordings made since the program started (listed with their own marker).
    virtual QStringList RecordingsOfThisRun() const { return {}; }
};

namespace Videzeva {

// What the main window asks of the player window: the recordings it hands over, showing and hiding
// it, and the conversion that may be running when the program closes.
class TRecorderPlayerWindow {
public:
    virtual ~TRecorderPlayerWindow() = default;
    virtual void AddFileToList(const QString& fileName, bool marker) = 0;
    virtual int ConvertingRow() const = 0;
    virtual void CancelConversion() = 0;
    virtual void ShowPlayer() = 0;
    virtual void HidePlayer() = 0;
};

} // namespace Videzeva
