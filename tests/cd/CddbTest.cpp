// Disc lookups against small CDDB servers on 127.0.0.1 (HTTP and CDDBP), and the server table.
#include "components/CddbLookup.h"
#include "components/ComponentError.h"
#include "components/TAudioCDGrabber2.h"
#include "components/TFreeDBInformation2.h"
#include "tests/cd/CdTestSupport.h"
#include "tests/support/ChildRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace cdtest;

namespace {

// The EMAIL variable for the life of the object (unset when `value` is null).
class EmailVariable {
public:
    explicit EmailVariable(const char* value)
        : m_old(qgetenv("EMAIL")), m_had(qEnvironmentVariableIsSet("EMAIL")) {
        if (value)
            qputenv("EMAIL", value);
        else
            qunsetenv("EMAIL");
    }
    ~EmailVariable() {
        if (m_had)
            qputenv("EMAIL", m_old);
        else
            qunsetenv("EMAIL");
    }

private:
    QByteArray m_old;
    bool m_had;
};

std::string entryFor(uint32_t id, int tracks, bool revision = true) {
    char head[64];
    snprintf(head, sizeof(head), "DISCID=%08x\r\n", id);
    std::string xmcd =
        "# xmcd\r\n#\r\n# Track frame offsets:\r\n#\t150\r\n#\r\n# Disc length: 100 seconds\r\n#\r\n";
    if (revision) xmcd += "# Revision: 2\r\n";
    xmcd += "# Submitted via: test 1.0\r\n#\r\n";
    xmcd += head;
    xmcd += "DTITLE=The Cräftsmen / Songs for Tests\r\n";
    xmcd += "DYEAR=1987\r\n";
    xmcd += "DGENRE=Progressive Rock\r\n";
    for (int i = 0; i < tracks; ++i) {
        if (i == 1) {
            xmcd += "TTITLE1=\r\n"; // a track without a title
            continue;
        }
        xmcd += "TTITLE" + std::to_string(i) + "=Song " + std::to_string(i + 1) +
                (i == 0 ? " – ünïcode" : "") + "\r\n";
    }
    xmcd += "EXTD=\r\n";
    for (int i = 0; i < tracks; ++i)
        xmcd += "EXTT" + std::to_string(i) + "=\r\n";
    xmcd += "PLAYORDER=\r\n";
    return xmcd;
}

class CddbTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Image img = writeImage(dir.path(), QStringLiteral("lookup"), {{75 * 20}, {75 * 10}, {75 * 15}});
        writeDriveList(dir.path() + QStringLiteral("/config"), {img.cuePath});
        grabber.Initialize();
        grabber.SelectDrive(grabber.GetDriveCount());
        grabber.RefreshMedia();
        QObject::connect(&grabber, &TAudioCDGrabber2::OnFreeDBQueryStatus, [this](int s) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            statuses.push_back(s);
        });
    }

    bool finished() const {
        return !statuses.empty() && (statuses.back() == 3 || statuses.back() == -1 || statuses.back() == -2);
    }

    void lookup(int serverIndex, int port, int timeOut = 3000) {
        TFreeDBInformation2 info;
        info.SelectServer(serverIndex);
        info.SetPort(port);
        info.SetTimeOut(timeOut);
        statuses.clear();
        grabber.QueryFreeDB(info, 1);
    }

    void expectLoaded() {
        ASSERT_EQ(statuses.back(), 3);
        EXPECT_EQ(statuses.front(), 1);
        EXPECT_EQ(grabber.GetDiscArtist(), QStringLiteral("The Cräftsmen"));
        EXPECT_EQ(grabber.GetDiscAlbum(), QStringLiteral("Songs for Tests"));
        EXPECT_EQ(grabber.GetDiscGenre(), QStringLiteral("Progressive Rock"));
        EXPECT_EQ(grabber.GetDiscYear(), 1987);
        grabber.SetSession(0);
        grabber.SetTrack(0);
        EXPECT_EQ(grabber.GetTrackTitle(), QStringLiteral("Song 1 – ünïcode"));
        grabber.SetTrack(1);
        EXPECT_TRUE(grabber.GetTrackTitle().isEmpty());
        grabber.SetTrack(2);
        EXPECT_EQ(grabber.GetTrackTitle(), QStringLiteral("Song 3"));
    }

    QTemporaryDir dir;
    TAudioCDGrabber2 grabber;
    std::vector<int> statuses;
};

constexpr int kLocalHttp = 3;
constexpr int kLocalCddbp = 4;

TEST(FreeDbInformationTest, ServerTableAndSettings) {
    TFreeDBInformation2 info;
    EXPECT_EQ(info.selectedServer(), 1);
    EXPECT_EQ(info.port(), 80);
    EXPECT_EQ(info.timeOut(), 7000);
    EXPECT_EQ(info.GetServerName(), QStringLiteral("gnudb.gnudb.org (HTTP)"));
    EXPECT_EQ(info.queryPath(), QStringLiteral("/~cddb/cddb.cgi"));
    QStringList names;
    for (int i = 0; i < 11; ++i) {
        info.SelectServer(i);
        names << info.GetServerName();
        EXPECT_FALSE(names.back().isEmpty());
    }
    info.SelectServer(0);
    EXPECT_EQ(info.protocol(), TFreeDBInformation2::Protocol::Cddbp);
    EXPECT_EQ(info.port(), 8880); // selecting a server sets its usual port ...
    info.SetPort(8080);
    EXPECT_EQ(info.port(), 8080); // ... which SetPort overrides
    EXPECT_THROW(info.SelectServer(11), ComponentError);
    EXPECT_THROW(info.SelectServer(-1), ComponentError);
    EXPECT_THROW(info.SetPort(0), ComponentError);
    EXPECT_THROW(info.SetPort(70000), ComponentError);
    EXPECT_THROW(info.SetTimeOut(0), ComponentError);
    EXPECT_EQ(info.port(), 8080);
}

// Every request says hello with the user's address (EMAIL, written so that the query keeps its
// fields) and asks for protocol level 6.
TEST_F(CddbTest, HttpLookupDeliversTitlesAtProtocolLevel6) {
    EmailVariable email("Jane Doe <jane+cddb@example.org>");
    CddbServer server(CddbServer::Mode::Http);
    server.addEntry(static_cast<uint32_t>(grabber.GetCddbId()), "rock", entryFor(grabber.GetCddbId(), 3));
    lookup(kLocalHttp, server.port());
    EXPECT_TRUE(statuses.empty()) << "the lookup reports only through events";
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses, (std::vector<int>{1, 2, 3}));
    expectLoaded();
    const QStringList requests = server.requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[0].startsWith(QStringLiteral("GET /~cddb/cddb.cgi?cmd=cddb+query+")));
    EXPECT_TRUE(requests[0].contains(QStringLiteral("proto=6")));
    EXPECT_TRUE(requests[1].contains(QStringLiteral("cmd=cddb+read+rock+")));
    for (const QString& request : requests) {
        EXPECT_TRUE(request.contains(QStringLiteral("&hello=jane%2Bcddb+example.org+test_cd+")))
            << request.toStdString();
        EXPECT_TRUE(request.endsWith(QStringLiteral("&proto=6 HTTP/1.0"))) << request.toStdString();
    }
}

TEST_F(CddbTest, CddbpLookupDeliversTitles) {
    EmailVariable email("jane@example.org");
    CddbServer server(CddbServer::Mode::Cddbp);
    server.addEntry(static_cast<uint32_t>(grabber.GetCddbId()), "rock", entryFor(grabber.GetCddbId(), 3));
    lookup(kLocalCddbp, server.port());
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    expectLoaded();
    const QStringList requests = server.requests();
    ASSERT_GE(requests.size(), 4);
    EXPECT_TRUE(requests[0].startsWith(QStringLiteral("cddb hello jane example.org test_cd ")))
        << requests[0].toStdString();
    EXPECT_EQ(requests[1], QStringLiteral("proto 6"));
    EXPECT_TRUE(requests[2].startsWith(
        QStringLiteral("cddb query %1 3 150 ")
            .arg(static_cast<uint32_t>(grabber.GetCddbId()), 8, 16, QLatin1Char('0'))));
}

// Without a usable EMAIL the hello carries user@host of the running user.
TEST_F(CddbTest, HelloWithoutAnAddressCarriesUserAtHost) {
    const passwd* user = getpwuid(getuid());
    ASSERT_NE(user, nullptr);
    const QString expected = QStringLiteral("&hello=%1+%2+test_cd+")
                                 .arg(QString::fromLocal8Bit(user->pw_name), QSysInfo::machineHostName());
    for (const char* value : {static_cast<const char*>(nullptr), "nobody at all", "@example.org", "a@b@c"}) {
        EmailVariable email(value);
        CddbServer server(CddbServer::Mode::Http);
        lookup(kLocalHttp, server.port());
        ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
        ASSERT_FALSE(server.requests().isEmpty());
        EXPECT_TRUE(server.requests()[0].contains(expected)) << server.requests()[0].toStdString();
    }
}

// A server's refusal reaches the caller as a failure carrying the server's own line (told apart
// from a server that cannot be reached, one that does not answer in time and an empty slot: the
// tests below).
TEST_F(CddbTest, RefusalsCarryTheServersOwnText) {
    for (int index : {kLocalHttp, kLocalCddbp}) {
        CddbServer server(index == kLocalHttp ? CddbServer::Mode::Http : CddbServer::Mode::Cddbp);
        server.refusal = "500 Unknown developer email";
        lookup(index, server.port());
        ASSERT_TRUE(waitFor([this] { return finished(); }, 5000)) << "server " << index;
        EXPECT_EQ(statuses.back(), -1) << "server " << index;
        EXPECT_EQ(grabber.lookupFailure().kind, CddbLookup::Failure::Refused) << "server " << index;
        EXPECT_EQ(grabber.lookupFailure().reason, QStringLiteral("500 Unknown developer email"));
    }
}

// Older entries of the database are stored in Latin-1 (Windows-1252): a line that is not valid
// UTF-8 is read so, line by line, while UTF-8 lines of the same entry stay UTF-8, also where a
// character is cut between two lines of one title.
TEST_F(CddbTest, Latin1LinesOfAnEntryGiveTheirLetters) {
    char head[64];
    snprintf(head, sizeof(head), "DISCID=%08x\r\n", static_cast<uint32_t>(grabber.GetCddbId()));
    std::string xmcd = "# xmcd\r\n#\r\n# Revision: 3\r\n#\r\n";
    xmcd += head;
    xmcd += "DTITLE=Caf\xe9 del Mar / Volumen Tr\xe8s\r\n";
    xmcd += "DYEAR=1999\r\n";
    xmcd += "DGENRE=Chill\r\n";
    xmcd += "TTITLE0=Se\xf1orita \x96 It\x92s \x80 5\r\n";
    xmcd += "TTITLE1=M\xc3\xbcnchen \xc3\r\nTTITLE1=\xa4 Stra\xc3\x9f"
            "e\r\n";
    xmcd += "TTITLE2=\xc3\x89t\xc3\xa9 \r\nTTITLE2=d'\xe9t\xe9\r\n";
    xmcd += "EXTD=\r\nEXTT0=\r\nEXTT1=\r\nEXTT2=\r\nPLAYORDER=\r\n";
    CddbServer server(CddbServer::Mode::Http);
    server.addEntry(static_cast<uint32_t>(grabber.GetCddbId()), "misc", xmcd);
    lookup(kLocalHttp, server.port());
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    ASSERT_EQ(statuses.back(), 3);
    EXPECT_EQ(grabber.GetDiscArtist(), QStringLiteral("Café del Mar"));
    EXPECT_EQ(grabber.GetDiscAlbum(), QStringLiteral("Volumen Très"));
    EXPECT_EQ(grabber.GetDiscGenre(), QStringLiteral("Chill"));
    grabber.SetSession(0);
    grabber.SetTrack(0);
    EXPECT_EQ(grabber.GetTrackTitle(), QStringLiteral("Señorita – It’s € 5"));
    grabber.SetTrack(1);
    EXPECT_EQ(grabber.GetTrackTitle(), QStringLiteral("München ä Straße"));
    grabber.SetTrack(2);
    EXPECT_EQ(grabber.GetTrackTitle(), QStringLiteral("Été d'été"));
}

// libcddb's reader waits for more after an entry without "# Revision:" (over CDDBP until the
// time-out) and takes it for an empty one (over HTTP): the entry is read when its "." line comes.
TEST_F(CddbTest, EntryWithoutRevisionIsReadWhenItsLastLineArrives) {
    for (int index : {kLocalCddbp, kLocalHttp}) {
        CddbServer server(index == kLocalHttp ? CddbServer::Mode::Http : CddbServer::Mode::Cddbp);
        server.addEntry(static_cast<uint32_t>(grabber.GetCddbId()), "rock",
                        entryFor(grabber.GetCddbId(), 3, false));
        QElapsedTimer timer;
        timer.start();
        lookup(index, server.port(), 5000);
        ASSERT_TRUE(waitFor([this] { return finished(); }, 8000)) << "server " << index;
        EXPECT_LT(timer.elapsed(), 2000) << "server " << index;
        expectLoaded();
        EXPECT_EQ(grabber.lookupFailure().kind, CddbLookup::Failure::None);
    }
}

// A failed lookup always says what happened (libcddb reports "ok" for a server that closes after
// its greeting, and for an entry it refuses over HTTP); an entry with absurd values is read for
// what it holds.
TEST_F(CddbTest, FailuresSayWhatHappened) {
    CddbServer hangUp(CddbServer::Mode::HangUp);
    lookup(kLocalCddbp, hangUp.port());
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses.back(), -1);
    EXPECT_EQ(grabber.lookupFailure().kind, CddbLookup::Failure::BadAnswer);
    EXPECT_EQ(grabber.lookupFailure().reason,
              QStringLiteral("localhost closed the connection without answering."));

    CddbServer garbage(CddbServer::Mode::Garbage);
    lookup(kLocalHttp, garbage.port());
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses.back(), -1);
    EXPECT_EQ(grabber.lookupFailure().kind, CddbLookup::Failure::BadAnswer);
    EXPECT_TRUE(grabber.lookupFailure().reason.startsWith(
        QStringLiteral("The answer of localhost could not be read")))
        << grabber.lookupFailure().reason.toStdString();

    for (int index : {kLocalHttp, kLocalCddbp}) {
        CddbServer server(index == kLocalHttp ? CddbServer::Mode::Http : CddbServer::Mode::Cddbp);
        std::string absurd = entryFor(grabber.GetCddbId(), 3);
        absurd.replace(absurd.find("DYEAR=1987"), 10, "DYEAR=99999999999999999999");
        absurd += "TTITLE99999999999999=nowhere\r\nTTITLE7=no such track\r\n";
        server.addEntry(static_cast<uint32_t>(grabber.GetCddbId()), "rock", absurd);
        lookup(index, server.port());
        ASSERT_TRUE(waitFor([this] { return finished(); }, 5000)) << "server " << index;
        ASSERT_EQ(statuses.back(), 3) << grabber.lookupFailure().reason.toStdString();
        EXPECT_EQ(grabber.GetDiscYear(), 0);
        EXPECT_EQ(grabber.GetDiscAlbum(), QStringLiteral("Songs for Tests"));
        grabber.SetSession(0);
        grabber.SetTrack(2);
        EXPECT_EQ(grabber.GetTrackTitle(), QStringLiteral("Song 3"));
    }
}

TEST_F(CddbTest, UnknownDiscGivesNoEntry) {
    CddbServer server(CddbServer::Mode::Http);
    server.addEntry(0x01020304, "rock", entryFor(0x01020304, 3));
    lookup(kLocalHttp, server.port());
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses.back(), -2);
    EXPECT_TRUE(grabber.GetDiscAlbum().isEmpty());

    CddbServer cddbp(CddbServer::Mode::Cddbp);
    lookup(kLocalCddbp, cddbp.port());
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses.back(), -2);
}

TEST_F(CddbTest, SilentServerFailsWithinTheTimeOut) {
    CddbServer server(CddbServer::Mode::Silent);
    QElapsedTimer timer;
    timer.start();
    lookup(kLocalCddbp, server.port(), 1000);
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses.back(), -1);
    EXPECT_LE(timer.elapsed(), 1500);
    EXPECT_EQ(grabber.lookupFailure().kind, CddbLookup::Failure::TimeOut);
    EXPECT_EQ(grabber.lookupFailure().reason,
              QStringLiteral("No complete answer from localhost within 1000 ms."));
    // Nothing else arrives for that lookup later.
    const size_t count = statuses.size();
    waitFor([] { return false; }, 1500);
    EXPECT_EQ(statuses.size(), count);
}

TEST_F(CddbTest, NobodyListeningFailsToConnect) {
    int freePort = 0;
    {
        CddbServer probe(CddbServer::Mode::Http);
        freePort = probe.port();
    }
    lookup(kLocalHttp, freePort);
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses.back(), -1);
    EXPECT_EQ(grabber.lookupFailure().kind, CddbLookup::Failure::CannotConnect);
    EXPECT_EQ(grabber.lookupFailure().reason,
              QStringLiteral("Cannot connect to localhost (port %1): Connection refused.").arg(freePort));
    lookup(6, 80); // an unused slot of the table
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses.back(), -1);
    EXPECT_EQ(grabber.lookupFailure().kind, CddbLookup::Failure::NoServer);
}

TEST_F(CddbTest, GarbageAnswersFailWithoutACrash) {
    for (int index : {kLocalHttp, kLocalCddbp}) {
        CddbServer server(CddbServer::Mode::Garbage);
        lookup(index, server.port(), 1000);
        ASSERT_TRUE(waitFor([this] { return finished(); }, 5000)) << "server " << index;
        EXPECT_TRUE(statuses.back() == -1 || statuses.back() == -2) << "server " << index;
        EXPECT_TRUE(grabber.GetDiscArtist().isEmpty());
    }
}

TEST_F(CddbTest, ResultsBelongToTheDiscLookedUp) {
    CddbServer server(CddbServer::Mode::Http);
    server.addEntry(static_cast<uint32_t>(grabber.GetCddbId()), "rock", entryFor(grabber.GetCddbId(), 3));
    lookup(kLocalHttp, server.port());
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    ASSERT_EQ(statuses.back(), 3);
    // Reading the same disc again keeps the results ...
    grabber.RefreshMedia();
    EXPECT_EQ(grabber.GetDiscAlbum(), QStringLiteral("Songs for Tests"));
    // ... another disc does not show them.
    Image other = writeImage(dir.path(), QStringLiteral("other"), {{75 * 7}});
    writeDriveList(dir.path() + QStringLiteral("/config"), {other.cuePath});
    grabber.Initialize();
    // Until a disc is read again there is none, and no results.
    EXPECT_EQ(grabber.GetCddbId(), 0);
    EXPECT_TRUE(grabber.GetDiscAlbum().isEmpty());
    grabber.SelectDrive(grabber.GetDriveCount());
    grabber.RefreshMedia();
    EXPECT_TRUE(grabber.GetDiscAlbum().isEmpty());
    EXPECT_EQ(grabber.GetDiscYear(), 0);
}

TEST_F(CddbTest, ANewLookupReplacesOneStillRunning) {
    CddbServer silent(CddbServer::Mode::Silent);
    CddbServer http(CddbServer::Mode::Http);
    http.addEntry(static_cast<uint32_t>(grabber.GetCddbId()), "rock", entryFor(grabber.GetCddbId(), 3));
    lookup(kLocalCddbp, silent.port(), 1000);
    lookup(kLocalHttp, http.port(), 1000);
    ASSERT_TRUE(waitFor([this] { return finished(); }, 5000));
    EXPECT_EQ(statuses.back(), 3);
    // The first lookup gives up later; nothing of it reaches the caller.
    waitFor([] { return false; }, 1500);
    EXPECT_EQ(statuses.back(), 3);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), -1), 0);
    EXPECT_EQ(grabber.GetDiscYear(), 1987);
}

// A request of the lookup unit itself, as the grabber makes it.
CddbLookup::Request requestTo(const QString& host, TFreeDBInformation2::Protocol protocol, int port,
                              const CdToc& toc, int timeOut) {
    CddbLookup::Request r;
    r.host = host;
    r.protocol = protocol;
    r.port = port;
    r.path = QStringLiteral("/~cddb/cddb.cgi");
    r.timeOutMs = timeOut;
    r.clientName = QStringLiteral("test_cd");
    r.clientVersion = QStringLiteral("1.0");
    r.email = QStringLiteral("tester@example.org");
    r.toc = toc;
    return r;
}

CdToc threeTracks() {
    CdToc toc;
    toc.tracks = {{1, 0, 0, 1500, 0}, {2, 0, 1500, 750, 0}, {3, 0, 2250, 1125, 0}};
    toc.leadout = 3375;
    toc.sessionCount = 1;
    return toc;
}

// Lookups on many threads at once, by name and over both protocols (the user asking again while
// one runs, a disc changed during a lookup): every one loads its entry and none disturbs another.
// libcddb's own connect, with its process-wide alarm and jump buffer, once crashed here within a
// few hundred lookups.
TEST(CddbLookupTest, ManyOverlappedLookupsAllLoadTheirEntry) {
    const CdToc toc = threeTracks();
    const uint32_t id = CddbLookup::libcddbDiscId(toc);
    CddbServer http(CddbServer::Mode::Http);
    CddbServer cddbp(CddbServer::Mode::Cddbp);
    http.addEntry(id, "rock", entryFor(id, 3));
    cddbp.addEntry(id, "rock", entryFor(id, 3));
    constexpr int kThreads = 8;
    constexpr int kEach = 25;
    std::atomic<int> loaded{0};
    std::mutex mutex;
    QStringList failures;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const bool overHttp = (t + i) % 2 == 0;
                const CddbLookup::Result r =
                    CddbLookup::run(requestTo(QStringLiteral("localhost"),
                                              overHttp ? TFreeDBInformation2::Protocol::Http
                                                       : TFreeDBInformation2::Protocol::Cddbp,
                                              overHttp ? http.port() : cddbp.port(), toc, 20000),
                                    {});
                if (r.status == CddbLookup::Loaded && r.album == QStringLiteral("Songs for Tests") &&
                    r.titles.value(2) == QStringLiteral("Song 3")) {
                    ++loaded;
                } else {
                    std::lock_guard<std::mutex> lock(mutex);
                    failures << QStringLiteral("%1: %2").arg(r.status).arg(r.failure.reason);
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(loaded.load(), kThreads * kEach) << failures.join(QLatin1Char('\n')).toStdString();
    // No SIGALRM handler is left behind (libcddb's, which jumps onto the stack of a call long gone
    // when any alarm comes later).
    struct sigaction now {};
    sigaction(SIGALRM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// A name server that never answers: the system resolver is pointed at a UDP socket on 127.0.0.1
// that takes the queries and never replies (a resolv.conf of the test's own, in mount and network
// namespaces of a child process). The lookup fails within its time-out and says why, another
// lookup of the same name meanwhile does the same, a stopped one ends at once, and nothing waits
// for the resolver, which would go on for half a minute.
TEST(CddbLookupTest, ANameServerThatNeverAnswersFailsWithinTheTimeOut) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray resolvConf = QFile::encodeName(dir.filePath(QStringLiteral("resolv.conf")));
    {
        QFile f(QString::fromLocal8Bit(resolvConf));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("nameserver 127.0.0.1\noptions timeout:30 attempts:2\n");
    }
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    const ChildResult result = runInChild(30, [&]() -> std::string {
        // The namespaces: a user namespace too when not root.
        if (unshare(CLONE_NEWNS | CLONE_NEWNET | (uid == 0 ? 0 : CLONE_NEWUSER)) != 0)
            return std::string("SKIP no namespaces: ") + std::strerror(errno);
        auto writeFile = [](const char* path, const std::string& text) {
            const int fd = open(path, O_WRONLY);
            const bool ok = fd >= 0 && write(fd, text.data(), text.size()) == ssize_t(text.size());
            if (fd >= 0) close(fd);
            return ok;
        };
        if (uid != 0 && (!writeFile("/proc/self/setgroups", "deny") ||
                         !writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                         !writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")))
            return "SKIP no user namespace map";
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(resolvConf.constData(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0)
            return std::string("SKIP resolv.conf cannot be replaced: ") + std::strerror(errno);
        // The loopback device of the new network namespace, and the silent name server on it.
        const int control = socket(AF_INET, SOCK_DGRAM, 0);
        ifreq loopback{};
        std::strcpy(loopback.ifr_name, "lo");
        if (ioctl(control, SIOCGIFFLAGS, &loopback) != 0) return "SKIP no loopback";
        loopback.ifr_flags |= IFF_UP;
        if (ioctl(control, SIOCSIFFLAGS, &loopback) != 0) return "SKIP the loopback stays down";
        const int nameServer = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(53);
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(nameServer, reinterpret_cast<sockaddr*>(&at), sizeof(at)) != 0)
            return std::string("SKIP no name server socket: ") + std::strerror(errno);

        std::string failed;
        auto check = [&failed](bool ok, const std::string& what) {
            if (!ok) failed += what + "; ";
        };
        const CdToc toc = threeTracks();
        const QString host = QStringLiteral("cddb.example.net");
        const auto request = requestTo(host, TFreeDBInformation2::Protocol::Http, 80, toc, 700);
        QElapsedTimer timer;
        timer.start();
        auto second = std::async(std::launch::async, [&] { return CddbLookup::run(request, {}); });
        const CddbLookup::Result first = CddbLookup::run(request, {});
        const qint64 firstTook = timer.elapsed();
        const CddbLookup::Result other = second.get();
        check(first.status == CddbLookup::ConnectionFailed, "the lookup did not fail");
        check(first.failure.kind == CddbLookup::Failure::TimeOut, "the failure is not a time-out");
        check(first.failure.reason ==
                  QStringLiteral(
                      "The name of the server cddb.example.net could not be resolved within 700 ms."),
              "reason: " + first.failure.reason.toStdString());
        check(firstTook >= 650 && firstTook < 1500, "it took " + std::to_string(firstTook) + " ms");
        check(other.failure.kind == CddbLookup::Failure::TimeOut,
              "the second lookup: " + other.failure.reason.toStdString());
        char query[512];
        check(recv(nameServer, query, sizeof(query), MSG_DONTWAIT) > 0, "the name server was never asked");

        // Stopped while the name is still being resolved: it ends at once.
        CddbLookup::StopSignal stop;
        timer.restart();
        auto stopped = std::async(std::launch::async, [&] {
            return CddbLookup::run(requestTo(host, TFreeDBInformation2::Protocol::Http, 80, toc, 20000), {},
                                   &stop);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop.stop();
        const CddbLookup::Result end = stopped.get();
        check(end.failure.reason == QStringLiteral("The lookup was stopped."),
              "stopped: " + end.failure.reason.toStdString());
        check(timer.elapsed() < 1000, "the stopped lookup took " + std::to_string(timer.elapsed()) + " ms");
        return failed;
    });
    ASSERT_TRUE(result.ran) << result.failure;
    if (result.failure.rfind("SKIP ", 0) == 0) GTEST_SKIP() << result.failure;
    EXPECT_TRUE(result.failure.empty()) << result.failure;
}

// The grabber owns its lookup threads: one going away stops its lookup and waits for the thread,
// which drops the connection at once instead of at the time-out.
TEST_F(CddbTest, AGrabberGoingAwayEndsItsLookup) {
    CddbServer silent(CddbServer::Mode::Silent);
    auto other = std::make_unique<TAudioCDGrabber2>();
    other->Initialize();
    other->SelectDrive(other->GetDriveCount());
    other->RefreshMedia();
    bool heard = false;
    QObject::connect(other.get(), &TAudioCDGrabber2::OnFreeDBQueryStatus, [&heard](int) { heard = true; });
    TFreeDBInformation2 info;
    info.SelectServer(kLocalHttp);
    info.SetPort(silent.port());
    info.SetTimeOut(20000);
    other->QueryFreeDB(info, 1);
    ASSERT_TRUE(waitFor([&silent] { return !silent.requests().isEmpty(); }, 5000))
        << "the lookup is under way";
    heard = false;
    QElapsedTimer timer;
    timer.start();
    other.reset();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_TRUE(waitFor([&silent] { return silent.ended() == 1; }, 1000));
    waitFor([] { return false; }, 200);
    EXPECT_FALSE(heard);
}

// A server whose entry never ends, sent as fast as possible or a line now and then so that no
// single wait of libcddb runs out, cannot keep a lookup going past its time-out: the lookup ends
// with -1 and drops the connection, so no thread stays behind reading for ever.
TEST_F(CddbTest, EndlessAnswersEndTheLookupWithinTheTimeOut) {
    CdToc toc;
    toc.tracks.push_back(CdTrackInfo{1, 0, 0, 75 * 100, 0});
    toc.leadout = 75 * 100;
    toc.sessionCount = 1;
    for (auto mode : {CddbServer::Mode::Flood, CddbServer::Mode::Trickle}) {
        const int which = mode == CddbServer::Mode::Flood ? 0 : 1;
        CddbServer server(mode);
        CddbLookup::Request request;
        request.host = QStringLiteral("127.0.0.1");
        request.port = server.port();
        request.path = QStringLiteral("/~cddb/cddb.cgi");
        request.timeOutMs = 500;
        request.toc = toc;
        QElapsedTimer timer;
        timer.start();
        auto done = std::make_shared<std::promise<CddbLookup::Result>>();
        std::future<CddbLookup::Result> result = done->get_future();
        std::thread([request, done] { done->set_value(CddbLookup::run(request, {})); }).detach();
        ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "server " << which;
        EXPECT_EQ(result.get().status, CddbLookup::ConnectionFailed) << "server " << which;
        // Bounded by the time-out, with room for a machine busy with other tests (the endless
        // answer itself never ends).
        EXPECT_LE(timer.elapsed(), 4500) << "server " << which;
        EXPECT_TRUE(waitFor([&] { return server.abandoned() == 1; }, 2000)) << "server " << which;
    }
    // Through the grabber the caller hears -1 once.
    CddbServer server(CddbServer::Mode::Trickle);
    lookup(kLocalHttp, server.port(), 500);
    ASSERT_TRUE(waitFor([this] { return finished(); }, 3000));
    EXPECT_EQ(statuses, (std::vector<int>{1, 2, -1}));
    EXPECT_TRUE(grabber.GetDiscAlbum().isEmpty());
    EXPECT_TRUE(waitFor([&] { return server.abandoned() == 1; }, 2000));

    // An entry that stops in the middle (the server closes the connection) is not taken for a
    // complete one.
    for (int index : {kLocalHttp, kLocalCddbp}) {
        CddbServer cut(index == kLocalHttp ? CddbServer::Mode::Http : CddbServer::Mode::Cddbp);
        cut.addEntry(static_cast<uint32_t>(grabber.GetCddbId()), "rock", entryFor(grabber.GetCddbId(), 3));
        cut.cutEntries = true;
        lookup(index, cut.port(), 500);
        ASSERT_TRUE(waitFor([this] { return finished(); }, 3000)) << "server " << index;
        EXPECT_EQ(statuses.back(), -1) << "server " << index;
        EXPECT_TRUE(grabber.GetDiscArtist().isEmpty()) << "server " << index;
    }
}

TEST_F(CddbTest, LookupWithoutADiscRaises) {
    writeDriveList(dir.path() + QStringLiteral("/config"), {dir.path() + QStringLiteral("/none.cue")});
    TAudioCDGrabber2 g;
    g.Initialize();
    g.SelectDrive(g.GetDriveCount());
    g.RefreshMedia();
    TFreeDBInformation2 info;
    EXPECT_THROW(g.QueryFreeDB(info, 1), ComponentError);
}

} // namespace
