#pragma once

#include "components/AudioBlock.h"
#include "components/TAudioFile2.h"
#include "tests/support/LittleEndian.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <vector>

namespace audiotest {

// A sine tone, interleaved, every channel the same.
inline std::vector<int16_t> tone(int rate, int channels, int64_t frames, double hz, double amplitude = 0.5,
                                 int64_t startFrame = 0) {
    std::vector<int16_t> out(std::size_t(frames) * std::size_t(channels));
    for (int64_t i = 0; i < frames; ++i) {
        double v = amplitude * 32767.0 * std::sin(2 * M_PI * hz * double(i + startFrame) / rate);
        for (int c = 0; c < channels; ++c)
            out[std::size_t(i * channels + c)] = int16_t(std::lround(v));
    }
    return out;
}

// Pseudo-random noise, the same every run.
inline std::vector<int16_t> noise(int channels, int64_t frames, double amplitude = 0.5) {
    std::vector<int16_t> out(std::size_t(frames) * std::size_t(channels));
    uint32_t x = 12345;
    for (auto& s : out) {
        x = x * 1664525u + 1013904223u;
        s = int16_t(int32_t((x >> 16) & 0xFFFF) - 32768) * amplitude;
    }
    return out;
}

// Writes `samples` (in the writer's input format) block by block.
inline void writeBlocks(TAudioFile2& af, const std::vector<int16_t>& samples, int channels,
                        int64_t blockFrames) {
    const std::size_t step = std::size_t(blockFrames) * std::size_t(channels);
    for (std::size_t i = 0; i < samples.size(); i += step) {
        std::size_t n = std::min(step, samples.size() - i);
        af.WriteArray(AudioBlock(std::vector<int16_t>(samples.begin() + std::ptrdiff_t(i),
                                                      samples.begin() + std::ptrdiff_t(i + n)),
                                 channels));
    }
}

struct Decoded {
    std::vector<int16_t> samples;
    int rate = 0;
    int channels = 0;
    int64_t length = 0; // GetLength
    int64_t frames() const { return channels ? int64_t(samples.size()) / channels : 0; }
};

// Reads a whole file through TAudioFile2 in blocks of one second.
inline Decoded decodeAll(const QString& file) {
    Decoded d;
    TAudioFile2 af;
    af.EnableWMA(-1);
    af.OpenRead(file, 0, 1);
    if (af.GetLastError() != 0) return d;
    d.rate = af.GetSampleFormat1();
    d.channels = af.GetSampleFormat2();
    d.length = af.GetLength();
    for (;;) {
        AudioBlock b = af.ReadArray(d.rate);
        if (b.upperBound() < 0) break;
        d.samples.insert(d.samples.end(), b.samples.begin(), b.samples.end());
    }
    af.Close();
    return d;
}

// Frequency of channel `ch` from its rising zero crossings, over the middle of the signal.
inline double frequency(const std::vector<int16_t>& s, int channels, int rate, int ch = 0) {
    int64_t frames = int64_t(s.size()) / channels;
    int64_t from = frames / 10, to = frames - frames / 10;
    int64_t first = -1, last = -1, count = 0;
    for (int64_t i = from + 1; i < to; ++i) {
        int16_t a = s[std::size_t((i - 1) * channels + ch)], b = s[std::size_t(i * channels + ch)];
        if (a < 0 && b >= 0) {
            if (first < 0)
                first = i;
            else
                ++count;
            last = i;
        }
    }
    if (count == 0) return 0;
    return double(count) * rate / double(last - first);
}

// RMS level of channel `ch` relative to full scale, over the middle of the signal.
inline double level(const std::vector<int16_t>& s, int channels, int ch = 0) {
    int64_t frames = int64_t(s.size()) / channels;
    int64_t from = frames / 10, to = frames - frames / 10;
    double sum = 0;
    for (int64_t i = from; i < to; ++i) {
        double v = s[std::size_t(i * channels + ch)] / 32768.0;
        sum += v * v;
    }
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

// A 44-byte WAV file: a header for 44.1 kHz 16-bit stereo and a data chunk of no samples.
inline bool writeHeaderOnlyWav(const QString& file) {
    const QByteArray bytes = "RIFF" + LittleEndian32(36) + "WAVEfmt " + LittleEndian32(16) +
                             LittleEndian16(1) + LittleEndian16(2) + LittleEndian32(44100) +
                             LittleEndian32(44100 * 4) + LittleEndian16(4) + LittleEndian16(16) + "data" +
                             LittleEndian32(0);
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == 44;
}

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Replaces the file's contents; false when it cannot be written.
inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Runs the ffmpeg program (installed with the test tools) quietly: ffmpeg -y <args>, to make an
// input in a format this suite does not write, or to see what an outside decoder makes of a file.
// The exit code (-1 when it did not run) and its output.
inline int runFfmpeg(const QStringList& args, QByteArray* output = nullptr) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            QStringList{"-nostdin", "-hide_banner", "-loglevel", "quiet", "-y"} + args);
    if (!p.waitForStarted(10000)) return -1;
    QByteArray out;
    while (p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    out += p.readAllStandardOutput();
    if (output) *output = out;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// The frames ffmpeg decodes `file` to, as 16-bit stereo.
inline int64_t ffmpegFrames(const QString& file) {
    QByteArray raw;
    runFfmpeg({"-i", file, "-f", "s16le", "-ac", "2", "-"}, &raw);
    return int64_t(raw.size()) / 4;
}

} // namespace audiotest
