#include "components/SpectrumBars.h"

#include <QPainter>

#include <algorithm>

void SpectrumBars::feed(const std::vector<float>& bandsDb, float floorDb, int attack, int release) {
    m_bars.resize(bandsDb.size(), 0.0f);
    m_peaks.resize(bandsDb.size(), 0.0f);
    const float rise = attack <= 1 ? 1.0f : 1.0f / static_cast<float>(attack);
    const float fall = release <= 1 ? 1.0f : 1.0f / static_cast<float>(release);
    for (std::size_t i = 0; i < bandsDb.size(); ++i) {
        const float v = std::clamp((bandsDb[i] - floorDb) / -floorDb, 0.0f, 1.0f);
        float& b = m_bars[i];
        b = v > b ? std::min(v, b + rise) : std::max(v, b - fall);
        m_peaks[i] = std::max(b, m_peaks[i] - fall / 4.0f);
    }
}

void SpectrumBars::clear(int count) {
    m_bars.assign(static_cast<std::size_t>(std::max(0, count)), 0.0f);
    m_peaks.assign(m_bars.size(), 0.0f);
}

void SpectrumBars::paint(QPainter& p, const QRect& area, const QColor& bar, const QColor& cap,
                         int capHeight) const {
    const int n = static_cast<int>(m_bars.size());
    const int w = area.width(), h = area.height();
    for (int i = 0; i < n; ++i) {
        const int x0 = area.left() + i * w / n, x1 = area.left() + (i + 1) * w / n - 1;
        const int width = std::max(1, x1 - x0);
        const int b = static_cast<int>(m_bars[static_cast<std::size_t>(i)] * h);
        if (b > 0) p.fillRect(x0, area.bottom() + 1 - b, width, b, bar);
        const int c = static_cast<int>(m_peaks[static_cast<std::size_t>(i)] * h);
        if (c > 0)
            p.fillRect(x0, std::max(area.top(), area.bottom() + 1 - c - capHeight), width, capHeight, cap);
    }
}
