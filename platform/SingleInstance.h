#pragma once

#include <QString>

// One running copy per program file name. The first caller takes a lock named after the program
// file's name and keeps it for the rest of the process; the kernel drops it when the process ends,
// however it ends, so a crashed run never blocks the next start.
namespace SingleInstance {

// True when this process now holds the guard; false when another process of the same program file
// name holds it (the caller then ends silently).
bool acquire(const QString& programFileName);

// Where the lock files live: $XDG_RUNTIME_DIR, or the temporary folder.
QString lockFilePath(const QString& programFileName);

} // namespace SingleInstance
