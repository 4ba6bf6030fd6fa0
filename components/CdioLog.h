#pragma once

#include <QString>

// libcdio reports problems (a missing data file, a bad CUE line, a drive that cannot be opened)
// through a log handler. The last warning or error of the current thread is kept for the error
// text; nothing goes to stderr.
namespace CdioLog {

// Installs the handler (once for the process; later calls change nothing).
void install();
// The last kept message of this thread, trimmed; empty when none. The message is forgotten.
QString take();

} // namespace CdioLog
