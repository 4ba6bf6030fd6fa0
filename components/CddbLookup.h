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
    QString email; // the user's address the hello carries; empty: libcddb's anonymous one
    CdToc toc;
};

// Status values as the ripper receives them.
enum Status { Connecting = 1, Querying = 2, Loaded = 3, ConnectionFailed = -1, NoEntry = -2 };

// Why a lookup failed, for the user: the kind, and a text that says what happened.
struct Failure {
    enum Kind {
        None,          // no failure (loaded, or the database has no entry for the disc)
        NoServer,      // the chosen slot of the server table is empty, or there is no disc
        CannotConnect, // the server's name is unknown, or no connection could be made
        TimeOut,       // no complete answer within the time-out
        Refused,       // the server answered with an error (4xx/5xx); `reason` is its own line
        BadAnswer,     // the server closed early, sent too much or sent what is not an answer
    };
    Kind kind = None;
    QString reason;
};

struct Result {
    int status = ConnectionFailed;
    QString album, artist, genre;
    int year = 0;
    QStringList titles; // one per track of the table of contents, in disc order
    Failure failure;    // for the failure statuses
};

// Lets another thread end a running lookup at once: the connection is dropped and run() returns
// a failure soon after. Once stopped it stays stopped.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void stop();
    bool stopped() const;
    int fd() const { return m_fd; } // readable once stopped

private:
    int m_fd = -1;
};

Request requestFor(const TFreeDBInformation2& info, const CdToc& toc);

// The address the hello of every request carries: the EMAIL environment variable when it holds a
// usable address ("Name <a@b>" gives a@b), else user@host of the running user.
QString helloAddress();

// `progress` receives Connecting when the lookup starts and Querying when the server has found
// the disc and its entry is being read (on the calling thread).
Result run(const Request& request, const std::function<void(int)>& progress,
           const StopSignal* stop = nullptr);

// The disc identifier libcddb calculates for the table of contents.
uint32_t libcddbDiscId(const CdToc& toc);

} // namespace CddbLookup
