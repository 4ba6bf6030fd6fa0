#pragma once

#include <QString>

// The shell's "open": a folder opens in the file manager, a document or web address in its
// program, an executable program file starts. Fire and forget: false only when nothing could be
// started; callers that ignore the result lose nothing.
bool ShellOpen(const QString& target);

// The address the Home buttons open: the build's SUITE_HOME_URL. A web address stands as it is; a
// plain file name is the page of that name beside the program (`appPath`, ending in "/").
QString SuiteHomeAddress(const QString& appPath);
