#include "components/TAudioDisplay2.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr float kMeterFloorDb = -60.0f;

float dbToUnit(float db, float floor) {
    return std::clamp((db - floor) / -floor, 0.0f, 1.0f);
}
} // namespace

TAudioDisplay2::TAudioDisplay2(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Dark blue through cyan and yellow to white.
    m_palette.resize(256);
    for (int i = 0; i < 256; ++i) {
        const double t = i / 255.0;
        const int r = static_cast<int>(255 * std::clamp(t * 2.0 - 0.6, 0.0, 1.0));
        const int g = static_cast<int>(255 * std::clamp(t * 1.6 - 0.2, 0.0, 1.0));
        const int b = static_cast<int>(
            255 * std::clamp(t < 0.5 ? 0.2 + t * 1.6 : 1.0 - (t - 0.5) * 1.2 + std::max(0.0, t - 0.85) * 6.0,
                             0.0, 1.0));
        m_palette[static_cast<std::size_t>(i)] = qRgb(r, g, b);
    }
}

void TAudioDisplay2::setTypeDisplay(int type) {
    m_type = std::clamp(type, 0, kModes - 1);
    clear();
}

void TAudioDisplay2::setFFTWindowsSize(int samples) {
    m_fftSize = std::clamp(samples, 64, 32768);
}

void TAudioDisplay2::setBackColor(const QColor& c) {
    m_back = c;
    clear();
}
void TAudioDisplay2::setForeColor(const QColor& c) {
    m_fore = c;
    update();
}
void TAudioDisplay2::setPeakColor(const QColor& c) {
    m_peak = c;
    update();
}

void TAudioDisplay2::setBorder(bool border) {
    m_border = border;
    update();
}
void TAudioDisplay2::setMinLevel(int db) {
    m_minLevel = std::clamp(db, -120, -6);
    update();
}
void TAudioDisplay2::setAttackTime(int updates) {
    m_attack = std::max(0, updates);
}
void TAudioDisplay2::setReleaseTime(int updates) {
    m_release = std::max(0, updates);
}

void TAudioDisplay2::clear() {
    m_block = AudioBlock();
    m_bars.clear(0);
    m_level[0] = m_level[1] = m_hold[0] = m_hold[1] = 0.0f;
    m_hasData = false;
    if (!m_spectrogram.isNull()) m_spectrogram.fill(m_back);
    update();
}

void TAudioDisplay2::resizeEvent(QResizeEvent*) {
    if (m_spectrogram.size() == size()) return;
    m_spectrogram = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    m_spectrogram.fill(m_back);
}

void TAudioDisplay2::DisplayArray(const AudioBlock& block) {
    if (block.isEmpty()) {
        clear();
        return;
    }
    const int channels = std::max(1, block.channels);
    m_hasData = true;
    switch (m_type) {
    case 0:
        m_block = block;
        break;
    case 1:
    case 2:
    case 4: {
        const int frames = static_cast<int>(std::min<std::size_t>(block.frames(), 16384));
        const std::vector<float>& db = m_fft.analyse(block, std::max(64, frames));
        if (m_type == 4) {
            addSpectrogramColumn(db);
            break;
        }
        const int n = m_type == 1 ? std::clamp(width() / 6, 4, 64) : std::clamp(width() / 2, 8, 512);
        // The line follows the spectrum as it is; the bars rise and fall at their set pace.
        if (m_type == 1)
            m_bars.feed(GroupLogBands(db, n), static_cast<float>(m_minLevel), m_attack, m_release);
        else
            m_bars.feed(GroupLogBands(db, n), static_cast<float>(m_minLevel), 0, 0);
        break;
    }
    case 3: {
        int peak[2] = {0, 0};
        const std::size_t frames = block.frames();
        for (std::size_t f = 0; f < frames; ++f) {
            const int16_t* s = block.samples.data() + f * static_cast<std::size_t>(channels);
            peak[0] = std::max(peak[0], std::abs(static_cast<int>(s[0])));
            peak[1] = std::max(peak[1], std::abs(static_cast<int>(s[channels > 1 ? 1 : 0])));
        }
        for (int c = 0; c < 2; ++c) {
            const float db = peak[c] > 0 ? 20.0f * std::log10(peak[c] / 32768.0f) : -120.0f;
            const float v = dbToUnit(db, kMeterFloorDb);
            m_level[c] = std::max(v, m_level[c] - 0.05f);
            m_hold[c] = std::max(v, m_hold[c] - 0.01f);
        }
        break;
    }
    }
    update();
}

void TAudioDisplay2::addSpectrogramColumn(const std::vector<float>& db) {
    if (m_spectrogram.size() != size()) {
        m_spectrogram = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
        m_spectrogram.fill(m_back);
    }
    const int w = m_spectrogram.width(), h = m_spectrogram.height();
    const std::vector<float> rows = GroupLogBands(db, h);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(m_spectrogram.scanLine(y));
        std::memmove(line, line + 1, static_cast<std::size_t>(w - 1) * sizeof(QRgb));
        const float v = dbToUnit(rows[static_cast<std::size_t>(h - 1 - y)], static_cast<float>(m_minLevel));
        line[w - 1] = m_palette[static_cast<std::size_t>(std::lrint(v * 255.0f))];
    }
}

void TAudioDisplay2::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_type == 4 && !m_spectrogram.isNull()) {
        p.drawImage(0, 0, m_spectrogram);
    } else {
        p.fillRect(rect(), m_back);
        if (m_hasData) drawMode(p); // cleared: background only
    }
    if (m_border) {
        p.setPen(m_fore);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TAudioDisplay2::drawMode(QPainter& p) {
    switch (m_type) {
    case 0:
        drawScope(p);
        break;
    case 1:
        drawBars(p);
        break;
    case 2:
        drawLine(p);
        break;
    case 3:
        drawMeter(p);
        break;
    default:
        break;
    }
}

void TAudioDisplay2::drawScope(QPainter& p) {
    const int w = width(), h = height();
    const int channels = std::max(1, m_block.channels);
    const std::size_t frames = m_block.frames();
    const int traces = std::min(channels, 2);
    if (frames == 0) return;
    p.setPen(m_fore);
    for (int t = 0; t < traces; ++t) {
        const int top = h * t / traces, bottom = h * (t + 1) / traces;
        const int mid = (top + bottom) / 2, half = std::max(1, (bottom - top) / 2 - 1);
        for (int x = 0; x < w; ++x) {
            const std::size_t a = frames * static_cast<std::size_t>(x) / static_cast<std::size_t>(w);
            const std::size_t b =
                std::max(a + 1, frames * static_cast<std::size_t>(x + 1) / static_cast<std::size_t>(w));
            int lo = 32767, hi = -32768;
            for (std::size_t f = a; f < b && f < frames; ++f) {
                const int v =
                    m_block.samples[f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(t)];
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            p.drawLine(x, mid - hi * half / 32768, x, mid - lo * half / 32768);
        }
    }
}

void TAudioDisplay2::drawBars(QPainter& p) {
    m_bars.paint(p, rect(), m_fore, m_peak, 2);
}

void TAudioDisplay2::drawLine(QPainter& p) {
    const std::vector<float>& values = m_bars.bars();
    const int n = static_cast<int>(values.size());
    const int w = width(), h = height();
    if (n < 2) return;
    QPolygon line(n);
    for (int i = 0; i < n; ++i)
        line.setPoint(i, i * (w - 1) / (n - 1),
                      h - 1 - static_cast<int>(values[static_cast<std::size_t>(i)] * (h - 1)));
    p.setPen(m_fore);
    p.drawPolyline(line);
}

void TAudioDisplay2::drawMeter(QPainter& p) {
    const int w = width(), h = height();
    const int gap = std::max(2, h / 10);
    const int barH = std::max(1, (h - 3 * gap) / 2);
    for (int c = 0; c < 2; ++c) {
        const int y = gap + c * (barH + gap);
        const int len = static_cast<int>(m_level[c] * w);
        if (len > 0) p.fillRect(0, y, len, barH, m_fore);
        const int hold = static_cast<int>(m_hold[c] * w);
        if (hold > 0) p.fillRect(std::min(w - 2, hold), y, 2, barH, m_peak);
    }
    // Scale marks every 10 dB.
    p.setPen(m_peak);
    for (int db = 0; db >= static_cast<int>(kMeterFloorDb); db -= 10) {
        const int x = static_cast<int>(dbToUnit(static_cast<float>(db), kMeterFloorDb) * (w - 1));
        p.drawLine(x, h - gap / 2 - 1, x, h - 1);
    }
}
