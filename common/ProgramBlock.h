#pragma once

#include "common/GlobeVar.h"
#include "common/SettingsFile.h"
#include "platform/Form.h"

#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

class Application;

// The windows of a running program, kept by the program block from start-up to exit in the order
// they were made (the application object's part in the programs' design). Each window's creation
// handler runs as it is added, inside the error guard: a fault there is told like any other and the
// program goes on with the window as it stands. After the message loop `Close` runs the destroy
// handlers, the last-made window first (so the settings window saves while the main window's
// controls still exist), writes what the windows put into the settings file and nobody wrote, and
// then deletes the windows in that same order.
//
// It also holds the program's settings file, the one object every window that keeps settings
// reads and changes (handed to them as the windows are tied to each other).
class ProgramWindows {
public:
    ProgramWindows() = default;
    ~ProgramWindows();
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // Keeps `window` and runs its creation handler; returns it.
    template <class T> T* Create(T* window) {
        keep(window);
        return window;
    }
    // The first window of class T, or null.
    template <class T> T* find() const {
        for (const QPointer<TForm>& w : m_windows)
            if (auto* t = qobject_cast<T*>(w.data())) return t;
        return nullptr;
    }
    int count() const { return int(m_windows.size()); }
    TSettingsFile& Settings() { return m_settings; }
    // Runs every destroy handler, then deletes every window; once.
    void Close();

private:
    void keep(TForm* window);
    TSettingsFile m_settings;
    std::vector<QPointer<TForm>> m_windows;
};

// What makes one program: its title, the start values of its globals, the component modules it
// registers, and its window creation (every window in the program's fixed order, the main window
// shown at the end).
struct ProgramDescription {
    QString title;
    GlobeVar::StartValues startValues;
    QStringList componentFiles; // registered in this order, results ignored
    std::function<void(ProgramWindows&)> createWindows;
    // Releases the program's own globals once its windows are gone (may be empty).
    std::function<void()> finalize;
};

// The start-up both programs share: one instance per program file name, then the application object
// and `RunProgram`. The program's exit code; 0 at once, without any window, when another copy
// already runs.
int RunProgramBlock(int argc, char** argv, const ProgramDescription& program);

// What the program block does once the application object exists: the globals' start values, the
// title, the registration of the component modules found in the system folder, the windows, the
// message loop until the main window closes, then the windows' destroy handlers and their deletion
// and the globals' release. `started` (tests) runs once every window exists, before the loop.
int RunProgram(Application& app, const ProgramDescription& program,
               const std::function<void(ProgramWindows&)>& started = {});
