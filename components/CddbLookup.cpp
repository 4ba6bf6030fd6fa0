#include "components/CddbLookup.h"

#include "platform/ProgramPaths.h"

#include <QCoreApplication>

#include <cddb/cddb.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <signal.h>
#include <sys/socket.h>

#include <memory>
#include <mutex>

namespace {

struct ConnDeleter {
    void operator()(cddb_conn_t* c) const { cddb_destroy(c); }
};
struct DiscDeleter {
    void operator()(cddb_disc_t* d) const { cddb_disc_destroy(d); }
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
// thread-safe nor safe next to other threads. The name is resolved here instead and libcddb gets
// the numeric address, which it converts without a look-up.
QString resolveIPv4(const QString& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &found) != 0 || !found) return {};
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    inet_ntop(AF_INET, &address->sin_addr, text, sizeof(text));
    freeaddrinfo(found);
    return QString::fromLatin1(text);
}

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
    // stays blocked on this thread and the write fails instead.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    struct Restore {
        sigset_t mask;
        ~Restore() { pthread_sigmask(SIG_SETMASK, &mask, nullptr); }
    } restore{previous};

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
    const QString address = resolveIPv4(request.host);
    if (address.isEmpty()) {
        result.detail = QStringLiteral("The server %1 is not known.").arg(request.host);
        return result;
    }

    std::unique_ptr<cddb_conn_t, ConnDeleter> conn(cddb_new());
    std::unique_ptr<cddb_disc_t, DiscDeleter> disc(discFor(request.toc));
    if (!conn || !disc) {
        result.detail = QStringLiteral("Out of memory.");
        return result;
    }
    cddb_conn_t* c = conn.get();
    cddb_cache_disable(c); // no result cache outside the program's own folders
    cddb_set_charset(c, "UTF-8");
    cddb_set_client(c, request.clientName.toUtf8().constData(), request.clientVersion.toUtf8().constData());
    cddb_set_server_name(c, address.toLatin1().constData());
    cddb_set_server_port(c, request.port);
    cddb_set_timeout(c, static_cast<unsigned>(qMax(1, (request.timeOutMs + 999) / 1000)));
    if (request.protocol == TFreeDBInformation2::Protocol::Http) {
        cddb_http_enable(c);
        cddb_set_http_path_query(c, request.path.toLatin1().constData());
    } else {
        cddb_http_disable(c);
    }

    // libcddb connects inside the query; "querying" follows once the server has answered it.
    const int matches = cddb_query(c, disc.get());
    if (matches < 0) {
        result.detail = errorText(c);
        return result;
    }
    if (matches == 0) {
        result.status = NoEntry;
        return result;
    }
    if (progress) progress(Querying);
    if (!cddb_read(c, disc.get())) {
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
