#pragma once

// Makes everything the ripper's form descriptions name known before a window is built: what both
// programs share (RegisterCommonWindows) and the ripper's windows by their descriptions
// (FormWindowRegistry):
//
//   FormWindowRegistry::add<Duzivuz::TfrmAbout>(QStringLiteral(":/forms/Duzivuz/About.form"));
//
// Called once at start-up; calling it again changes nothing.
void RegisterRipperWindows();

struct ProgramDescription;
class ProgramWindows;
class QWidget;

namespace Duzivuz {
class TfrmMain;
}

// Dresses a dialog of the ripper (options, progress, about, folder choice, confirm) in the ripper's
// look: its skinned frame and title bar take the main window's graphite theme with the warm accent
// (`themeNew2`), as the main window's charcoal art with its orange accent, instead of the steel
// blue the shared dialogs take in the recorder.
void DressInRipperLook(QWidget* dialog, Duzivuz::TfrmMain* main);

// The ripper's windows, made in its fixed order (main, folder choice, progress, options, player,
// confirm, about) into `windows`, tied to each other, with the main window shown. main() makes them
// so through the program block, and the tests the same way.
void CreateRipperWindows(ProgramWindows& windows);
// The ripper program: title, start values, component modules, window creation and its own globals.
ProgramDescription RipperProgram();
