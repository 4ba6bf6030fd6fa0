#pragma once

// Shared by the CD benchmarks: a disc image as the only drive the CD component lists.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

// Writes the component's drive-list file naming `cue` under `folder`/config and points
// XDG_CONFIG_HOME there; false when the file cannot be written.
inline bool UseImageAsOnlyDrive(const QString& folder, const QString& cue) {
    const QString config = folder + QStringLiteral("/config");
    QDir().mkpath(config + QStringLiteral("/AudioCDGrabber"));
    QFile list(config + QStringLiteral("/AudioCDGrabber/drives.list"));
    if (!list.open(QIODevice::WriteOnly) || list.write(QFile::encodeName(cue) + '\n') < 0) return false;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    return true;
}

// Writes `folder`/bench.bin and bench.cue: `tracks` audio tracks of `trackSectors` sectors each, a
// tone with noise (`baseHz` times 1 to 4, different in each track) so an encoder has real work, and
// makes the image the only drive. The cue sheet's name; empty, told on stderr, when it cannot be
// written.
inline QString WriteBenchDisc(const QString& folder, int tracks, int trackSectors, double baseHz) {
    auto written = [&] {
        QFile bin(folder + QStringLiteral("/bench.bin"));
        if (!bin.open(QIODevice::WriteOnly)) return false;
        QByteArray cue = "FILE \"bench.bin\" BINARY\n";
        std::vector<int16_t> sector(1176);
        uint32_t noise = 12345;
        double phase = 0;
        for (int t = 0; t < tracks; ++t) {
            const int start = t * trackSectors;
            cue += QStringLiteral("  TRACK %1 AUDIO\n    INDEX 01 %2:%3:%4\n")
                       .arg(t + 1, 2, 10, QLatin1Char('0'))
                       .arg(start / 75 / 60, 2, 10, QLatin1Char('0'))
                       .arg(start / 75 % 60, 2, 10, QLatin1Char('0'))
                       .arg(start % 75, 2, 10, QLatin1Char('0'))
                       .toUtf8();
            const double hz = baseHz * (1 + t % 4);
            for (int s = 0; s < trackSectors; ++s) {
                for (size_t i = 0; i < sector.size(); i += 2) {
                    phase += 2 * M_PI * hz / 44100.0;
                    noise = noise * 1664525u + 1013904223u;
                    const int v = static_cast<int>(8000 * std::sin(phase)) +
                                  static_cast<int>((noise >> 20) & 0x3ff) - 512;
                    sector[i] = static_cast<int16_t>(v);
                    sector[i + 1] = static_cast<int16_t>(-v / 2);
                }
                if (bin.write(reinterpret_cast<const char*>(sector.data()), 2352) != 2352) return false;
            }
        }
        QFile file(folder + QStringLiteral("/bench.cue"));
        return file.open(QIODevice::WriteOnly) && file.write(cue) == cue.size();
    };
    const QString cue = folder + QStringLiteral("/bench.cue");
    if (!written() || !UseImageAsOnlyDrive(folder, cue)) {
        fprintf(stderr, "cannot write the disc image\n");
        return {};
    }
    return cue;
}
