#pragma once

// Makes everything the recorder's form descriptions name known before a window is built: what both
// programs share (RegisterCommonWindows) and the recorder's (and tools') windows by their
// descriptions (FormWindowRegistry), so every description can be loaded into its window and checked.
// A window with a description adds itself here:
//
//   FormWindowRegistry::add<Videzeva::TfrmOptions>(QStringLiteral(":/forms/Videzeva/Options.form"));
//
// Called once at start-up; calling it again changes nothing.
void RegisterRecorderWindows();

struct ProgramDescription;
class ProgramWindows;

// The recorder's windows, made in its fixed order (main, options, folder choice, player, confirm,
// schedule entry, splitter, joiner) into `windows`, tied to each other, with the main window shown.
// main() makes them so through the program block, and the tests the same way.
void CreateRecorderWindows(ProgramWindows& windows);
// The recorder program: title, start values, component modules and window creation.
ProgramDescription RecorderProgram();
