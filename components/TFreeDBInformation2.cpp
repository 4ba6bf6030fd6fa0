#include "components/TFreeDBInformation2.h"

#include "components/ComponentError.h"

namespace {

// The servers of the FreeDB database that answer today. gnudb.gnudb.org is FreeDB's successor
// (protocol level 6, UTF-8); it prefers HTTP and keeps CDDBP on port 8880 for older clients.
// dBpoweramp's freedb.dbpoweramp.com answers the same HTTP queries. The "localhost" entries
// reach a FreeDB mirror on this computer. The table has 11 slots because the ripper stores the
// chosen index (0..10); the slots without a server are named "(none)" and fail at once.
const TFreeDBInformation2::Server kServers[TFreeDBInformation2::kServerCount] = {
    {"gnudb.gnudb.org (CDDBP)", "gnudb.gnudb.org", TFreeDBInformation2::Protocol::Cddbp, 8880, ""},
    {"gnudb.gnudb.org (HTTP)", "gnudb.gnudb.org", TFreeDBInformation2::Protocol::Http, 80, "/~cddb/cddb.cgi"},
    {"freedb.dbpoweramp.com (HTTP)", "freedb.dbpoweramp.com", TFreeDBInformation2::Protocol::Http, 80,
     "/~cddb/cddb.cgi"},
    {"localhost (HTTP)", "localhost", TFreeDBInformation2::Protocol::Http, 80, "/~cddb/cddb.cgi"},
    {"localhost (CDDBP)", "localhost", TFreeDBInformation2::Protocol::Cddbp, 8880, ""},
    {"(none)", "", TFreeDBInformation2::Protocol::None, 80, ""},
    {"(none)", "", TFreeDBInformation2::Protocol::None, 80, ""},
    {"(none)", "", TFreeDBInformation2::Protocol::None, 80, ""},
    {"(none)", "", TFreeDBInformation2::Protocol::None, 80, ""},
    {"(none)", "", TFreeDBInformation2::Protocol::None, 80, ""},
    {"(none)", "", TFreeDBInformation2::Protocol::None, 80, ""},
};

} // namespace

const TFreeDBInformation2::Server& TFreeDBInformation2::server(int index) {
    return kServers[index];
}

TFreeDBInformation2::TFreeDBInformation2(QObject* parent) : QObject(parent) {}

void TFreeDBInformation2::SelectServer(int index) {
    if (index < 0 || index >= kServerCount)
        throw ComponentError(QStringLiteral("There is no disc-database server number %1.").arg(index));
    m_index = index;
    m_port = kServers[index].port;
}

QString TFreeDBInformation2::GetServerName() const {
    return QString::fromLatin1(kServers[m_index].name);
}

void TFreeDBInformation2::SetPort(int port) {
    if (port < 1 || port > 65535)
        throw ComponentError(
            QStringLiteral("%1 is not a valid port for the disc-database server.").arg(port));
    m_port = port;
}

void TFreeDBInformation2::SetTimeOut(int milliseconds) {
    if (milliseconds < 1)
        throw ComponentError(
            QStringLiteral("%1 ms is not a valid time-out for the disc-database server.").arg(milliseconds));
    m_timeOut = milliseconds;
}

QString TFreeDBInformation2::host() const {
    return QString::fromLatin1(kServers[m_index].host);
}

TFreeDBInformation2::Protocol TFreeDBInformation2::protocol() const {
    return kServers[m_index].protocol;
}

QString TFreeDBInformation2::queryPath() const {
    return QString::fromLatin1(kServers[m_index].path);
}
