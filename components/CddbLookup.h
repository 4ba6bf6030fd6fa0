#pragma once

#include "components/CdDisc.h"
#include "components/TFreeDBInformation2.h"

#include <QString>
#include <QStringList>

#include <functional>

// One disc lookup in the FreeDB database through libcddb: connect, query by the table of
// contents, read the first match. Runs synchronously; the CD component runs it on a worker thread.
namespace CddbLookup {

struct Request {
    QString host;
    TFreeDBInformation2::Protocol protocol = TFreeDBInformation2::Protocol::Http;
    int port = 80;
    QString path;
    int timeOutMs = 7000;
    QString clientName;
    QString clientVersion;
    CdToc toc;
};

// Status values as the ripper receives them.
enum Status { Connecting = 1, Querying = 2, Loaded = 3, ConnectionFailed = -1, NoEntry = -2 };

struct Result {
    int status = ConnectionFailed;
    QString album, artist, genre;
    int year = 0;
    QStringList titles; // one per track of the table of contents, in disc order
    QString detail;     // what went wrong, for the failure statuses
};

Request requestFor(const TFreeDBInformation2& info, const CdToc& toc);

// `progress` receives Connecting when the lookup starts and Querying when the server has found
// the disc and its entry is being read (on the calling thread).
Result run(const Request& request, const std::function<void(int)>& progress);

// The disc identifier libcddb calculates for the table of contents.
uint32_t libcddbDiscId(const CdToc& toc);

} // namespace CddbLookup
