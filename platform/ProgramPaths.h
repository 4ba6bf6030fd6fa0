#pragma once

#include <QString>

// Where the programs find and keep their files.
namespace ProgramPaths {

// The folder of the running program file, with a trailing "/".
QString programFolder();
// Makes `folder` stand for the program folder in what follows (tests run a program's windows as if
// its file lay in a folder of their own); an empty text goes back to the real one.
void setProgramFolder(const QString& folder);
// The program file's name without its folder ("Videzeva").
QString programFileName();
// The folder that plays the part of the system folder: "system" inside the program folder, where
// component modules would be installed. No trailing "/".
QString systemFolder();
// The user's home folder with a trailing "/": the start value of output folders.
QString homeFolder();
// The folder settings and schedule files live in: the program folder when a new file can be
// created there, otherwise the user's configuration folder for the program (created on demand).
// Trailing "/".
QString settingsFolder();
// True when a new file can be created in `folder` (the test creates and removes a file).
bool canCreateFileIn(const QString& folder);
// `folder` with exactly one trailing "/" (an empty text stays empty).
QString withTrailingSeparator(const QString& folder);

} // namespace ProgramPaths
