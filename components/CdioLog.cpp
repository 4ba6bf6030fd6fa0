#include "components/CdioLog.h"

#include <cdio/logging.h>

#include <mutex>
#include <string>

namespace {

thread_local std::string t_lastMessage;

void logHandler(cdio_log_level_t level, const char message[]) {
    if (level >= CDIO_LOG_WARN && message) t_lastMessage = message;
}

} // namespace

namespace CdioLog {

void install() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(logHandler); });
}

QString take() {
    QString text = QString::fromLocal8Bit(t_lastMessage.c_str()).trimmed();
    t_lastMessage.clear();
    return text;
}

} // namespace CdioLog
