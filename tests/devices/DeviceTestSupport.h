#pragma once

// Helpers of the device tests: ALSA configurations written per test (file-backed capture and
// playback devices, never a sound card), generated signals and an event-loop wait.

#include "components/AudioBlock.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <vector>

namespace devtest {

// A fresh folder and an ALSA configuration inside it that this process uses from now on.
class AlsaSandbox {
public:
    AlsaSandbox();
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // Replaces the whole ALSA configuration with `text`.
    void useConfig(const QString& text);
    // A device that records `rawFile` (interleaved 16-bit) and plays into nothing.
    static QString captureDevice(const QString& name, const QString& rawFile, const QString& description);
    // A device that writes what it plays into `rawFile` and records silence.
    static QString playbackDevice(const QString& name, const QString& rawFile, const QString& description);

private:
    QTemporaryDir m_dir;
};

// Interleaved frames of one sine per channel (amplitudes in full-scale fractions).
std::vector<int16_t> sine(int rate, int channels, double seconds, const std::vector<double>& freqs,
                          const std::vector<double>& amplitudes);
void writeRaw(const QString& file, const std::vector<int16_t>& samples);
std::vector<int16_t> readRaw(const QString& file);
// RMS of one channel of interleaved samples, from frame `from` on.
double rms(const std::vector<int16_t>& samples, int channels, int channel, std::size_t from = 0);
// Runs the event loop until `done` is true; false when that takes longer than `limitMs`.
bool waitFor(const std::function<bool()>& done, int limitMs = 20000);

} // namespace devtest
