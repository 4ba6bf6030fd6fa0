#pragma once

#include <QString>
#include <QStringList>

// The shell's "open": a folder opens in the file manager, a document in its program (the
// desktop's `xdg-open`), a web address in the browser, an executable program file starts. Nothing
// waits for the desktop's helper: false only when nothing could be started at once; every failure,
// at once or when the helper ends (missing, not startable, a non-zero exit), is told to the user
// through ReportError with what could not be opened.
bool ShellOpen(const QString& target);

// Starts one of the desktop's helpers (`xdg-open`, `xdg-email`) without waiting for it. When it is
// missing, cannot start, crashes or ends with a non-zero exit code, ReportError tells `failure`
// followed by the reason ("Unable to open /music/: xdg-open ended with exit code 4"). False when
// it is not installed (told at once). A helper still running when the program ends is left running.
bool RunDesktopHelper(const QString& program, const QStringList& arguments, const QString& failure);

// The address the Home buttons open: the build's SUITE_HOME_URL. A web address stands as it is; a
// plain file name is the page of that name beside the program (`appPath`, ending in "/").
QString SuiteHomeAddress(const QString& appPath);
