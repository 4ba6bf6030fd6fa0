#pragma once

// TskSkinForm gives a borderless window the shape and picture of a bitmap: placed on the form it
// shapes, it paints its Glyph at the form's top-left corner, makes every glyph pixel that is not
// TransparentColor part of the window's shape, sizes the form's client area to the glyph, and
// pressing any mouse button on it drags the whole form.

#include "platform/Colors.h"
#include "skin/SKControls.h"

#include <QImage>
#include <QPoint>
#include <QPointer>

#include <QMenu>

#include <initializer_list>

class QLabel;

class TskSkinForm : public TskControl {
    Q_OBJECT
    Q_PROPERTY(QImage Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(quint32 TransparentColor READ TransparentColor WRITE SetTransparentColor)
    Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
public:
    // When Owner is a form (a top-level widget) the form loses its frame; the control starts 200 x
    // 100 with an empty glyph and magenta as the transparent colour.
    explicit TskSkinForm(QWidget* owner = nullptr);

    QImage Glyph() const { return m_glyph; }
    // Copies the bitmap, reshapes the form, repaints. An empty bitmap leaves the shape and sizes.
    void SetGlyph(const QImage& glyph);
    TColor TransparentColor() const { return m_transparentColor; }
    void SetTransparentColor(TColor color);
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* menu) { m_popupMenu = menu; }

    // Shapes the form from its corner pictures: the glyph becomes black everywhere but where the
    // corner pictures, drawn where they stand on the form, show what they show (their
    // TransparentColor parts leave the shape), and one column wider than the form, since the shape
    // a glyph gives leaves out its last column: the shape covers the form's whole width. The control
    // goes below the form's other controls. Without a form nothing changes.
    void ShapeFromCorners(std::initializer_list<const QLabel*> corners);

    // The form this control shapes; none when its owner was not a form.
    QWidget* Form() const { return m_form; }

Q_SIGNALS:
    void OnRegionChanged(QObject* sender);
    void OnPaint(QObject* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void UpdateRegion();

    QPointer<QWidget> m_form;
    QImage m_glyph;
    TColor m_transparentColor = clFuchsia;
    QPointer<QMenu> m_popupMenu;
    // A press waits for the mouse to move by the drag distance with a button held; then the window
    // system moves the form, or the control does where the window system cannot. A click (or a
    // double click) moves nothing and stays with the control.
    bool m_pressed = false;
    bool m_dragging = false;
    bool m_moved = false;
    QPoint m_dragStart;
    QPoint m_formStart;
};
