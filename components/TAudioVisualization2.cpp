#include "components/TAudioVisualization2.h"

#include <QPainter>

#include <algorithm>

namespace {
constexpr float kFloorDb = -72.0f;
}

TAudioVisualization2::TAudioVisualization2(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TAudioVisualization2::setWindowArraySize(int frames) {
    m_windowSize = std::clamp(frames, 16, 16384);
}

void TAudioVisualization2::setBackColor(const QColor& c) {
    m_back = c;
    update();
}
void TAudioVisualization2::setForeColor(const QColor& c) {
    m_fore = c;
    update();
}
void TAudioVisualization2::setPeakColor(const QColor& c) {
    m_peak = c;
    update();
}

int TAudioVisualization2::barCount() const {
    return std::clamp(width() / 5, 4, 64);
}

void TAudioVisualization2::DisplayArray(const AudioBlock& block) {
    const int bars = barCount();
    if (block.isEmpty()) {
        m_bars.assign(static_cast<std::size_t>(bars), 0.0f);
        m_peaks.assign(static_cast<std::size_t>(bars), 0.0f);
        update();
        return;
    }
    const int size = std::max<int>(16, static_cast<int>(std::min<std::size_t>(block.frames(), static_cast<std::size_t>(m_windowSize))));
    const std::vector<float> bands = GroupLogBands(m_fft.analyse(block, size), bars);
    m_bars.resize(static_cast<std::size_t>(bars), 0.0f);
    m_peaks.resize(static_cast<std::size_t>(bars), 0.0f);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const float v = std::clamp((bands[i] - kFloorDb) / -kFloorDb, 0.0f, 1.0f);
        m_bars[i] = std::max(v, m_bars[i] - 0.08f);  // bars fall smoothly, rise at once
        m_peaks[i] = std::max(m_bars[i], m_peaks[i] - 0.02f);
    }
    update();
}

void TAudioVisualization2::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_back);
    const int n = static_cast<int>(m_bars.size());
    if (n == 0) return;
    const int w = width(), h = height();
    for (int i = 0; i < n; ++i) {
        const int x0 = i * w / n, x1 = (i + 1) * w / n - 1;
        const int bar = static_cast<int>(m_bars[static_cast<std::size_t>(i)] * h);
        if (bar > 0) p.fillRect(x0, h - bar, std::max(1, x1 - x0), bar, m_fore);
        const int peak = static_cast<int>(m_peaks[static_cast<std::size_t>(i)] * h);
        if (peak > 0) p.fillRect(x0, std::max(0, h - peak - 1), std::max(1, x1 - x0), 1, m_peak);
    }
}
