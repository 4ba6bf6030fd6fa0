#pragma once

#include <QString>

// The shell's "open": a folder opens in the file manager, a document or web address in its
// program, an executable program file starts. Fire and forget: false only when nothing could be
// started; callers that ignore the result lose nothing.
bool ShellOpen(const QString& target);
