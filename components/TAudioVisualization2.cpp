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
        m_bars.clear(bars);
        update();
        return;
    }
    const int size = std::max<int>(
        16, static_cast<int>(std::min<std::size_t>(block.frames(), static_cast<std::size_t>(m_windowSize))));
    // Bars rise at once and fall over about twelve updates.
    m_bars.feed(GroupLogBands(m_fft.analyse(block, size), bars), kFloorDb, 0, 12);
    update();
}

void TAudioVisualization2::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_back);
    m_bars.paint(p, rect(), m_fore, m_peak, 1);
}
