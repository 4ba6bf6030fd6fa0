#include "tools/MyTrackBar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

TMyTrackBar::TMyTrackBar(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(236, 236, 216));
    setPalette(p);
    m_bottomThumb = new QLabel(this);
    m_topThumb = new QLabel(this);
    for (QLabel* thumb : {m_bottomThumb, m_topThumb}) {
        thumb->resize(33, 16);
        thumb->installEventFilter(this);
    }
    m_bottomThumb->move(0, 70);
}

void TMyTrackBar::SetMax(int64_t value) {
    Max = value;
    // Marks of a longer file beyond the new end would lie outside it.
    while (!Marks.empty() && Marks.back().Position > Max)
        Marks.pop_back();
    AddMark(Min);
    AddMark(Max);
    Marks.back().Use = true;
    const int travel = BoxWidth() - 16;
    m_step = travel > 0 ? int((Max / travel) / 10) : 0;
}

void TMyTrackBar::SetPosition(int64_t value) {
    Position = std::clamp(value, Min, std::max(Min, Max));
    m_cursorX = PosToPixel(Position);
    m_bottomThumb->move(m_cursorX - 16, m_bottomThumb->y());
    m_topThumb->move(m_cursorX - 16, m_topThumb->y());
    Q_EMIT OnPositionChange(this);
    update();
}

void TMyTrackBar::AddMark(int64_t value) {
    for (const TSplitMark& m : Marks)
        if (m.Position == value) return;
    Marks.push_back({value, false});
    std::sort(Marks.begin(), Marks.end(),
              [](const TSplitMark& a, const TSplitMark& b) { return a.Position < b.Position; });
    const int last = int(Marks.size()) - 1;
    int i = 0;
    while (Marks[i].Position != value)
        ++i;
    Marks[i].Use = i == 0 || i == last ? true : Marks[i - 1].Use;
    Q_EMIT OnMarksChange(this);
}

void TMyTrackBar::DeleteMark(int index, bool keepUse) {
    if (index <= 0 || index >= int(Marks.size()) - 1) return;
    if (!keepUse) Marks[index - 1].Use = Marks[index].Use;
    Marks.erase(Marks.begin() + index);
    Q_EMIT OnMarksChange(this);
    update();
}

void TMyTrackBar::ClearMarks() {
    if (Marks.size() < 2) return;
    Marks[1] = Marks.back();
    Marks.resize(2);
    Q_EMIT OnMarksChange(this);
    update();
}

void TMyTrackBar::SelectMark(int index) {
    m_selected = index;
    update();
}

void TMyTrackBar::GotoMark(int index) {
    if (index >= 0 && index < int(Marks.size()) - 1) SetPosition(Marks[index].Position);
}

void TMyTrackBar::SetBarBitmap(const QImage& bitmap) {
    m_bar = bitmap;
    update();
}

void TMyTrackBar::SetThumbPictures(const QImage& top, const QImage& bottom) {
    m_bottomThumb->setPixmap(QPixmap::fromImage(bottom));
    m_topThumb->setPixmap(QPixmap::fromImage(top));
    m_bottomThumb->adjustSize();
    m_topThumb->adjustSize();
}

void TMyTrackBar::SetCursorBitmaps(const QImage& cursor, const QImage& tick) {
    m_cursor = cursor;
    m_tick = tick;
    update();
}

void TMyTrackBar::SetSegmentBitmaps(const QImage& unchecked, const QImage& selected) {
    m_unchecked = unchecked;
    m_selectedFill = selected;
    update();
}

int64_t TMyTrackBar::PixelToPos(int x) const {
    if (x < 0) return Min;
    if (x > BoxWidth() - 16) return Max;
    const int travel = BoxWidth() - 33;
    // A bar too narrow for a thumb's travel, or no file yet, never divides by zero.
    if (travel <= 0) return Min;
    return int64_t(std::nearbyint(double(x) / travel * double(Max)));
}

int TMyTrackBar::PosToPixel(int64_t value) const {
    if (value >= Max) return BoxWidth() - 17;
    if (value <= Min) return 16;
    return int(std::nearbyint(double(value) / double(Max) * (BoxWidth() - 33))) + 16;
}

void TMyTrackBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_bottomThumb->move(0, 70);
    m_topThumb->move(0, 0);
    m_cursorX = 16;
    Position = PixelToPos(0);
}

void TMyTrackBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_bar);
    const int count = int(Marks.size());
    for (int i = 0; i < count; ++i) {
        const int x0 = PosToPixel(Marks[i].Position);
        int x1 = x0 - 1;
        if (Marks[i].Position != Max && i + 1 < count) {
            x1 = PosToPixel(Marks[i + 1].Position);
            if (!Marks[i].Use && !m_unchecked.isNull())
                for (int x = x0; x <= x1; ++x)
                    painter.drawImage(x, 19, m_unchecked);
        }
        if (i == m_selected && i + 1 < count && !m_selectedFill.isNull())
            for (int x = x0; x <= x1; ++x)
                painter.drawImage(x, 19, m_selectedFill);
        if (Marks[i].Position != Min && Marks[i].Position != Max) painter.drawImage(x0, 19, m_tick);
    }
    painter.drawImage(m_cursorX, 16, m_cursor);
}

bool TMyTrackBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_topThumb && watched != m_bottomThumb) return QWidget::eventFilter(watched, event);
    // Only mouse events are taken as such: the thumbs see every other kind of event too.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_dragging = true;
            m_grabX = int(mouse->position().x());
        }
        return true;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const int left = std::clamp(int(mouse->position().x()) + m_bottomThumb->x() - m_grabX, 0,
                                        std::max(0, BoxWidth() - 33));
            m_bottomThumb->move(left, m_bottomThumb->y());
            m_topThumb->move(left, m_topThumb->y());
            m_cursorX = left + 16;
            Position = PixelToPos(left);
            Q_EMIT OnPositionChange(this);
            update();
        }
        return true;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}
