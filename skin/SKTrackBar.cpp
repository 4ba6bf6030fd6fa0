#include "skin/SKTrackBar.h"

#include "skin/SKImagePanel.h"
#include "skin/SKMgr.h"
#include "skin/SKPublic.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>
#include <limits>

TskTrackBar::TskTrackBar(QWidget* parent) : TskControl(parent) {
    InitColor(clBtnFace, true);
    SetFocusPolicies(Qt::StrongFocus, Qt::ClickFocus);
    m_slider = new TskImagePanel(this);
    m_slider->resize(0, 0);
    m_slider->installEventFilter(this);
    SetTabStop(true);
    resize(150, 45);
    m_uiStyle = OwnerFormUIStyle(parent);
    m_constructed = true;
    SetUIStyle(m_uiStyle);
}

TskTrackBar::~TskTrackBar() {
    StopTimer();
}

void TskTrackBar::SetOrientation(TskProgressBarOrientation value) {
    if (value == m_orientation) return;
    m_orientation = value;
    Rebuild();
}

void TskTrackBar::UIStyleChanged() {
    if (m_uiStyle == MacOS) m_transparent = true;
    Rebuild();
}

void TskTrackBar::SetBarImage(const QImage& value) {
    m_barImage = value;
    Rebuild();
}

QImage TskTrackBar::SliderImage() const {
    return m_slider->Picture();
}

void TskTrackBar::SetSliderImage(const QImage& value) {
    m_slider->SetPicture(value);
    update();
}

void TskTrackBar::SetMax(int value) {
    if (value == m_max) return;
    m_max = std::max(value, m_min);
    if (m_position > m_max) m_position = m_max;
    PlaceSlider();
}

void TskTrackBar::SetMin(int value) {
    if (value == m_min) return;
    m_min = std::min(value, m_max);
    if (m_position < m_min) m_position = m_min;
    PlaceSlider();
}

void TskTrackBar::SetPosition(int value) {
    m_position = std::clamp(value, m_min, m_max);
    PlaceSlider();
}

void TskTrackBar::SetPageSize(int value) {
    if (value >= 0 && value <= m_max) m_pageSize = value;
}

void TskTrackBar::SetLineSize(int value) {
    if (value >= 0 && value <= m_max) m_lineSize = value;
}

void TskTrackBar::SetShowTick(bool value) {
    m_showTick = value;
    update();
}

void TskTrackBar::SetTransparent(bool value) {
    m_transparent = value;
    update();
}

void TskTrackBar::SetFrequency(int value) {
    m_frequency = value;
    update();
}

int TskTrackBar::SliderLength() const {
    return m_orientation == skHorizontal ? m_slider->width() : m_slider->height();
}

int TskTrackBar::SliderThickness() const {
    return m_orientation == skHorizontal ? m_slider->height() : m_slider->width();
}

QPoint TskTrackBar::GetSliderPos() const {
    const int thickness = m_orientation == skHorizontal ? height() : width();
    const int across = std::max(0, (thickness - SliderThickness()) / 2);
    int along = 0;
    if (m_max != m_min) {
        along = static_cast<int>((static_cast<int64_t>(m_position) - m_min) * (Length() - SliderLength()) /
                                 (static_cast<int64_t>(m_max) - m_min));
    }
    return m_orientation == skHorizontal ? QPoint(along, across) : QPoint(across, along);
}

int TskTrackBar::PointToValue(int x, int y) const {
    const int room = Length() - SliderLength();
    if (room == 0) return 0;
    const int along = m_orientation == skHorizontal ? x : y;
    const double v =
        static_cast<double>(along - SliderLength() / 2) * (static_cast<double>(m_max) - m_min) / room;
    // Over a range wider than the integer range the value can lie outside it: saturated, and the
    // sum taken in 64 bits, so a cursor far from the bar gives an end of the range, not a wrap.
    const double offset = std::clamp(std::nearbyint(v), -4294967296.0, 4294967296.0); // halves to even
    return static_cast<int>(std::clamp<int64_t>(m_min + static_cast<int64_t>(offset),
                                                std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

void TskTrackBar::PlaceSlider() {
    m_slider->move(GetSliderPos());
    update();
    if (m_position != m_lastNotified) {
        // The step, saturated: across the whole integer range it does not fit in an int.
        m_lastChange = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(m_position) - m_lastNotified,
                                                            std::numeric_limits<int>::min(),
                                                            std::numeric_limits<int>::max()));
        m_lastNotified = m_position;
        Q_EMIT OnChange();
    }
}

void TskTrackBar::UpdateSlider() {
    if (KeepSliderImage()) return;
    const TskThemeSource source = Theme();
    m_barImage = source.Bitmap(SkinElement::TrackBarBarImage);
    m_slider->SetPicture(source.Bitmap(m_orientation == skHorizontal ? SkinElement::TrackBarSliderImage
                                                                     : SkinElement::TrackBarSliderVImage));
    BuildStrip();
    m_slider->SetTransparent(GetSliderTransparent());
    m_slider->SetAutoSize(true);
    if (m_slider->Picture().isNull()) m_slider->resize(0, 0);
}

void TskTrackBar::BuildStrip() {
    const int length = Length();
    if (m_barImage.isNull() || length <= 0) {
        m_strip = QImage();
        return;
    }
    m_strip = QImage(length, m_barImage.height(), QImage::Format_RGB32);
    m_strip.fill(ColorToQColor(Color()));
    {
        QPainter p(&m_strip);
        DrawThreePartBitmap(m_barImage, p, TRect(0, 0, length, m_barImage.height()), false);
    }
    if (m_orientation == skVertical) RotateBitmap(m_strip);
}

void TskTrackBar::Rebuild() {
    if (!m_constructed) return;
    UpdateSlider();
    if (KeepSliderImage()) BuildStrip();
    FitThickness();
    PlaceSlider();
    update();
}

void TskTrackBar::FitThickness() {
    const int fit = std::max(m_barImage.height(), SliderThickness());
    if (fit <= 0) return;
    if (m_orientation == skVertical && width() != fit)
        resize(fit, height());
    else if (m_orientation == skHorizontal && height() != fit)
        resize(width(), fit);
}

void TskTrackBar::resizeEvent(QResizeEvent* event) {
    TskControl::resizeEvent(event);
    if (m_constructed) {
        // A new size rebuilds the bar: the thickness stays fitted to the pictures.
        FitThickness();
        BuildStrip();
        m_slider->move(GetSliderPos());
    }
    Q_EMIT OnResize();
}

QImage TskTrackBar::Render() {
    // A hidden control gets its resize event only when shown: keep strip and slider in step.
    const int stripLength = m_orientation == skHorizontal ? m_strip.width() : m_strip.height();
    if (!m_barImage.isNull() && stripLength != Length()) BuildStrip();
    if (m_slider->pos() != GetSliderPos()) m_slider->move(GetSliderPos());
    QImage buffer = NewBuffer();
    {
        QPainter p(&buffer);
        if (m_transparent)
            DrawParentBackground(p, this);
        else
            p.fillRect(rect(), ColorToQColor(Color()));
        if (!m_strip.isNull()) {
            if (m_orientation == skHorizontal)
                p.drawImage(0, (height() - m_barImage.height()) / 2, m_strip);
            else
                p.drawImage((width() - m_barImage.height()) / 2, 0, m_strip);
        }
        if (m_showTick && m_min != m_max) {
            p.setPen(Qt::black);
            const int length = Length(), slider = SliderLength();
            const int64_t range = static_cast<int64_t>(m_max) - m_min;
            auto tickAt = [&](int at) {
                if (m_orientation == skHorizontal) {
                    p.drawLine(at, height() - 3, at, height() - 1);
                } else {
                    p.drawLine(0, at, 2, at);
                    p.drawLine(width() - 3, at, width() - 1, at);
                }
            };
            auto tick = [&](int64_t value) {
                tickAt(static_cast<int>(static_cast<int64_t>(length - slider) * (value - m_min) / range) +
                       slider / 2);
            };
            tick(m_min);
            if (m_frequency > 0) {
                if (range / m_frequency > 2 * static_cast<int64_t>(std::max(1, length))) {
                    // More ticks than pixels: they close up into a solid row, drawn pixel by pixel
                    // rather than value by value (a range of millions would take that many lines).
                    for (int at = slider / 2; at <= length - slider + slider / 2; ++at)
                        tickAt(at);
                } else {
                    for (int64_t v = static_cast<int64_t>(m_min) + m_frequency; v < m_max; v += m_frequency)
                        tick(v);
                }
            }
            tick(m_max);
        }
    }
    if (hasFocus() && TabStop()) DrawFocusRect(buffer, rect());
    return buffer;
}

void TskTrackBar::StepToward(const QPoint& point, int factor) {
    const int along = m_orientation == skHorizontal ? point.x() : point.y();
    const int start = m_orientation == skHorizontal ? m_slider->x() : m_slider->y();
    const int end = start + SliderLength();
    const int target = PointToValue(point.x(), point.y());
    const int64_t step = static_cast<int64_t>(m_pageSize) * factor;
    if (along > end) {
        SetPosition(static_cast<int>(std::min<int64_t>(m_position + step, target)));
    } else if (along < start) {
        SetPosition(static_cast<int>(std::max<int64_t>(m_position - step, target)));
    }
}

void TskTrackBar::StepBy(int64_t delta) {
    // In 64 bits, so a step near either end of the integer range cannot wrap round.
    SetPosition(static_cast<int>(std::clamp<int64_t>(m_position + delta, m_min, m_max)));
}

void TskTrackBar::StopTimer() {
    delete m_timer;
    m_timer = nullptr;
}

void TskTrackBar::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_lastMouse = pos;
        StepToward(pos, 1);
        if (!m_timer) {
            m_timer = new QTimer(this);
            m_timer->setInterval(100);
            connect(m_timer, &QTimer::timeout, this,
                    [this] { StepToward(m_lastMouse, m_orientation == skVertical ? 1 : 3); });
            m_timer->start();
        }
        if (isEnabled() && isVisible()) setFocus(Qt::MouseFocusReason);
    }
    EmitMouseDown(event);
}

void TskTrackBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_lastMouse = pos;
    if (!m_dragging && !rect().contains(pos)) StopTimer();
    EmitMouseMove(event);
}

void TskTrackBar::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    StopTimer();
    m_dragging = false;
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(pos);
    if (event->button() == Qt::LeftButton) m_pressed = false;
    if (click) Q_EMIT OnClick();
    EmitMouseUp(event);
}

void TskTrackBar::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton) Q_EMIT OnDblClick();
}

void TskTrackBar::leaveEvent(QEvent* event) {
    TskControl::leaveEvent(event);
    if (!m_dragging) StopTimer();
}

// A disabled or hidden control gets no mouse release: a step repeat or drag in progress ends
// here, or the position would go on moving.
void TskTrackBar::EndMouseAction() {
    StopTimer();
    m_dragging = false;
    m_pressed = false;
}

void TskTrackBar::changeEvent(QEvent* event) {
    TskControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) EndMouseAction();
}

void TskTrackBar::hideEvent(QHideEvent* event) {
    TskControl::hideEvent(event);
    EndMouseAction();
}

bool TskTrackBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_slider) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton) return false;
        const QPoint pos = e->position().toPoint() + m_slider->pos();
        m_dragging = true;
        if (isEnabled() && isVisible()) setFocus(Qt::MouseFocusReason);
        EmitMouseDown(e->button(), e->modifiers(), pos);
        return true;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint pos = e->position().toPoint() + m_slider->pos();
        if (m_dragging) {
            // The slider centre follows the cursor.
            SetPosition(std::clamp(PointToValue(pos.x(), pos.y()), m_min, m_max));
        }
        EmitMouseMove(e->modifiers(), pos);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint pos = e->position().toPoint() + m_slider->pos();
        StopTimer();
        m_dragging = false;
        EmitMouseUp(e->button(), e->modifiers(), pos);
        return true;
    }
    default:
        return false;
    }
}

void TskTrackBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageUp:
        StepBy(-static_cast<int64_t>(m_pageSize));
        break;
    case Qt::Key_PageDown:
        StepBy(m_pageSize);
        break;
    case Qt::Key_End:
        SetPosition(m_max);
        break;
    case Qt::Key_Home:
        SetPosition(m_min);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        StepBy(-static_cast<int64_t>(m_lineSize));
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        StepBy(m_lineSize);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
}

TskScrollTrackBar::TskScrollTrackBar(QWidget* parent) : TskTrackBar(parent) {
    // The scroll bar gives the pictures; the slider is drawn opaque.
    SetBarImage(QImage());
    SliderPart()->SetTransparent(false);
}

bool TskScrollTrackBar::GetSliderVisible() const {
    return SliderPart()->isVisibleTo(const_cast<TskScrollTrackBar*>(this));
}

void TskScrollTrackBar::SetSliderVisible(bool value) {
    if (GetSliderVisible() != value) SliderPart()->setVisible(value);
}

void TskScrollTrackBar::SetSliderAutoSize() {
    SliderPart()->SetAutoSize(true);
}
