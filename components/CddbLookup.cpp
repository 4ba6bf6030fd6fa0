#include "components/CddbLookup.h"

#include "platform/ProgramPaths.h"

#include <QCoreApplication>

#include <cddb/cddb.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

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

cddb_disc_t* discFor(const CdToc& toc) {
    cddb_disc_t* disc = cddb_disc_new();
    if (!disc) return nullptr;
    for (const CdTrackInfo& t : toc.tracks) {
        cddb_track_t* track = cddb_track_new();
        cddb_track_set_frame_offset(track, t.start + 150);
        cddb_disc_add_track(disc, track);
    }
    cddb_disc_set_length(disc, static_cast<unsigned>((toc.leadout + 150) / CdDisc::kSectorsPerSecond));
    return disc;
}

// libcddb resolves host names with gethostbyname under a process-wide alarm, which is neither
// thread-safe nor safe next to other threads. The name is resolved here instead.
bool resolveIPv4(const QString& host, int port, sockaddr_in* address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found) return false;
    *address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    address->sin_port = htons(static_cast<uint16_t>(port));
    freeaddrinfo(found);
    return true;
}

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60000));
}

// libcddb talks to the server through this relay on 127.0.0.1. libcddb's own time-out only bounds
// each single wait for data, so a server that never stops sending (or sends a byte now and then)
// would hold the lookup's thread, and a processor, for as long as the program runs. The relay
// passes the bytes on unchanged and ends every connection once the lookup's time is up or the
// server has sent more than any real answer needs; libcddb then sees the connection closed.
class Relay {
public:
    Relay(const sockaddr_in& server, Clock::time_point deadline) : m_server(server), m_deadline(deadline) {
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
    // The relay cut the lookup short: its time ran out or the server sent too much.
    bool cut() const { return m_cut.load(); }
    // The server's last answer ended with the line "." that closes a database entry. libcddb
    // takes a connection that closes in the middle of an entry for its end.
    bool entryEnded() const {
        std::lock_guard<std::mutex> lock(m_tailMutex);
        return m_tail.size() >= 3 &&
               (m_tail.compare(m_tail.size() - 3, 3, "\n.\n") == 0 ||
                (m_tail.size() >= 4 && m_tail.compare(m_tail.size() - 4, 4, "\n.\r\n") == 0));
    }

    // More than any answer of the database needs (an entry is a few kilobytes).
    static constexpr size_t kMaxServerBytes = 1 << 20;

private:
    void run() {
        while (true) {
            // Past the deadline no new connection is taken: libcddb's attempt is refused below.
            const int wait = msLeft(m_deadline);
            if (wait == 0) break;
            pollfd p[2] = {{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            if (poll(p, 2, wait) < 0 && errno != EINTR) break;
            if (p[1].revents) break;
            if (!(p[0].revents & POLLIN)) continue;
            const int client = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0) continue;
            const int upstream = connectUpstream();
            {
                std::lock_guard<std::mutex> lock(m_tailMutex);
                m_tail.clear();
            }
            if (upstream >= 0) {
                pump(client, upstream);
                close(upstream);
            }
            close(client);
            if (m_cut.load() || m_stopped) break;
        }
        // Connections libcddb made that were never taken are refused now, so it does not wait
        // for an answer that cannot come.
        close(m_listen);
        m_listen = -1;
    }

    int connectUpstream() {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return -1;
        if (connect(fd, reinterpret_cast<const sockaddr*>(&m_server), sizeof(m_server)) == 0) return fd;
        if (errno == EINPROGRESS) {
            pollfd p[2] = {{fd, POLLOUT, 0}, {m_wake[0], POLLIN, 0}};
            const int wait = msLeft(m_deadline);
            const int ready = wait == 0 ? 0 : poll(p, 2, wait);
            int error = 0;
            socklen_t size = sizeof(error);
            if (p[1].revents) {
                m_stopped = true;
            } else if (ready == 0) {
                m_cut = true;
            } else if (ready > 0 && (p[0].revents & POLLOUT) &&
                       getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) {
                return fd;
            }
        }
        close(fd); // libcddb sees its connection closed: the server cannot be reached
        return -1;
    }

    // Passes bytes both ways until either side closes, the time is up or the server sends too much.
    void pump(int client, int upstream) {
        char toServer[4096];
        char toClient[16384];
        size_t toServerLen = 0, toServerOff = 0, toClientLen = 0, toClientOff = 0;
        while (true) {
            const int wait = msLeft(m_deadline);
            if (wait == 0) {
                m_cut = true;
                return;
            }
            const bool serverPending = toServerOff < toServerLen;
            const bool clientPending = toClientOff < toClientLen;
            const short clientEvents =
                static_cast<short>((serverPending ? 0 : POLLIN) | (clientPending ? POLLOUT : 0));
            const short upstreamEvents =
                static_cast<short>((clientPending ? 0 : POLLIN) | (serverPending ? POLLOUT : 0));
            pollfd p[3] = {{clientEvents ? client : -1, clientEvents, 0},
                           {upstreamEvents ? upstream : -1, upstreamEvents, 0},
                           {m_wake[0], POLLIN, 0}};
            if (poll(p, 3, wait) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (p[2].revents) {
                m_stopped = true;
                return;
            }
            if ((p[0].revents | p[1].revents) & POLLERR) return;
            if (p[0].revents & (POLLIN | POLLHUP)) {
                const ssize_t n = recv(client, toServer, sizeof(toServer), 0);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
                if (n > 0) {
                    toServerLen = static_cast<size_t>(n);
                    toServerOff = 0;
                }
            }
            if (p[1].revents & (POLLIN | POLLHUP)) {
                const ssize_t n = recv(upstream, toClient, sizeof(toClient), 0);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
                if (n > 0) {
                    m_received += static_cast<size_t>(n);
                    if (m_received > kMaxServerBytes) {
                        m_cut = true;
                        return;
                    }
                    toClientLen = static_cast<size_t>(n);
                    toClientOff = 0;
                    std::lock_guard<std::mutex> lock(m_tailMutex);
                    m_tail.append(toClient, toClientLen);
                    if (m_tail.size() > 8) m_tail.erase(0, m_tail.size() - 8);
                }
            }
            if (!sendSome(upstream, toServer, toServerOff, toServerLen)) return;
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
    Clock::time_point m_deadline;
    int m_listen = -1;
    int m_port = 0;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    std::atomic<bool> m_cut{false};
    mutable std::mutex m_tailMutex;
    std::string m_tail;     // the last bytes the server sent on the current connection
    bool m_stopped = false; // relay thread only
    size_t m_received = 0;  // relay thread only
};

// libcddb writes its complaints to stderr; the lookup reports its own failure instead.
void quietLog(cddb_log_level_t, const char*) {}

QString text(const char* s) {
    return s ? QString::fromUtf8(s).trimmed() : QString();
}

QString errorText(cddb_conn_t* c) {
    return QString::fromUtf8(cddb_error_str(cddb_errno(c)));
}

} // namespace

namespace CddbLookup {

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
    r.toc = toc;
    return r;
}

uint32_t libcddbDiscId(const CdToc& toc) {
    std::unique_ptr<cddb_disc_t, DiscDeleter> disc(discFor(toc));
    if (!disc) return 0;
    cddb_disc_calc_discid(disc.get());
    return cddb_disc_get_discid(disc.get());
}

Result run(const Request& request, const std::function<void(int)>& progress) {
    Result result;
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
    if (request.protocol == TFreeDBInformation2::Protocol::None || request.host.isEmpty()) {
        result.detail = QStringLiteral("No server is chosen.");
        return result;
    }
    if (request.toc.tracks.empty()) {
        result.detail = QStringLiteral("There is no disc to look up.");
        return result;
    }
    // The whole lookup, connection included, ends within the time-out.
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(1, request.timeOutMs));
    sockaddr_in server{};
    if (!resolveIPv4(request.host, request.port, &server)) {
        result.detail = QStringLiteral("The server %1 is not known.").arg(request.host);
        return result;
    }
    Relay relay(server, deadline);
    if (relay.port() == 0) {
        result.detail = QStringLiteral("Cannot open a network connection.");
        return result;
    }

    std::unique_ptr<cddb_conn_t, ConnDeleter> conn;
    std::unique_ptr<cddb_disc_t, DiscDeleter> disc;
    {
        std::lock_guard<std::mutex> lock(libcddbGuard());
        conn.reset(cddb_new());
        disc.reset(discFor(request.toc));
    }
    if (!conn || !disc) {
        result.detail = QStringLiteral("Out of memory.");
        return result;
    }
    cddb_conn_t* c = conn.get();
    cddb_cache_disable(c); // no result cache outside the program's own folders
    cddb_set_charset(c, "UTF-8");
    cddb_set_client(c, request.clientName.toUtf8().constData(), request.clientVersion.toUtf8().constData());
    // libcddb gets the relay's numeric address, which it converts without a name look-up.
    cddb_set_server_name(c, "127.0.0.1");
    cddb_set_server_port(c, relay.port());
    // The relay keeps the time. libcddb's own clock counts whole seconds and, when it runs out in
    // the middle of an entry, hands over what it has as if it were complete; it is set to wait
    // longer than the relay lets the lookup run.
    cddb_set_timeout(c, static_cast<unsigned>(int64_t{request.timeOutMs} / 1000 + 3));
    if (request.protocol == TFreeDBInformation2::Protocol::Http) {
        cddb_http_enable(c);
        cddb_set_http_path_query(c, request.path.toLatin1().constData());
    } else {
        cddb_http_disable(c);
    }

    // libcddb connects inside the query; "querying" follows once the server has answered it.
    const int matches = cddb_query(c, disc.get());
    if (relay.cut()) {
        result.detail = QStringLiteral("The server's answer took too long, was too long or was cut short.");
        return result;
    }
    if (matches < 0) {
        result.detail = errorText(c);
        return result;
    }
    if (matches == 0) {
        result.status = NoEntry;
        return result;
    }
    if (progress) progress(Querying);
    const bool read = cddb_read(c, disc.get());
    if (relay.cut() || (read && !relay.entryEnded())) {
        result.detail = QStringLiteral("The server's answer took too long, was too long or was cut short.");
        return result;
    }
    if (!read) {
        result.status = cddb_errno(c) == CDDB_ERR_DISC_NOT_FOUND ? NoEntry : ConnectionFailed;
        result.detail = errorText(c);
        return result;
    }
    cddb_disc_t* d = disc.get();
    result.album = text(cddb_disc_get_title(d));
    result.artist = text(cddb_disc_get_artist(d));
    result.genre = text(cddb_disc_get_genre(d));
    if (result.genre.isEmpty()) result.genre = text(cddb_disc_get_category_str(d));
    result.year = static_cast<int>(cddb_disc_get_year(d));
    for (size_t i = 0; i < request.toc.tracks.size(); ++i) {
        cddb_track_t* track = cddb_disc_get_track(d, static_cast<int>(i));
        result.titles.append(track ? text(cddb_track_get_title(track)) : QString());
    }
    result.status = Loaded;
    return result;
}

} // namespace CddbLookup
