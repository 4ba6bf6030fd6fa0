#pragma once

#include "common/GlobeVar.h"

#include <QStringList>

#include <functional>

class Application;

// The start-up both programs share: one instance per program file name, the application object and
// its title, registration of the component modules found in the system folder, then the windows
// (created by `createWindows` in the program's fixed order) and the message loop.
struct ProgramDescription {
    QString title;
    GlobeVar::StartValues startValues;
    QStringList componentFiles; // registered in this order, results ignored
    // Creates every window; returns after the main window is shown.
    std::function<void(Application&)> createWindows;
};

// The program's exit code; 0 at once, without any window, when another copy already runs.
int RunProgramBlock(int argc, char** argv, const ProgramDescription& program);
