#include "components/CddbLookup.h"

#include "platform/ProgramPaths.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QSysInfo>

#include <cddb/cddb.h>

// libcddb exports its connect call without declaring it in the headers it installs (it is in its
// cddb_conn_ni.h): it makes the connection, and the handshake over CDDBP, that cddb_query and
// cddb_read make themselves when not yet connected.
extern "C" int cddb_connect(cddb_conn_t* c);

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// libcddb keeps state of its own behind making and freeing connections and discs, which two
// threads must not touch at once (two lookups overlap when a new one replaces one still running).
std::mutex& libcddbGuard() {
    static std::mutex m;
    return m;
}

struct ConnDeleter {
    void operator()(cddb_conn_t* c) const {
        std::lock_guard<std::mutex> lock(libcddbGuard());
        cddb_destroy(c);
    }
};
struct DiscDeleter {
    void operator()(cddb_disc_t* d) const {
        std::lock_guard<std::mutex> lock(libcddbGuard());
        cddb_disc_destroy(d);
    }
};
using ConnHandle = std::unique_ptr<cddb_conn_t, ConnDeleter>;
using DiscHandle = std::unique_ptr<cddb_disc_t, DiscDeleter>;

ConnHandle newConnection() {
    std::lock_guard<std::mutex> lock(libcddbGuard());
    return ConnHandle(cddb_new());
}

// A libcddb disc with the tracks and length of the table of contents; empty when out of memory.
DiscHandle newDisc(const CdToc& toc) {
    std::lock_guard<std::mutex> lock(libcddbGuard());
    cddb_disc_t* disc = cddb_disc_new();
    if (!disc) return {};
    for (const CdTrackInfo& t : toc.tracks) {
        cddb_track_t* track = cddb_track_new();
        if (!track) {
            cddb_disc_destroy(disc);
            return {};
        }
        cddb_track_set_frame_offset(track, t.start + 150);
        cddb_disc_add_track(disc, track); // the disc owns the track from here on
    }
    cddb_disc_set_length(disc, static_cast<unsigned>((toc.leadout + 150) / CdDisc::kSectorsPerSecond));
    return DiscHandle(disc);
}

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60000));
}

// libcddb connects through cddb_connect, which resolves its server's name with gethostbyname under
// alarm(), a SIGALRM handler and one process-wide jump buffer: two threads inside it at once, or the
// signal landing on another thread, jump onto the wrong stack. libcddb is only ever given the
// relay's numeric address (resolved at once, so the alarm never fires), and every connection is
// made here, under this lock, one thread at a time. Over CDDBP that includes the server's greeting
// and the hello; the relay bounds it by the lookup's time-out, and a stopped lookup ends it at once.
bool connectOneAtATime(cddb_conn_t* c) {
    std::lock_guard<std::mutex> lock(libcddbGuard());
    return cddb_connect(c) != 0;
}

// ---- the server's name ---------------------------------------------------------------------------
//
// The system resolver (getaddrinfo) has no time-out a caller can set: with a name server that does
// not answer it waits as long as resolv.conf lets it, tries included. It runs on a thread of its own
// that the lookup waits for until the lookup's deadline or its stop, and then leaves: the thread
// ends whenever the resolver returns, and frees what it shares with the lookups. Lookups of the same
// name share one such thread, so a dead name server holds at most one thread per server name.

struct NameQuery {
    explicit NameQuery(std::string name)
        : host(std::move(name)), doneFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~NameQuery() {
        if (doneFd >= 0) close(doneFd);
    }
    NameQuery(const NameQuery&) = delete;
    NameQuery& operator=(const NameQuery&) = delete;

    const std::string host;
    const int doneFd;                  // readable once the resolver has returned
    std::atomic<bool> finished{false}; // `found` and `address` are set before it
    bool found = false;
    sockaddr_in address{};
};

// The names being resolved. Never destroyed: a resolver thread may still end after the program's
// static objects are gone.
struct PendingNames {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<NameQuery>> running;
};
PendingNames& pendingNames() {
    static PendingNames* pending = new PendingNames;
    return *pending;
}

// More names than the server table holds are never resolved at once.
constexpr size_t kMaxPendingNames = 8;

void resolveOnThread(const std::shared_ptr<NameQuery>& query) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(query->host.c_str(), nullptr, &hints, &found) == 0 && found) {
        query->address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
        query->found = true;
    }
    if (found) freeaddrinfo(found);
    {
        PendingNames& pending = pendingNames();
        std::lock_guard<std::mutex> lock(pending.mutex);
        const auto it = pending.running.find(query->host);
        if (it != pending.running.end() && it->second == query) pending.running.erase(it);
    }
    query->finished = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(query->doneFd, &one, sizeof(one));
}

struct NameResult {
    enum State { Found, NotFound, TimedOut, Stopped, TooMany } state = NotFound;
    sockaddr_in address{};
};

NameResult resolveServerName(const std::string& host, int port, Clock::time_point deadline, int stopFd) {
    NameResult result;
    // A numeric address needs no resolver.
    if (inet_pton(AF_INET, host.c_str(), &result.address.sin_addr) == 1) {
        result.state = NameResult::Found;
    } else {
        std::shared_ptr<NameQuery> query;
        {
            PendingNames& pending = pendingNames();
            std::lock_guard<std::mutex> lock(pending.mutex);
            auto it = pending.running.find(host);
            if (it != pending.running.end()) {
                query = it->second;
            } else {
                if (pending.running.size() >= kMaxPendingNames) {
                    result.state = NameResult::TooMany;
                    return result;
                }
                query = std::make_shared<NameQuery>(host);
                if (query->doneFd < 0) return result;
                try {
                    std::thread([query] { resolveOnThread(query); }).detach();
                } catch (const std::system_error&) {
                    return result;
                }
                pending.running.emplace(host, query);
            }
        }
        while (!query->finished.load()) {
            const int wait = msLeft(deadline);
            if (wait == 0) {
                result.state = NameResult::TimedOut;
                return result;
            }
            pollfd p[2] = {{query->doneFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
            const int ready = poll(p, 2, wait);
            if (ready < 0 && errno != EINTR) return result;
            if (ready > 0 && p[1].revents != 0) {
                result.state = NameResult::Stopped;
                return result;
            }
        }
        if (!query->found) return result;
        result.address = query->address;
        result.state = NameResult::Found;
    }
    result.address.sin_family = AF_INET;
    result.address.sin_port = htons(static_cast<uint16_t>(port));
    return result;
}

// What passed through the relay: one exchange per command libcddb sent, with the server's answer
// to it. A server's greeting is an exchange without a command.
struct Exchange {
    std::string command;
    std::string reply;
    bool closed = false; // the server closed the connection after this answer
};

bool isReadCommand(const std::string& command) {
    return command.find("cddb read") != std::string::npos || command.find("cddb+read") != std::string::npos;
}

// The answer in the database's own terms: an HTTP answer without its status line and headers
// (empty until they are complete).
std::string_view cddbPart(const std::string& reply) {
    std::string_view r(reply);
    if (r.substr(0, 5) != "HTTP/") return r;
    for (std::string_view end : {"\r\n\r\n", "\n\n"}) {
        const size_t at = r.find(end);
        if (at != std::string_view::npos) return r.substr(at + end.size());
    }
    return {};
}

std::string_view firstLine(std::string_view text) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Where the "." line that ends a database entry starts in `body` (the lines after the status
// line), or npos.
size_t entryEnd(std::string_view body) {
    if (body.substr(0, 2) == ".\n" || body.substr(0, 3) == ".\r\n" || body == ".") return 0;
    for (size_t at = body.find("\n."); at != std::string_view::npos; at = body.find("\n.", at + 1)) {
        const std::string_view rest = body.substr(at + 2);
        if (rest.empty() || rest.substr(0, 1) == "\n" || rest.substr(0, 2) == "\r\n") return at + 1;
    }
    return std::string_view::npos;
}

// The database entry an answer to a read holds ("210 ..." and the entry's lines), and whether its
// final "." line has arrived.
struct EntryText {
    bool started = false;
    bool complete = false;
    std::string_view lines; // without the status line and the "." line
};

EntryText entryOf(const Exchange& exchange) {
    EntryText entry;
    if (!isReadCommand(exchange.command)) return entry;
    const std::string_view answer = cddbPart(exchange.reply);
    if (answer.substr(0, 3) != "210") return entry;
    const size_t bodyStart = answer.find('\n');
    if (bodyStart == std::string_view::npos) return entry;
    entry.started = true;
    const std::string_view body = answer.substr(bodyStart + 1);
    const size_t end = entryEnd(body);
    entry.complete = end != std::string_view::npos;
    entry.lines = body.substr(0, entry.complete ? end : body.size());
    return entry;
}

// libcddb talks to the server through this relay on 127.0.0.1. libcddb's own time-out only bounds
// each single wait for data, so a server that never stops sending (or sends a byte now and then)
// would hold the lookup's thread, and a processor, for as long as the program runs. The relay
// passes the bytes on unchanged and ends every connection once the lookup's time is up, the
// server has sent more than any real answer needs, or the lookup is stopped; libcddb then sees the
// connection closed. It keeps what both sides said, so the lookup can tell what went wrong and read
// the entry itself. Once a database entry has been passed on whole, the connection ends: libcddb
// waits for more after an entry that lacks the "# Revision:" line its reader expects.
class Relay {
public:
    Relay(const sockaddr_in& server, bool http, Clock::time_point deadline, int stopFd)
        : m_server(server), m_http(http), m_deadline(deadline), m_stopFd(stopFd) {
        if (pipe2(m_wake, O_CLOEXEC) != 0) return;
        m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_listen < 0) return;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(local);
        if (bind(m_listen, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
            listen(m_listen, 4) != 0 ||
            getsockname(m_listen, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
            close(m_listen);
            m_listen = -1;
            return;
        }
        m_port = ntohs(local.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~Relay() {
        if (m_thread.joinable()) {
            const char stop = 1;
            [[maybe_unused]] const ssize_t n = write(m_wake[1], &stop, 1);
            m_thread.join();
        }
        if (m_listen >= 0) close(m_listen);
        for (int fd : m_wake)
            if (fd >= 0) close(fd);
    }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    int port() const { return m_port; } // 0 when the relay could not be set up
    bool timedOut() const { return m_timedOut.load(); }
    bool tooLong() const { return m_tooLong.load(); }
    int connectError() const { return m_connectError.load(); } // errno of a failed connection, or 0
    std::vector<Exchange> exchanges() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_exchanges;
    }

    // More than any answer of the database needs (an entry is a few kilobytes).
    static constexpr size_t kMaxServerBytes = 1 << 20;

private:
    // True when the lookup is to end now: stopped from outside or from the destructor.
    bool stopRequested(const pollfd& wake, const pollfd& stop) const {
        return (wake.revents | stop.revents) != 0;
    }

    void run() {
        while (true) {
            // Past the deadline no new connection is taken: libcddb's attempt is refused below.
            const int wait = msLeft(m_deadline);
            if (wait == 0) {
                m_timedOut = true;
                break;
            }
            pollfd p[3] = {{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}, {m_stopFd, POLLIN, 0}};
            if (poll(p, 3, wait) < 0 && errno != EINTR) break;
            if (stopRequested(p[1], p[2])) break;
            if (!(p[0].revents & POLLIN)) continue;
            const int client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0) continue;
            const int upstream = connectUpstream();
            if (upstream >= 0) {
                pump(client, upstream);
                close(upstream);
            }
            if (m_timedOut.load() || m_tooLong.load() || m_stopped) {
                // Cut short: the connection is reset, so libcddb drops what it has not read yet
                // instead of working through it.
                const linger reset{1, 0};
                setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof(reset));
            }
            close(client);
            if (m_timedOut.load() || m_tooLong.load() || m_stopped) break;
        }
        // Connections libcddb made that were never taken are refused now, so it does not wait
        // for an answer that cannot come.
        close(m_listen);
        m_listen = -1;
    }

    int connectUpstream() {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            m_connectError = errno;
            return -1;
        }
        if (connect(fd, reinterpret_cast<const sockaddr*>(&m_server), sizeof(m_server)) == 0) return fd;
        int error = errno;
        if (error == EINPROGRESS) {
            pollfd p[3] = {{fd, POLLOUT, 0}, {m_wake[0], POLLIN, 0}, {m_stopFd, POLLIN, 0}};
            const int wait = msLeft(m_deadline);
            const int ready = wait == 0 ? 0 : poll(p, 3, wait);
            socklen_t size = sizeof(error);
            if (stopRequested(p[1], p[2])) {
                m_stopped = true;
                error = 0;
            } else if (ready == 0) {
                m_timedOut = true;
                error = 0;
            } else if (ready > 0 && (p[0].revents & (POLLOUT | POLLERR | POLLHUP)) &&
                       getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) {
                return fd;
            }
        }
        if (error != 0) m_connectError = error;
        close(fd); // libcddb sees its connection closed: the server cannot be reached
        return -1;
    }

    // Keeps what passed. An HTTP connection carries one request and its answer; over CDDBP a
    // command starts a new exchange unless the current one has no answer yet.
    void record(bool fromServer, const char* data, size_t length, size_t firstOfConnection) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const bool current = m_exchanges.size() > firstOfConnection;
        if (fromServer) {
            if (!current) m_exchanges.emplace_back();
            m_exchanges.back().reply.append(data, length);
        } else {
            if (!current || (!m_http && !m_exchanges.back().reply.empty())) m_exchanges.emplace_back();
            m_exchanges.back().command.append(data, length);
        }
    }

    // True once the current exchange holds a whole database entry. Only what arrived since the
    // last look (`searched` bytes of the answer of exchange `looked`) is searched for a "." line.
    bool entryPassed(size_t& looked, size_t& searched) const {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (looked != m_exchanges.size() - 1) {
            looked = m_exchanges.size() - 1;
            searched = 0;
        }
        const std::string& reply = m_exchanges.back().reply;
        const size_t from = searched < 3 ? 0 : searched - 3;
        searched = reply.size();
        if (reply.find("\n.\n", from) == std::string::npos &&
            reply.find("\n.\r\n", from) == std::string::npos)
            return false;
        return entryOf(m_exchanges.back()).complete;
    }

    // Passes bytes both ways until either side closes, the time is up, the server sends too much,
    // the lookup is stopped, or a whole entry has been passed on. What the server sent before it
    // closed (or stopped taking what libcddb still sends) reaches libcddb first.
    void pump(int client, int upstream) {
        size_t firstOfConnection = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            firstOfConnection = m_exchanges.size();
        }
        char toServer[4096];
        char toClient[16384];
        size_t toServerLen = 0, toServerOff = 0, toClientLen = 0, toClientOff = 0;
        bool entryDone = false;
        size_t looked = 0, searched = 0;
        bool serverOpen = true;
        while (true) {
            const bool serverPending = toServerOff < toServerLen;
            const bool clientPending = toClientOff < toClientLen;
            if ((entryDone || !serverOpen) && !clientPending) return;
            const int wait = msLeft(m_deadline);
            if (wait == 0) {
                m_timedOut = true;
                return;
            }
            const short clientEvents =
                static_cast<short>((serverPending ? 0 : POLLIN) | (clientPending ? POLLOUT : 0));
            const short upstreamEvents = serverOpen
                                             ? static_cast<short>((clientPending || entryDone ? 0 : POLLIN) |
                                                                  (serverPending ? POLLOUT : 0))
                                             : 0;
            pollfd p[4] = {{clientEvents ? client : -1, clientEvents, 0},
                           {upstreamEvents ? upstream : -1, upstreamEvents, 0},
                           {m_wake[0], POLLIN, 0},
                           {m_stopFd, POLLIN, 0}};
            if (poll(p, 4, wait) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (stopRequested(p[2], p[3])) {
                m_stopped = true;
                return;
            }
            if (p[0].revents & POLLERR) return;
            if (p[0].revents & (POLLIN | POLLHUP)) {
                const ssize_t n = recv(client, toServer, sizeof(toServer), 0);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
                if (n > 0) {
                    toServerLen = static_cast<size_t>(n);
                    toServerOff = 0;
                    record(false, toServer, toServerLen, firstOfConnection);
                }
            }
            if (p[1].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = recv(upstream, toClient, sizeof(toClient), 0);
                if (n == 0) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    if (m_exchanges.size() == firstOfConnection) m_exchanges.emplace_back();
                    m_exchanges.back().closed = true;
                    serverOpen = false;
                } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                    serverOpen = false;
                } else if (n > 0) {
                    m_received += static_cast<size_t>(n);
                    if (m_received > kMaxServerBytes) {
                        m_tooLong = true;
                        return;
                    }
                    toClientLen = static_cast<size_t>(n);
                    toClientOff = 0;
                    record(true, toClient, toClientLen, firstOfConnection);
                    entryDone = entryPassed(looked, searched);
                }
            }
            // A server that takes no more: what libcddb still sends is dropped.
            if (!serverOpen || !sendSome(upstream, toServer, toServerOff, toServerLen))
                toServerOff = toServerLen;
            if (!sendSome(client, toClient, toClientOff, toClientLen)) return;
        }
    }

    static bool sendSome(int fd, const char* buffer, size_t& offset, size_t length) {
        if (offset == length) return true;
        const ssize_t n = send(fd, buffer + offset, length - offset, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) return errno == EAGAIN || errno == EINTR;
        offset += static_cast<size_t>(n);
        return true;
    }

    sockaddr_in m_server;
    bool m_http;
    Clock::time_point m_deadline;
    int m_stopFd;
    int m_listen = -1;
    int m_port = 0;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<bool> m_timedOut{false};
    std::atomic<bool> m_tooLong{false};
    std::atomic<int> m_connectError{0};
    mutable std::mutex m_mutex;
    std::vector<Exchange> m_exchanges;
    bool m_stopped = false; // relay thread only
    size_t m_received = 0;  // relay thread only
};

// The last status line the server sent: the first line of its last answer, an HTTP status that
// is not 200 ("404 Not Found"), or empty.
std::string lastStatus(const std::vector<Exchange>& exchanges) {
    for (auto it = exchanges.rbegin(); it != exchanges.rend(); ++it) {
        const std::string& reply = it->reply;
        if (reply.empty()) continue;
        if (reply.compare(0, 5, "HTTP/") == 0) {
            const std::string_view status = firstLine(reply);
            const size_t space = status.find(' ');
            const std::string_view code =
                space == std::string_view::npos ? std::string_view() : status.substr(space + 1);
            if (code.substr(0, 3) != "200") return std::string(code);
        }
        return std::string(firstLine(cddbPart(reply)));
    }
    return {};
}

bool isRefusal(const std::string& status) {
    return status.size() >= 3 && (status[0] == '4' || status[0] == '5') &&
           std::isdigit(static_cast<unsigned char>(status[1])) &&
           std::isdigit(static_cast<unsigned char>(status[2])) &&
           (status.size() == 3 || status[3] == ' ' || status[3] == '-');
}

// Bytes that are not valid UTF-8 as Windows-1252 (Latin-1 with printable characters in place of
// most of the C1 controls), the code page older entries of the database were stored in.
QString windows1252Text(QByteArrayView bytes) {
    static const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += b >= 0x80 && b < 0xA0 ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return text;
}

// A line of a reply: UTF-8 when it is valid UTF-8, else Windows-1252.
QString replyLineText(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? windows1252Text(bytes) : text;
}

// The value of a key spread over several lines: the lines joined, when that is valid UTF-8 (a
// character may be cut between two lines), else each line read on its own.
QString entryValueText(const QList<QByteArray>& lines) {
    QByteArray joined;
    for (const QByteArray& line : lines)
        joined += line;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(joined);
    if (!utf8.hasError()) return text;
    text.clear();
    for (const QByteArray& line : lines)
        text += replyLineText(line);
    return text;
}

// A line of the server for the user: UTF-8 or Windows-1252, control characters as blanks, at most
// 200 characters.
QString serverText(std::string_view line) {
    QString text = replyLineText(
        QByteArrayView(line.data(), static_cast<qsizetype>(std::min<size_t>(line.size(), 800))));
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control) c = QLatin1Char(' ');
    return text.left(200).trimmed();
}

// An entry's text: the disc's artist and album from "DTITLE" (split at the first " / "; without
// one, both are the whole title), the first "DYEAR" (a number from 1 to 9999, else 0), "DGENRE",
// and the "TTITLEn" lines of the disc's tracks, as written (lines for tracks the disc does not have
// are passed over). Titles and genres spread over several lines of the same key are joined. Each
// line is UTF-8, or Windows-1252 where it is not valid UTF-8.
CddbLookup::Result parseEntry(std::string_view lines, int trackCount) {
    CddbLookup::Result r;
    QList<QByteArray> title, genre;
    QByteArray year;
    std::vector<QList<QByteArray>> titles(static_cast<size_t>(trackCount));
    while (!lines.empty()) {
        std::string_view line = firstLine(lines);
        const size_t next = lines.find('\n');
        lines = next == std::string_view::npos ? std::string_view() : lines.substr(next + 1);
        if (line.empty() || line.front() == '#') continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, eq);
        const QByteArray value(line.data() + eq + 1, static_cast<qsizetype>(line.size() - eq - 1));
        if (key == "DTITLE") {
            title.append(value);
        } else if (key == "DYEAR") {
            if (year.isEmpty()) year = value;
        } else if (key == "DGENRE") {
            genre.append(value);
        } else if (key.substr(0, 6) == "TTITLE" && key.size() > 6 && key.size() <= 9 &&
                   std::all_of(key.begin() + 6, key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            const int n = std::stoi(std::string(key.substr(6)));
            if (n < trackCount) titles[static_cast<size_t>(n)].append(value);
        }
    }
    const QString disc = entryValueText(title).trimmed();
    const int split = disc.indexOf(QStringLiteral(" / "));
    r.artist = split < 0 ? disc : disc.left(split).trimmed();
    r.album = split < 0 ? disc : disc.mid(split + 3).trimmed();
    bool ok = false;
    const int y = year.trimmed().toInt(&ok);
    r.year = ok && y >= 1 && y <= 9999 ? y : 0;
    r.genre = entryValueText(genre).trimmed();
    for (const QList<QByteArray>& t : titles)
        r.titles.append(entryValueText(t).trimmed());
    return r;
}

// libcddb writes its complaints to stderr; the lookup reports its own failure instead.
void quietLog(cddb_log_level_t, const char*) {}

// Characters an address may hold in the hello: printable ASCII without blanks.
bool helloCharacter(QChar c) {
    return c.unicode() > 0x20 && c.unicode() < 0x7f;
}

bool usableAddress(const QString& address) {
    const int at = address.indexOf(QLatin1Char('@'));
    return at > 0 && at < address.size() - 1 && address.count(QLatin1Char('@')) == 1 &&
           std::all_of(address.begin(), address.end(), helloCharacter);
}

// A user or host name for the hello: characters it cannot carry become "_".
QString helloPart(QString text, const QString& fallback) {
    for (QChar& c : text)
        if (!helloCharacter(c) || c == QLatin1Char('@')) c = QLatin1Char('_');
    return text.isEmpty() ? fallback : text;
}

// libcddb puts the address into the HTTP query as it stands; characters with a meaning there
// ("+" is a blank, "&" ends the field) are written as %XX.
QString forHttp(const QString& address) {
    QString out;
    for (QChar c : address) {
        if (c.isLetterOrNumber() || c == QLatin1Char('@') || c == QLatin1Char('.') || c == QLatin1Char('_') ||
            c == QLatin1Char('-'))
            out += c;
        else
            out += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

} // namespace

namespace CddbLookup {

StopSignal::StopSignal() : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal() {
    if (m_fd >= 0) close(m_fd);
}

void StopSignal::stop() {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(m_fd, &one, sizeof(one));
}

bool StopSignal::stopped() const {
    pollfd p{m_fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0;
}

Request requestFor(const TFreeDBInformation2& info, const CdToc& toc) {
    Request r;
    r.host = info.host();
    r.protocol = info.protocol();
    r.port = info.port();
    r.path = info.queryPath();
    r.timeOutMs = info.timeOut();
    r.clientName = ProgramPaths::programFileName();
    r.clientVersion = QCoreApplication::applicationVersion();
    if (r.clientVersion.isEmpty()) r.clientVersion = QStringLiteral("3.0");
    r.email = helloAddress();
    r.toc = toc;
    return r;
}

QString helloAddress() {
    QString email = qEnvironmentVariable("EMAIL").trimmed();
    const int open = email.lastIndexOf(QLatin1Char('<'));
    const int close = email.lastIndexOf(QLatin1Char('>'));
    if (open >= 0 && close > open) email = email.mid(open + 1, close - open - 1).trimmed();
    if (usableAddress(email)) return email;

    QString user;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        user = QString::fromLocal8Bit(found->pw_name);
    if (user.isEmpty()) user = qEnvironmentVariable("USER");
    return helloPart(user, QStringLiteral("user")) + QLatin1Char('@') +
           helloPart(QSysInfo::machineHostName(), QStringLiteral("localhost"));
}

uint32_t libcddbDiscId(const CdToc& toc) {
    DiscHandle disc = newDisc(toc);
    if (!disc) return 0;
    cddb_disc_calc_discid(disc.get());
    return cddb_disc_get_discid(disc.get());
}

Result run(const Request& request, const std::function<void(int)>& progress, const StopSignal* stop) {
    Result result;
    auto fail = [&result](Failure::Kind kind, const QString& reason, int status = ConnectionFailed) {
        result.status = status;
        result.failure = {kind, reason};
        return result;
    };
    // A server that closes the connection early must not end the program with SIGPIPE: the signal
    // stays blocked on this thread and the write fails instead. A SIGPIPE raised meanwhile is taken
    // off the thread before the old mask comes back, or unblocking would deliver it after all.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    struct Restore {
        sigset_t mask;
        sigset_t pipe;
        ~Restore() {
            if (!sigismember(&mask, SIGPIPE)) {
                const timespec none{};
                while (sigtimedwait(&pipe, nullptr, &none) == SIGPIPE) {
                }
            }
            pthread_sigmask(SIG_SETMASK, &mask, nullptr);
        }
    } restore{previous, pipe};

    static std::once_flag quiet;
    std::call_once(quiet, [] { cddb_log_set_handler(quietLog); });

    if (progress) progress(Connecting);
    if (request.protocol == TFreeDBInformation2::Protocol::None || request.host.isEmpty())
        return fail(Failure::NoServer, QStringLiteral("No disc-database server is chosen."));
    if (request.toc.tracks.empty())
        return fail(Failure::NoServer, QStringLiteral("There is no disc to look up."));
    // The whole lookup, connection included, ends within the time-out.
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(1, request.timeOutMs));
    const NameResult name =
        resolveServerName(request.host.toStdString(), request.port, deadline, stop ? stop->fd() : -1);
    switch (name.state) {
    case NameResult::Found:
        break;
    case NameResult::TimedOut:
        return fail(Failure::TimeOut,
                    QStringLiteral("The name of the server %1 could not be resolved within %2 ms.")
                        .arg(request.host)
                        .arg(request.timeOutMs));
    case NameResult::Stopped:
        return fail(Failure::TimeOut, QStringLiteral("The lookup was stopped."));
    case NameResult::TooMany:
        return fail(
            Failure::CannotConnect,
            QStringLiteral("The name of the server %1 cannot be resolved now: the name servers do not "
                           "answer.")
                .arg(request.host));
    case NameResult::NotFound:
        return fail(Failure::CannotConnect, QStringLiteral("The server %1 is not known.").arg(request.host));
    }
    const bool http = request.protocol == TFreeDBInformation2::Protocol::Http;
    Relay relay(name.address, http, deadline, stop ? stop->fd() : -1);
    if (relay.port() == 0)
        return fail(Failure::CannotConnect, QStringLiteral("Cannot open a network connection."));

    ConnHandle conn = newConnection();
    DiscHandle disc = newDisc(request.toc);
    if (!conn || !disc) return fail(Failure::CannotConnect, QStringLiteral("Out of memory."));
    cddb_conn_t* c = conn.get();
    cddb_cache_disable(c); // no result cache outside the program's own folders
    cddb_set_charset(c, "UTF-8");
    cddb_set_client(c, request.clientName.toUtf8().constData(), request.clientVersion.toUtf8().constData());
    if (!request.email.isEmpty())
        cddb_set_email_address(c, (http ? forHttp(request.email) : request.email).toUtf8().constData());
    // libcddb gets the relay's numeric address, which it converts without a name look-up.
    cddb_set_server_name(c, "127.0.0.1");
    cddb_set_server_port(c, relay.port());
    // The relay keeps the time. libcddb's own clock counts whole seconds and, when it runs out in
    // the middle of an entry, hands over what it has as if it were complete; it is set to wait
    // longer than the relay lets the lookup run.
    cddb_set_timeout(c, static_cast<unsigned>(int64_t{request.timeOutMs} / 1000 + 3));
    if (http) {
        cddb_http_enable(c);
        cddb_set_http_path_query(c, request.path.toLatin1().constData());
    } else {
        cddb_http_disable(c);
    }

    // What the relay saw, when it ended the lookup itself.
    auto relayFailure = [&]() -> bool {
        if (stop && stop->stopped()) {
            fail(Failure::TimeOut, QStringLiteral("The lookup was stopped."));
        } else if (relay.timedOut()) {
            fail(Failure::TimeOut, QStringLiteral("No complete answer from %1 within %2 ms.")
                                       .arg(request.host)
                                       .arg(request.timeOutMs));
        } else if (relay.tooLong()) {
            fail(Failure::BadAnswer,
                 QStringLiteral("%1 sent more than any answer of the database needs.").arg(request.host));
        } else if (relay.connectError() != 0) {
            fail(Failure::CannotConnect,
                 QStringLiteral("Cannot connect to %1 (port %2): %3.")
                     .arg(request.host)
                     .arg(request.port)
                     .arg(QString::fromStdString(std::generic_category().message(relay.connectError()))));
        } else {
            return false;
        }
        return true;
    };
    // A failure libcddb reported: the server's own refusal when it sent one, else what went wrong,
    // never libcddb's "ok" (it forgets its error when it closes an HTTP connection).
    auto answerFailure = [&](const std::vector<Exchange>& exchanges) {
        const std::string status = lastStatus(exchanges);
        if (isRefusal(status)) return fail(Failure::Refused, serverText(status));
        // libcddb keeps "ok" when a connection ends where it waits for a line.
        const bool unanswered = exchanges.empty() || exchanges.back().reply.empty() ||
                                (exchanges.back().closed && cddb_errno(c) == CDDB_ERR_OK);
        if (!exchanges.empty() && entryOf(exchanges.back()).started)
            return fail(Failure::BadAnswer,
                        QStringLiteral("%1 closed the connection in the middle of the disc's entry.")
                            .arg(request.host));
        if (unanswered)
            return fail(Failure::BadAnswer,
                        QStringLiteral("%1 closed the connection without answering.").arg(request.host));
        if (cddb_errno(c) != CDDB_ERR_OK)
            return fail(Failure::BadAnswer,
                        QStringLiteral("The answer of %1 could not be read (%2).")
                            .arg(request.host, QString::fromUtf8(cddb_error_str(cddb_errno(c)))));
        return fail(Failure::BadAnswer,
                    QStringLiteral("The answer of %1 could not be read.").arg(request.host));
    };

    // libcddb would connect inside the query and the read; it finds itself connected already.
    // "Querying" follows once the server has answered the query.
    const int matches = connectOneAtATime(c) ? cddb_query(c, disc.get()) : -1;
    if (matches < 0) return relayFailure() ? result : answerFailure(relay.exchanges());
    if (matches == 0) return fail(Failure::None, QString(), NoEntry);
    const QString category = QString::fromUtf8(cddb_disc_get_category_str(disc.get()));

    if (progress) progress(Querying);
    // The entry is read from what the relay passed on: libcddb's reader takes an entry without
    // "# Revision:" for an empty one and refuses a whole entry for one line it does not expect.
    // Over HTTP each command has a connection of its own; over CDDBP the query's connection is
    // still open (libcddb closes it only where the query fails), and the read connects nothing.
    if (!http || connectOneAtATime(c)) cddb_read(c, disc.get());
    const std::vector<Exchange> exchanges = relay.exchanges();
    const EntryText entry = exchanges.empty() ? EntryText() : entryOf(exchanges.back());
    if (!entry.complete) {
        if (relayFailure()) return result;
        if (lastStatus(exchanges).compare(0, 3, "401") == 0) return fail(Failure::None, QString(), NoEntry);
        return answerFailure(exchanges);
    }
    Result read = parseEntry(entry.lines, static_cast<int>(request.toc.tracks.size()));
    if (read.genre.isEmpty()) read.genre = category;
    read.status = Loaded;
    return read;
}

} // namespace CddbLookup
