#pragma once

// Helpers the window benchmarks share: the longest stall of the user-interface thread, and a
// tone file to feed the windows.
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "tools/Convertor.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// Measures the longest gap between the ticks of a 1 ms timer while it lives: the longest time the
// thread's event loop did not run.
class StallMeter {
public:
    StallMeter() {
        m_clock.start();
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_worst = std::max(m_worst, now - m_last);
            m_last = now;
        });
        m_tick.start();
    }
    qint64 Worst() const { return m_worst; }

private:
    QElapsedTimer m_clock;
    QTimer m_tick;
    qint64 m_last = 0, m_worst = 0;
};

// Writes `seconds` of a stereo 44.1 kHz sine at `hz` (with a little noise on the left channel, so
// an encoder has real work) in the format named by `word` ("WAV", "MP3", "OGG", "WMA").
inline void WriteTone(const QString& file, const QString& word, int seconds, double hz = 440.0) {
    TAudioFile2LameEnc lame;
    TAudioFile2 out;
    ConfigureConvertTarget(out, lame, word);
    out.CreateWrite(file, 0);
    out.SetInputFormat(44100, 2);
    std::vector<int16_t> block(44100 * 2);
    uint32_t x = 1;
    for (int s = 0; s < seconds; ++s) {
        for (int i = 0; i < 44100; ++i) {
            x = x * 1664525u + 1013904223u;
            const double v = 0.3 * std::sin(2 * M_PI * hz * (s * 44100 + i) / 44100.0);
            block[size_t(2 * i)] = int16_t(v * 32767 + int((x >> 20) & 255) - 128);
            block[size_t(2 * i + 1)] = int16_t(v * 20000);
        }
        out.WriteArray(AudioBlock(block, 2));
    }
    out.Close();
}
