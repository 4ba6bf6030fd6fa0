#pragma once

// A private, headless PipeWire for the tests: its own runtime folder and session bus, the session
// manager and the PulseAudio server, and three virtual devices: "vzsink" (a sink whose monitor the
// tests record), "vzfeed" (a sink the tests play a known signal into) and "vzsrc" (a source that
// hands on what "vzfeed" plays). vzsink and vzsrc are the defaults. The test process talks to it
// through the system's ALSA configuration ("default", "pipewire", "pulse").

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace soundtest {

class SoundServer {
public:
    SoundServer();
    ~SoundServer();
    SoundServer(const SoundServer&) = delete;
    SoundServer& operator=(const SoundServer&) = delete;

    // Empty when the server runs; otherwise why it could not start.
    QString failure() const { return m_failure; }

    // Kills the server as a crash does (SIGKILL to pipewire, its session manager and its
    // PulseAudio server, by their process ids); the session bus stays.
    void kill();
    // Starts the server again after kill(), with the same devices and defaults; false (and
    // failure() says why) when it does not come up.
    bool restart();

    // Runs a client program of the server (pactl, parec, ...); its standard output, or a null
    // string when it failed.
    QString run(const QString& program, const QStringList& args, int timeoutMs = 5000) const;
    // A client program left running (a recorder or a player).
    std::unique_ptr<QProcess> start(const QString& program, const QStringList& args) const;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    void bringUp();
    void startServer();
    bool launch(const QString& program, const QStringList& args);
    bool waitFor(const std::function<bool()>& ready, int limitMs);
    void fail(const QString& why);

    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_daemons;
    QString m_failure;
};

// Plays a counting signal into a sink for as long as it lives: frame n carries n's low 16 bits
// on the left channel and its high bits on the right, 48 kHz.
class CountingFeed {
public:
    CountingFeed(const SoundServer& server, const QString& sink);
    ~CountingFeed();
    bool running() const { return m_player != nullptr; }

private:
    std::unique_ptr<QProcess> m_player;
    std::atomic<bool> m_stop{false};
    std::thread m_writer;
};

// The frame number a counting-signal frame carries.
inline int64_t countOf(int16_t left, int16_t right) {
    return static_cast<int64_t>(static_cast<uint16_t>(left)) |
           (static_cast<int64_t>(static_cast<uint16_t>(right)) << 16);
}

} // namespace soundtest
