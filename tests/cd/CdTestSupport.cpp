#include "tests/cd/CdTestSupport.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>

namespace cdtest {

namespace {

QString msf(int sectors) {
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / (75 * 60), 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

void putLe16(std::vector<uint8_t>& out, int16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>((static_cast<uint16_t>(v) >> 8) & 0xff));
}

// A raw 2352-byte data sector: sync, header (address, mode), and for mode 2 the XA subheader.
void appendDataSector(std::vector<uint8_t>& out, TrackKind kind, int lba) {
    std::vector<uint8_t> s(2352, 0);
    s[0] = 0;
    for (int i = 1; i <= 10; ++i)
        s[i] = 0xff;
    s[11] = 0;
    const int abs = lba + 150;
    auto bcd = [](int v) { return static_cast<uint8_t>(((v / 10) << 4) | (v % 10)); };
    s[12] = bcd(abs / (75 * 60));
    s[13] = bcd(abs / 75 % 60);
    s[14] = bcd(abs % 75);
    s[15] = kind == TrackKind::Mode1 ? 1 : 2;
    if (kind == TrackKind::Mode2Form1 || kind == TrackKind::Mode2Form2) {
        const uint8_t submode = kind == TrackKind::Mode2Form2 ? 0x20 : 0x08;
        s[16] = s[20] = 0;
        s[17] = s[21] = 0;
        s[18] = s[22] = submode;
        s[19] = s[23] = 0;
    }
    for (size_t i = 24; i < 2048 + 24; ++i)
        s[i] = static_cast<uint8_t>(i * 7 + lba);
    out.insert(out.end(), s.begin(), s.end());
}

} // namespace

std::vector<uint8_t> dataSectors(TrackKind kind, int sectors, int firstLba) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(sectors) * 2352);
    for (int s = 0; s < sectors; ++s)
        appendDataSector(out, kind, firstLba + s);
    return out;
}

QByteArray pcmBytes(const std::vector<int16_t>& samples, bool bigEndian) {
    QByteArray out(static_cast<qsizetype>(samples.size() * 2), '\0');
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<uint16_t>(samples[i]);
        out[static_cast<qsizetype>(i * 2 + (bigEndian ? 1 : 0))] = static_cast<char>(v & 0xff);
        out[static_cast<qsizetype>(i * 2 + (bigEndian ? 0 : 1))] = static_cast<char>(v >> 8);
    }
    return out;
}

QByteArray waveFile(const std::vector<int16_t>& samples, int channels) {
    const QByteArray data = pcmBytes(samples, false);
    auto le = [](uint32_t v, int bytes) {
        QByteArray b;
        for (int i = 0; i < bytes; ++i)
            b += static_cast<char>((v >> (8 * i)) & 0xff);
        return b;
    };
    const auto size = static_cast<uint32_t>(data.size());
    // A LIST chunk before the format, as some writers put it, must be passed over.
    return "RIFF" + le(size + 36 + 12, 4) + "WAVE" + "LIST" + le(4, 4) + "INFO" + "fmt " + le(16, 4) +
           le(1, 2) + le(static_cast<uint32_t>(channels), 2) + le(44100, 4) + le(44100u * 2 * channels, 4) +
           le(static_cast<uint32_t>(2 * channels), 2) + le(16, 2) + "data" + le(size, 4) + data;
}

std::vector<int16_t> trackAudio(int index, int sectors) {
    std::vector<int16_t> samples(static_cast<size_t>(sectors) * 1176);
    uint32_t noise = 0x12345u + static_cast<uint32_t>(index) * 7919u;
    const double freq = 220.0 * (index + 1);
    for (size_t f = 0; f < samples.size() / 2; ++f) {
        const double t = static_cast<double>(f) / 44100.0;
        const double tone = 9000.0 * std::sin(2 * M_PI * freq * t);
        for (int ch = 0; ch < 2; ++ch) {
            noise = noise * 1664525u + 1013904223u;
            const int jitter = static_cast<int>((noise >> 16) % 2001) - 1000;
            samples[f * 2 + ch] = static_cast<int16_t>(tone * (ch ? 0.8 : 1.0) + jitter);
        }
    }
    return samples;
}

Image writeImage(const QString& folder, const QString& name, const std::vector<TrackLayout>& tracks) {
    Image image;
    image.tracks = tracks;
    image.binPath = folder + QLatin1Char('/') + name + QStringLiteral(".bin");
    image.cuePath = folder + QLatin1Char('/') + name + QStringLiteral(".cue");
    QFile bin(image.binPath);
    if (!bin.open(QIODevice::WriteOnly | QIODevice::Truncate)) return image;
    QString cue = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(name);
    int position = 0;
    int session = 0;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const TrackLayout& t = tracks[i];
        std::vector<uint8_t> data;
        data.reserve(static_cast<size_t>(t.sectors) * 2352);
        QString mode;
        if (t.kind == TrackKind::Audio) {
            mode = QStringLiteral("AUDIO");
            for (int16_t v : trackAudio(static_cast<int>(i), t.sectors))
                putLe16(data, v);
        } else {
            mode = t.kind == TrackKind::Mode1 ? QStringLiteral("MODE1/2352") : QStringLiteral("MODE2/2352");
            for (int s = 0; s < t.sectors; ++s)
                appendDataSector(data, t.kind, position + s);
        }
        bin.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size()));
        if (t.session != session) {
            session = t.session;
            cue += QStringLiteral("REM SESSION %1\n").arg(session, 2, 10, QLatin1Char('0'));
        }
        cue += QStringLiteral("  TRACK %1 %2\n    INDEX 01 %3\n")
                   .arg(static_cast<int>(i) + 1, 2, 10, QLatin1Char('0'))
                   .arg(mode, msf(position));
        image.starts.push_back(position);
        position += t.sectors;
    }
    bin.close();
    QFile cueFile(image.cuePath);
    if (cueFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        cueFile.write(cue.toUtf8());
    return image;
}

void writeDriveList(const QString& configFolder, const QStringList& lines) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder));
    QDir().mkpath(configFolder + QStringLiteral("/AudioCDGrabber"));
    QFile file(configFolder + QStringLiteral("/AudioCDGrabber/drives.list"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// ---- WavSink ------------------------------------------------------------------------------------

void WavSink::sinkSetInputFormat(int rate, int ch) {
    sampleRate = rate;
    channels = ch;
}

void WavSink::sinkCreateWrite(const QString& fileName) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_file = fopen(QFile::encodeName(fileName).constData(), "wb");
    if (!m_file) throw std::runtime_error("cannot create " + fileName.toStdString());
    uint8_t header[44] = {};
    fwrite(header, 1, sizeof(header), m_file);
    m_dataBytes = 0;
    open = true;
}

void WavSink::armWriteLatch() {
    std::lock_guard<std::mutex> lock(m_latchMutex);
    m_writeBegun = false;
}

bool WavSink::waitForWrite(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_latchMutex);
    return m_latchChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [this] { return m_writeBegun; });
}

void WavSink::sinkWriteArray(const AudioBlock& block) {
    {
        std::lock_guard<std::mutex> lock(m_latchMutex);
        m_writeBegun = true;
    }
    m_latchChanged.notify_all();
    if (delayPerBlockMs.load() > 0) QThread::msleep(static_cast<unsigned long>(delayPerBlockMs.load()));
    if (failWrites.load()) throw std::runtime_error("the test sink refuses to write");
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_file) throw std::runtime_error("write without an open file");
    fwrite(block.samples.data(), 2, block.samples.size(), m_file);
    m_dataBytes += static_cast<uint32_t>(block.samples.size() * 2);
}

void WavSink::sinkClose() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_file) return;
    auto le32 = [](uint8_t* p, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            p[i] = static_cast<uint8_t>(v >> (8 * i));
    };
    uint8_t h[44] = {'R', 'I', 'F', 'F', 0,   0,  0, 0, 'W', 'A', 'V',
                     'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
    h[22] = static_cast<uint8_t>(channels);
    le32(h + 24, static_cast<uint32_t>(sampleRate));
    le32(h + 28, static_cast<uint32_t>(sampleRate * channels * 2));
    h[32] = static_cast<uint8_t>(channels * 2);
    h[34] = 16;
    memcpy(h + 36, "data", 4);
    le32(h + 40, m_dataBytes);
    le32(h + 4, m_dataBytes + 36);
    fseek(m_file, 0, SEEK_SET);
    fwrite(h, 1, sizeof(h), m_file);
    fclose(m_file);
    m_file = nullptr;
    open = false;
    ++closeCount;
}

std::vector<int16_t> readWav(const QString& fileName, int* sampleRate, int* channels) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray all = f.readAll();
    if (all.size() < 44) return {};
    auto le32 = [&](int at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(all[at])) |
               static_cast<uint32_t>(static_cast<uint8_t>(all[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(all[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(all[at + 3])) << 24;
    };
    if (channels) *channels = static_cast<uint8_t>(all[22]);
    if (sampleRate) *sampleRate = static_cast<int>(le32(24));
    const uint32_t bytes = std::min<uint32_t>(le32(40), static_cast<uint32_t>(all.size() - 44));
    std::vector<int16_t> samples(bytes / 2);
    memcpy(samples.data(), all.constData() + 44, samples.size() * 2);
    return samples;
}

// ---- CddbServer ---------------------------------------------------------------------------------

CddbServer::CddbServer(Mode mode) : m_mode(mode) {
    m_listen = socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    listen(m_listen, 8);
    socklen_t len = sizeof(addr);
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

CddbServer::~CddbServer() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    close(m_listen);
}

void CddbServer::addEntry(uint32_t discId, const std::string& category, const std::string& xmcd) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries[discId] = {category, xmcd};
}

QStringList CddbServer::requests() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void CddbServer::run() {
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const int client = accept(m_listen, nullptr, nullptr);
        if (client < 0) continue;
        serve(client);
        close(client);
        ++m_ended;
    }
}

namespace {

// Reads one line (without CR LF); false when the peer is gone, the server stops or 5 s pass.
bool readLine(int fd, std::string& line, const std::atomic<bool>& stop) {
    line.clear();
    for (int waited = 0; waited < 5000 && !stop;) {
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, 50);
        if (r == 0) {
            waited += 50;
            continue;
        }
        char c;
        if (recv(fd, &c, 1, 0) != 1) return false;
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        line += c;
    }
    return false;
}

void sendAll(int fd, const std::string& text) {
    send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

std::string urlDecode(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

std::string CddbServer::answer(const std::string& command) {
    std::lock_guard<std::mutex> lock(m_mutex);
    unsigned id = 0;
    char category[64] = {};
    if (sscanf(command.c_str(), "cddb query %x", &id) == 1) {
        auto it = m_entries.find(id);
        if (it == m_entries.end()) return "202 No match for disc ID.\r\n";
        char line[256];
        snprintf(line, sizeof(line), "200 %s %08x Test Artist / Test Album\r\n", it->second.first.c_str(),
                 id);
        return line;
    }
    if (sscanf(command.c_str(), "cddb read %63s %x", category, &id) == 2) {
        auto it = m_entries.find(id);
        if (it == m_entries.end()) return "401 Specified CDDB entry not found.\r\n";
        char line[256];
        snprintf(line, sizeof(line), "210 %s %08x CD database entry follows (until terminating `.')\r\n",
                 category, id);
        if (cutEntries) return std::string(line) + it->second.second.substr(0, it->second.second.size() / 2);
        return std::string(line) + it->second.second + ".\r\n";
    }
    return "500 Unrecognized command.\r\n";
}

void CddbServer::serve(int client) {
    std::string line;
    switch (m_mode) {
    case Mode::Silent:
        // Takes the connection and never says a word until the client gives up.
        while (!m_stop && readLine(client, line, m_stop)) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests << QString::fromStdString(line);
        }
        return;
    case Mode::Garbage:
        readLine(client, line, m_stop);
        sendAll(client, "HTTP/1.0 200 OK\r\n\r\n\x01\x02 garbage \xff\xfe no code here\r\n%%%\r\n");
        sendAll(client, "200 not/a/valid line\r\n");
        return;
    case Mode::Flood:
    case Mode::Trickle: {
        if (!readLine(client, line, m_stop)) return;
        std::string header;
        while (readLine(client, header, m_stop) && !header.empty()) {
        }
        if (line.find("cddb+query") != std::string::npos) {
            sendAll(client, "HTTP/1.0 200 OK\r\n\r\n200 rock 12345678 Endless / Entry\r\n");
            return;
        }
        sendAll(client, "HTTP/1.0 200 OK\r\n\r\n210 rock 12345678 entry follows\r\n# xmcd\r\n");
        const std::string title = "TTITLE0=" + std::string(200, 'x') + "\r\n";
        std::string chunk;
        for (int i = 0; i < (m_mode == Mode::Flood ? 64 : 1); ++i)
            chunk += title;
        while (!m_stop) {
            if (send(client, chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0) {
                ++m_abandoned;
                return;
            }
            if (m_mode == Mode::Trickle) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return;
    }
    case Mode::HangUp:
        sendAll(client, "201 test CDDBP server ready\r\n");
        return;
    case Mode::Http: {
        if (!readLine(client, line, m_stop)) return;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests << QString::fromStdString(line);
        }
        std::string header;
        while (readLine(client, header, m_stop) && !header.empty()) {
        }
        // GET /path?cmd=...&hello=...&proto=6 HTTP/1.0
        const size_t cmdAt = line.find("cmd=");
        std::string command;
        if (cmdAt != std::string::npos) {
            const size_t end = line.find('&', cmdAt);
            command = urlDecode(
                line.substr(cmdAt + 4, end == std::string::npos ? std::string::npos : end - cmdAt - 4));
        }
        sendAll(client, "HTTP/1.0 200 OK\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" +
                            (!refusal.empty() ? refusal + "\r\n" : answer(command)));
        return;
    }
    case Mode::Cddbp:
        sendAll(client, "201 test CDDBP server ready\r\n");
        while (readLine(client, line, m_stop)) {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_requests << QString::fromStdString(line);
            }
            if (line.rfind("cddb hello", 0) == 0) {
                if (!refusal.empty()) {
                    sendAll(client, refusal + "\r\n");
                    return;
                }
                sendAll(client, "200 Hello and welcome\r\n");
            } else if (line.rfind("proto", 0) == 0) {
                sendAll(client, "201 OK, CDDB protocol level now: 6\r\n");
            } else if (line == "quit") {
                sendAll(client, "230 Closing connection. Goodbye.\r\n");
                return;
            } else {
                sendAll(client, answer(line));
            }
        }
        return;
    }
}

// Sample frames FFmpeg decodes from the file (-1 when it cannot be decoded).
int64_t decodedFrames(const QString& fileName, int* sampleRate) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, QFile::encodeName(fileName).constData(), nullptr, nullptr) < 0)
        return -1;
    int64_t frames = -1;
    avformat_find_stream_info(format, nullptr);
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    AVCodecContext* context = stream >= 0 ? avcodec_alloc_context3(codec) : nullptr;
    if (context && avcodec_parameters_to_context(context, format->streams[stream]->codecpar) >= 0 &&
        avcodec_open2(context, codec, nullptr) >= 0) {
        frames = 0;
        AVPacket* packet = av_packet_alloc();
        AVFrame* frame = av_frame_alloc();
        auto drain = [&] {
            while (avcodec_receive_frame(context, frame) == 0)
                frames += frame->nb_samples;
        };
        while (av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == stream && avcodec_send_packet(context, packet) >= 0) drain();
            av_packet_unref(packet);
        }
        avcodec_send_packet(context, nullptr);
        drain();
        if (sampleRate) *sampleRate = context->sample_rate;
        av_frame_free(&frame);
        av_packet_free(&packet);
    }
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return frames;
}

std::string LookedUpEntry(uint32_t id) {
    char head[64];
    snprintf(head, sizeof(head), "DISCID=%08x\r\n", id);
    std::string xmcd =
        "# xmcd\r\n#\r\n# Track frame offsets:\r\n#\t150\r\n#\r\n# Disc length: 100 seconds\r\n#\r\n"
        "# Revision: 2\r\n# Submitted via: test 1.0\r\n#\r\n";
    xmcd += head;
    xmcd += "DTITLE=Cräftsmen / Ñoño / Live\r\nDYEAR=1987\r\nDGENRE=Progressive Rock\r\n";
    xmcd += "TTITLE0=AC/DC Ünïcode\r\nTTITLE1=..\r\nTTITLE2=The data\r\nTTITLE3=\r\n";
    xmcd += "EXTD=\r\nEXTT0=\r\nEXTT1=\r\nEXTT2=\r\nEXTT3=\r\nPLAYORDER=\r\n";
    return xmcd;
}

} // namespace cdtest
