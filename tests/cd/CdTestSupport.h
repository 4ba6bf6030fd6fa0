#pragma once

#include "components/AudioFileLink.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Generated disc images, a WAV-writing sink and small CDDB servers for the CD component's tests.
namespace cdtest {

enum class TrackKind { Audio, Mode1, Mode2Form1, Mode2Form2 };

struct TrackLayout {
    int sectors = 0;
    TrackKind kind = TrackKind::Audio;
    int session = 1; // written as "REM SESSION nn" when it changes
};

struct Image {
    QString cuePath;
    QString binPath;
    std::vector<TrackLayout> tracks;
    std::vector<int> starts; // first sector of each track
};

// The audio of track `index` (0-based) of a generated image: interleaved stereo, 1176 values
// per sector, a tone mixed with pseudo-random noise so that every sample is distinct.
std::vector<int16_t> trackAudio(int index, int sectors);

// `sectors` raw 2352-byte data sectors of that kind whose headers give the addresses from
// `firstLba` on.
std::vector<uint8_t> dataSectors(TrackKind kind, int sectors, int firstLba);

// 16-bit samples as raw bytes (little- or big-endian), or as a whole 44.1 kHz stereo WAVE file.
QByteArray pcmBytes(const std::vector<int16_t>& samples, bool bigEndian);
QByteArray waveFile(const std::vector<int16_t>& samples, int channels = 2);

// Writes name.bin and name.cue in `folder`.
Image writeImage(const QString& folder, const QString& name, const std::vector<TrackLayout>& tracks);

// Points XDG_CONFIG_HOME at `configFolder` and writes the drive-list file with these lines.
void writeDriveList(const QString& configFolder, const QStringList& lines);

// Processes events until `done` or the time runs out; true when `done` became true.
bool waitFor(const std::function<bool()>& done, int timeoutMs);

// Sample frames FFmpeg decodes from the file (-1 when it cannot be decoded); its sample rate into
// `sampleRate` when given.
int64_t decodedFrames(const QString& fileName, int* sampleRate = nullptr);

// An audio-file object for the tests: writes 16-bit PCM into a WAV file and records what it was
// asked to do. An optional delay per block slows a grab down.
class WavSink : public AudioSink {
public:
    void sinkSetInputFormat(int sampleRate, int channels) override;
    void sinkCreateWrite(const QString& fileName) override;
    void sinkWriteArray(const AudioBlock& block) override;
    void sinkClose() override;

    std::atomic<bool> open{false};
    std::atomic<int> closeCount{0};
    std::atomic<int> delayPerBlockMs{0};
    std::atomic<bool> failWrites{false};
    int sampleRate = 0;
    int channels = 0;

    // A latch on the next write: armed, then waited on until a write has begun (true) or the time
    // runs out (false). A test knows so that the grab is inside a write, without sleeping.
    void armWriteLatch();
    bool waitForWrite(int timeoutMs);

private:
    std::mutex m_latchMutex;
    std::condition_variable m_latchChanged;
    bool m_writeBegun = true;
    std::mutex m_mutex;
    FILE* m_file = nullptr;
    uint32_t m_dataBytes = 0;
};

// The 16-bit samples of a WAV file written by WavSink (or any plain PCM WAV).
std::vector<int16_t> readWav(const QString& fileName, int* sampleRate = nullptr, int* channels = nullptr);

// The xmcd entry (without the final ".") the ripper's window tests and the gallery look up for their
// four-track disc image: texts with non-ASCII letters, a slash and a dot-only title, the year 1987.
std::string LookedUpEntry(uint32_t discId);

// A small CDDB server on 127.0.0.1 that speaks HTTP or CDDBP on a thread of its own.
class CddbServer {
public:
    // Flood and Trickle speak HTTP: any disc matches, and its entry never ends (sent as fast as
    // possible, or one line every 100 ms). HangUp greets over CDDBP and closes at once.
    enum class Mode { Http, Cddbp, Silent, Garbage, Flood, Trickle, HangUp };

    explicit CddbServer(Mode mode);
    ~CddbServer();

    int port() const { return m_port; }
    // Entries by disc id: the xmcd text (without the final ".").
    void addEntry(uint32_t discId, const std::string& category, const std::string& xmcd);
    // Every request line the server received (HTTP request lines, CDDBP commands).
    QStringList requests();
    // Entries are sent cut in the middle, without the closing "." line, and the connection ends.
    std::atomic<bool> cutEntries{false};
    // When set (one line without CR LF): the HTTP server answers every command with it, the CDDBP
    // server answers the hello with it and closes. Set before the first lookup.
    std::string refusal;
    // Connections whose client went away while the server was still sending.
    int abandoned() const { return m_abandoned.load(); }
    // Connections that have ended (either side closed).
    int ended() const { return m_ended.load(); }

private:
    void run();
    void serve(int client);
    std::string answer(const std::string& command);

    Mode m_mode;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_abandoned{0};
    std::atomic<int> m_ended{0};
    std::thread m_thread;
    std::mutex m_mutex;
    std::map<uint32_t, std::pair<std::string, std::string>> m_entries;
    QStringList m_requests;
};

} // namespace cdtest
