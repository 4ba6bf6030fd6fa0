#include "SoundServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <alsa/asoundlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace soundtest {

SoundServer::SoundServer() {
    bringUp();
}

void SoundServer::bringUp() {
    if (!m_dir.isValid()) return fail(QStringLiteral("no scratch folder"));
    for (const char* program : {"pipewire", "wireplumber", "pipewire-pulse", "pactl", "pacat", "dbus-daemon"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return fail(QStringLiteral("%1 is not installed (scripts/deps.sh installs it)").arg(program));
    const QString runtime = path(QStringLiteral("run")), home = path(QStringLiteral("home"));
    QDir().mkpath(runtime);
    QDir().mkpath(home);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString bus = QStringLiteral("unix:path=") + path(QStringLiteral("bus"));

    // Everything the server keeps (chosen defaults, volumes) stays in the scratch folder, so a
    // run changes nothing of the machine's and parallel runs do not meet.
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    m_env.insert(QStringLiteral("PIPEWIRE_RUNTIME_DIR"), runtime);
    m_env.insert(QStringLiteral("HOME"), home);
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    m_env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/state"));
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    m_env.insert(QStringLiteral("PULSE_SERVER"),
                 QStringLiteral("unix:") + runtime + QStringLiteral("/pulse/native"));
    m_env.remove(QStringLiteral("ALSA_CONFIG_PATH"));
    m_env.remove(QStringLiteral("DISPLAY"));

    if (!launch(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                 QStringLiteral("--address=") + bus}))
        return;
    if (!waitFor([&] { return QFile::exists(path(QStringLiteral("bus"))); }, 5000))
        return fail(QStringLiteral("the session bus did not come up"));
    startServer();
    if (!m_failure.isEmpty()) return;

    // This process reaches the server through the system's ALSA configuration.
    for (const char* name : {"XDG_RUNTIME_DIR", "PIPEWIRE_RUNTIME_DIR", "PULSE_SERVER"})
        qputenv(name, m_env.value(QString::fromLatin1(name)).toUtf8());
    qunsetenv("ALSA_CONFIG_PATH");
    snd_config_update_free_global();
}

void SoundServer::startServer() {
    const QString runtime = path(QStringLiteral("run"));
    if (!launch(QStringLiteral("pipewire"), {})) return;
    if (!waitFor([&] { return QFile::exists(runtime + QStringLiteral("/pipewire-0")); }, 5000))
        return fail(QStringLiteral("pipewire did not open its socket"));
    if (!launch(QStringLiteral("wireplumber"), {}) || !launch(QStringLiteral("pipewire-pulse"), {})) return;
    if (!waitFor([&] { return !run(QStringLiteral("pactl"), {QStringLiteral("info")}, 1000).isNull(); },
                 8000))
        return fail(QStringLiteral("the PulseAudio server of pipewire did not answer"));

    const QStringList modules[] = {
        {QStringLiteral("module-null-sink"), QStringLiteral("sink_name=vzsink")},
        {QStringLiteral("module-null-sink"), QStringLiteral("sink_name=vzfeed")},
        {QStringLiteral("module-remap-source"), QStringLiteral("master=vzfeed.monitor"),
         QStringLiteral("source_name=vzsrc")},
    };
    for (const QStringList& m : modules)
        if (run(QStringLiteral("pactl"), QStringList{QStringLiteral("load-module")} + m).isNull())
            return fail(QStringLiteral("pactl could not load %1").arg(m.first()));
    run(QStringLiteral("pactl"), {QStringLiteral("set-default-sink"), QStringLiteral("vzsink")});
    run(QStringLiteral("pactl"), {QStringLiteral("set-default-source"), QStringLiteral("vzsrc")});
    if (!waitFor(
            [&] {
                const QString info = run(QStringLiteral("pactl"), {QStringLiteral("info")}, 1000);
                return info.contains(QStringLiteral("Default Sink: vzsink")) &&
                       info.contains(QStringLiteral("Default Source: vzsrc"));
            },
            5000))
        return fail(QStringLiteral("the session manager did not take the virtual devices as defaults"));
}

void SoundServer::kill() {
    // The bus came first; everything after it is the server.
    while (m_daemons.size() > 1) {
        QProcess& p = *m_daemons.back();
        if (p.state() == QProcess::Running) ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        p.waitForFinished(3000);
        m_daemons.pop_back();
    }
}

bool SoundServer::restart() {
    // A killed server leaves its sockets behind; the new one makes them afresh.
    const QString runtime = path(QStringLiteral("run"));
    for (const char* socket :
         {"pipewire-0", "pipewire-0-manager", "pipewire-0.lock", "pipewire-0-manager.lock"})
        QFile::remove(runtime + QLatin1Char('/') + QString::fromLatin1(socket));
    startServer();
    return m_failure.isEmpty();
}

SoundServer::~SoundServer() {
    for (auto it = m_daemons.rbegin(); it != m_daemons.rend(); ++it) {
        (*it)->terminate();
        if (!(*it)->waitForFinished(3000)) {
            (*it)->kill();
            (*it)->waitForFinished(1000);
        }
    }
}

void SoundServer::fail(const QString& why) {
    if (m_failure.isEmpty()) m_failure = QStringLiteral("no sound server: ") + why;
}

bool SoundServer::launch(const QString& program, const QStringList& args) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(m_env);
    p->setStandardOutputFile(path(program + QStringLiteral(".log")));
    p->setStandardErrorFile(path(program + QStringLiteral(".log")), QIODevice::Append);
    p->start(program, args);
    if (!p->waitForStarted(3000)) {
        fail(QStringLiteral("%1 would not start").arg(program));
        return false;
    }
    m_daemons.push_back(std::move(p));
    return true;
}

bool SoundServer::waitFor(const std::function<bool()>& ready, int limitMs) {
    QElapsedTimer t;
    t.start();
    while (!ready()) {
        for (const auto& d : m_daemons)
            if (d->state() != QProcess::Running) return false;
        if (t.elapsed() > limitMs) return false;
        QThread::msleep(20);
    }
    return true;
}

QString SoundServer::run(const QString& program, const QStringList& args, int timeoutMs) const {
    QProcess p;
    p.setProcessEnvironment(m_env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(1000);
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput()) + QLatin1String("");
}

std::unique_ptr<QProcess> SoundServer::start(const QString& program, const QStringList& args) const {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(m_env);
    p->start(program, args);
    if (!p->waitForStarted(3000)) return nullptr;
    return p;
}

CountingFeed::CountingFeed(const SoundServer& server, const QString& sink) {
    // pacat plays the signal from a FIFO that a thread of ours keeps filled; pacat's pace is the
    // server's clock.
    std::signal(SIGPIPE, SIG_IGN); // a write after pacat ended fails instead of ending the test
    const QByteArray fifo = server.path(QStringLiteral("feed-%1.fifo").arg(sink)).toLocal8Bit();
    if (::mkfifo(fifo.constData(), 0600) != 0) return;
    m_player =
        server.start(QStringLiteral("pacat"), {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                                               QStringLiteral("--rate=48000"), QStringLiteral("--channels=2"),
                                               QStringLiteral("-d"), sink, QString::fromLocal8Bit(fifo)});
    if (!m_player) return;
    m_writer = std::thread([this, fifo] {
        int out = -1;
        while (out < 0 && !m_stop.load()) { // until pacat opens its end
            out = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (out < 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (out < 0) return;
        ::fcntl(out, F_SETFL, ::fcntl(out, F_GETFL) & ~O_NONBLOCK);
        std::vector<int16_t> chunk(2 * 480);
        for (int64_t n = 0; !m_stop.load();) {
            for (std::size_t i = 0; i < 480; ++i, ++n) {
                chunk[2 * i] = static_cast<int16_t>(static_cast<uint16_t>(n & 0xFFFF));
                chunk[2 * i + 1] = static_cast<int16_t>(static_cast<uint16_t>((n >> 16) & 0xFFFF));
            }
            const char* p = reinterpret_cast<const char*>(chunk.data());
            std::size_t left = chunk.size() * sizeof(int16_t);
            while (left > 0) {
                const ssize_t w = ::write(out, p, left);
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) {
                    ::close(out);
                    return;
                }
                p += w;
                left -= static_cast<std::size_t>(w);
            }
        }
        ::close(out);
    });
}

CountingFeed::~CountingFeed() {
    m_stop.store(true);
    if (m_player) {
        m_player->kill(); // the writer's next write fails and it ends
        m_player->waitForFinished(2000);
    }
    if (m_writer.joinable()) m_writer.join();
}

} // namespace soundtest
