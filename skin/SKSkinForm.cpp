#include "skin/SKSkinForm.h"

#include "skin/SKPublic.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

TskSkinForm::TskSkinForm(QWidget* owner) : TskControl(owner) {
    // The glyph is painted straight onto the control; without one the control shows its outline
    // over the form's own background.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    if (owner && owner->isWindow()) {
        m_form = owner;
        owner->setWindowFlag(Qt::FramelessWindowHint, true);
    }
    m_transparentColor = clFuchsia;
    resize(200, 100);
}

void TskSkinForm::SetGlyph(const QImage& glyph) {
    m_glyph = glyph.isNull() ? QImage() : glyph.convertToFormat(QImage::Format_RGB32);
    UpdateRegion();
    update();
}

void TskSkinForm::ShapeFromCorners(std::initializer_list<const QLabel*> corners) {
    if (!m_form) return;
    QImage shape(m_form->width() + 1, m_form->height(), QImage::Format_RGB32);
    shape.fill(Qt::black);
    {
        QPainter p(&shape);
        for (const QLabel* corner : corners)
            p.drawPixmap(corner->mapTo(m_form, QPoint(0, 0)), corner->pixmap());
    }
    SetGlyph(shape);
    lower();
}

void TskSkinForm::SetTransparentColor(TColor color) {
    m_transparentColor = color;
    UpdateRegion();
    update();
}

void TskSkinForm::UpdateRegion() {
    if (m_glyph.isNull()) return;
    if (m_form) SetBitmapWindowRegion(m_form, m_glyph, m_transparentColor);
    if (m_glyph.width() > 0 && m_glyph.height() > 0) {
        resize(width(), m_glyph.height());
        resize(m_glyph.width(), m_glyph.height());
    }
    move(x(), 0);
    move(0, 0);
    if (m_form) {
        m_form->resize(m_form->width(), height());
        m_form->resize(width(), height());
    }
    Q_EMIT OnRegionChanged(this);
}

void TskSkinForm::paintEvent(QPaintEvent*) {
    {
        QPainter p(this);
        if (m_glyph.width() > 0 && m_glyph.height() > 0) {
            p.drawImage(0, 0, m_glyph);
        } else {
            // The empty control shows as a black outline.
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            const int w = width(), h = height();
            p.drawRect(0, 0, w, 1);
            p.drawRect(0, h - 1, w, 1);
            p.drawRect(0, 0, 1, h);
            p.drawRect(w - 1, 0, 1, h);
        }
    }
    Q_EMIT OnPaint(this);
}

void TskSkinForm::mousePressEvent(QMouseEvent* event) {
    EmitMouseDown(event);
    m_moved = false;
    m_dragging = false;
    if (!m_form) return;
    // Any button moves the form as if its caption were dragged, once the mouse moves with it held.
    m_pressed = true;
    m_dragStart = event->globalPosition().toPoint();
    // The form's place from the press itself (not from the place as Qt has it recorded).
    m_formStart = m_dragStart - mapTo(m_form, event->position().toPoint()) -
                  (m_form->geometry().topLeft() - m_form->pos());
}

void TskSkinForm::mouseMoveEvent(QMouseEvent* event) {
    EmitMouseMove(event);
    if (!m_form || event->buttons() == Qt::NoButton) return;
    const QPoint delta = event->globalPosition().toPoint() - m_dragStart;
    if (m_pressed && delta.manhattanLength() >= QApplication::startDragDistance()) {
        m_pressed = false;
        m_moved = true;
        // The form follows the mouse until the button is released (MoveThroughWindowSystem).
        if (!MoveThroughWindowSystem(m_form, m_dragStart)) m_dragging = true;
    }
    if (m_dragging) m_form->move(m_formStart + delta);
}

void TskSkinForm::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const bool wasDrag = m_moved;
    if (event->buttons() == Qt::NoButton) {
        m_dragging = false;
        m_pressed = false;
    }
    EmitMouseUp(event);
    if (event->button() == Qt::LeftButton && !wasDrag && rect().contains(pos)) Q_EMIT OnClick();
}

void TskSkinForm::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_EMIT OnDblClick();
    mousePressEvent(event);
}

void TskSkinForm::contextMenuEvent(QContextMenuEvent* event) {
    if (m_popupMenu) {
        m_popupMenu->popup(event->globalPos());
        event->accept();
        return;
    }
    TskControl::contextMenuEvent(event);
}
