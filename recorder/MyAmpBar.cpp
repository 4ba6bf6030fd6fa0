#include "recorder/MyAmpBar.h"

#include "platform/WinMath.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

namespace {

// The client-aligned paint control of the meter: it only hands its painting to the meter.
class AmpPaintBox : public QWidget {
public:
    explicit AmpPaintBox(TMyAmpBar* bar) : QWidget(bar), m_bar(bar) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_bar->PaintBar(painter);
    }

private:
    TMyAmpBar* m_bar;
};

int Channel(TColor color, int shift) {
    return int((color >> shift) & 0xFF);
}

} // namespace

TMyAmpBar::TMyAmpBar(QWidget* owner) : QWidget(owner), m_paintBox(new AmpPaintBox(this)) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorToQColor(0xD8ECEC));
    setPalette(pal);
    setAutoFillBackground(true);
    m_paintBox->setGeometry(rect());
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &TMyAmpBar::SmoothTimer);
    m_timer.start();
}

void TMyAmpBar::SetPosition(int value) {
    if (value > m_max)
        value = m_max;
    else if (value < m_min)
        value = m_min;
    m_level = value;
    BuildGradient();
    if (!m_timer.isActive()) m_timer.start();
}

void TMyAmpBar::SetMax(int value) {
    m_max = value;
    BuildGradient();
}

void TMyAmpBar::SetMin(int value) {
    m_min = value;
    BuildGradient();
}

void TMyAmpBar::SetVertical(bool flag) {
    m_vertical = flag;
    BuildGradient();
}

void TMyAmpBar::SetLowColor(TColor color) {
    m_lowColor = color;
    BuildGradient();
}

void TMyAmpBar::SetHighColor(TColor color) {
    m_highColor = color;
    BuildGradient();
}

void TMyAmpBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_paintBox->setGeometry(rect());
    BuildGradient();
}

// One colour per pixel of the bar's length, from the low colour at the bottom (or left) end to
// about halfway toward the high colour at the other end.
void TMyAmpBar::BuildGradient() {
    const int length = m_vertical ? height() : width(); // the paint box fills the meter
    m_colorTable.assign(std::max(length, 0), 0);
    for (int i = 0; i < length; ++i) {
        TColor color = 0;
        for (int shift : {0, 8, 16}) {
            const int low = Channel(m_lowColor, shift);
            const double step = (Channel(m_highColor, shift) - low) * 0.5;
            const int value = int(RoundHalfEven(low + step / length * i));
            color |= TColor(value & 0xFF) << shift;
        }
        m_colorTable[m_vertical ? length - 1 - i : i] = color;
    }
}

void TMyAmpBar::SmoothTimer() {
    int sum = 0;
    for (std::size_t i = 0; i + 1 < m_history.size(); ++i) {
        m_history[i] = m_history[i + 1];
        sum += m_history[i];
    }
    m_history.back() = m_level;
    sum += m_level;
    const int shown = sum / int(m_history.size()) - 1;
    // A bar that shows what it showed needs no new picture: an idle window then costs nothing.
    if (shown != m_shown) {
        m_shown = shown;
        m_paintBox->update();
    }
    // Once the history holds only the level, further ticks change nothing: the timer rests until
    // the next level is set.
    if (std::all_of(m_history.begin(), m_history.end(), [this](int v) { return v == m_level; }))
        m_timer.stop();
}

void TMyAmpBar::PaintBar(QPainter& painter) const {
    const int w = width();
    const int h = height();
    painter.fillRect(0, 0, w, h, ColorToQColor(m_frameColor));
    painter.fillRect(1, 1, w - 2, h - 2, ColorToQColor(m_backColor));
    // A meter without a range, or with nothing to show, stays dark.
    if (m_shown <= 0 || m_max <= 0) return;
    const double fraction = double(m_shown) / m_max;
    const auto table = [this](int i) {
        return i >= 0 && std::size_t(i) < m_colorTable.size() ? m_colorTable[i] : 0;
    };
    if (m_vertical) {
        const int64_t top = (h - 1) - RoundHalfEven(fraction * (h - 1));
        if (top > h - 2) return;
        for (int y = int(std::max<int64_t>(top, 0)); y <= h - 2; ++y)
            painter.fillRect(1, y, w - 2, 1, ColorToQColor(table(y)));
    } else {
        const int64_t n = std::min<int64_t>(RoundHalfEven(fraction * (w - 1)), w - 1);
        for (int x = 1; x <= n; ++x)
            painter.fillRect(x, 1, 1, h - 2, ColorToQColor(table(x)));
    }
}
