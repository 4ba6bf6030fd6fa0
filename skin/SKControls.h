#pragma once

// What the skinned controls share: TskControl, the base of every skinned control (style, theme link
// with its DeepBlue fall-back, colour, tab stop, accelerator, mouse and key events as signals,
// off-screen composition), and the helpers they draw with: the dotted focus frame, greyed
// pictures, accelerator letters, font and control colours. Depends on the drawing helpers and
// below; the controls build on it, and SKRegister makes them known to the form descriptions.

#include "platform/Colors.h"
#include "skin/SKMgr.h"
#include "skin/SKPublic.h"
#include "skin/SKThemes.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QWidget>

#include <functional>

class QKeyEvent;
class QMouseEvent;
class QPainter;
class QShortcut;
class TskFileTheme;

namespace SkinControls {
Q_NAMESPACE
// Where a control sits in its parent: nowhere in particular, or along an edge, or filling it.
enum TAlign : uint8_t { alNone = 0, alTop, alBottom, alLeft, alRight, alClient };
Q_ENUM_NS(TAlign)
// Horizontal placement of a caption.
enum TAlignment : uint8_t { taLeftJustify = 0, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)
// Direction of a bar (track bar, scroll bar, progress bar).
enum TskProgressBarOrientation : uint8_t { skHorizontal = 0, skVertical = 1 };
Q_ENUM_NS(TskProgressBarOrientation)
} // namespace SkinControls
using SkinControls::TAlign;
using SkinControls::TAlignment;
using enum SkinControls::TAlign;
using enum SkinControls::TAlignment;
using SkinControls::TskProgressBarOrientation;
using enum SkinControls::TskProgressBarOrientation;

// The style of the form that owns a control: the owner is the window the parent belongs to.
TskUIStyle OwnerFormUIStyle(const QWidget* parent);

// The platform's dotted focus frame: every other pixel of the rectangle's outline inverted.
void DrawFocusRect(QImage& image, const QRect& rect);

// A picture in the greyed look of a disabled image: its dark pixels become grey with a white copy
// one pixel to the lower right; light and transparent pixels are left out (transparent result).
QImage GreyedImage(const QImage& image);

// The accelerator letter of a caption (the character after a single "&"), or a null character.
QChar AcceleratorChar(const QString& caption);
// The caption as shown: "&&" becomes "&", a single "&" is dropped.
QString StripAccelerator(const QString& caption);

// The font colour of a control (its palette's window text; a disabled control keeps it).
TColor FontColor(const QWidget* control);
void SetFontColor(QWidget* control, TColor color);

// A control's colour: with ParentColor the parent's "Color" property (or the parent's window
// colour when it has none), otherwise the control's own.
TColor ControlColor(const QWidget* control, TColor own, bool parentColor);

// The base of every skinned control. It holds what they all share; each control publishes the
// parts it has as Q_PROPERTYs of its own class (a control without a theme publishes no FileTheme,
// so the theme's re-assignment walk passes it over).
//
// - UIStyle and FileTheme: the writer of UIStyle stores the style, applies it (UIStyleChanged) and
//   repaints; the writer of FileTheme links the theme and applies UIStyle again. When the theme
//   component is destroyed the link clears itself and ThemeRemoved runs (by default UIStyle :=
//   DeepBlue). Theme() is the look in force by the resolution rule.
// - Color and ParentColor: with ParentColor the parent's "Color" property (or its window colour);
//   writing Color clears ParentColor. ColorChanged runs after either writer, then a repaint.
// - TabStop: the focus policy while a tab stop, and the one while not (set by the control).
// - The accelerator: a window-wide Alt+letter short-cut of a caption's accelerator letter.
// - Events: mouse and key events become the signals named as the events (OnMouseDown with the
//   position in the control's coordinates, OnKeyDown and OnKeyPress, ...); focus in and out
//   repaint and fire OnEnter / OnExit. A click is a left release inside the control after a left
//   press on it (ArmClick / TakeClick).
// - Painting: Render() composes the whole image off screen; the paint copies it in one call, so
//   the background is never erased.
class TskControl : public QWidget {
    Q_OBJECT
public:
    explicit TskControl(QWidget* parent = nullptr);
    ~TskControl() override;

    virtual TskUIStyle UIStyle() const { return m_uiStyle; }
    void SetUIStyle(TskUIStyle value);
    TskFileTheme* FileTheme() const { return m_theme.get(); }
    virtual void SetFileTheme(TskFileTheme* value);
    // The look in force: the theme file when UIStyle is FromThemeFile and the theme is usable,
    // otherwise the built-in table of the resolved style.
    TskThemeSource Theme() const { return TskThemeSource::Resolve(m_theme.get(), m_uiStyle); }

    TColor Color() const;
    void SetColor(TColor value);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool value);
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool value);

    // The whole image of the control as the paint composes it.
    virtual QImage Render();

Q_SIGNALS:
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnKeyDown(int key, Qt::KeyboardModifiers shift);
    void OnKeyUp(int key, Qt::KeyboardModifiers shift);
    void OnKeyPress(QChar key);
    void OnEnter();
    void OnExit();

protected:
    // The style was stored: take pictures, sizes and colours from it (the repaint follows).
    virtual void UIStyleChanged() {}
    // The theme component went away: UIStyle := DeepBlue.
    virtual void ThemeRemoved() { SetUIStyle(DeepBlue); }
    // Color or ParentColor was written (the repaint follows).
    virtual void ColorChanged() {}

    // The start values of the colour, without the writers' side effects (for constructors).
    void InitColor(TColor color, bool parentColor) {
        m_color = color;
        m_parentColor = parentColor;
    }
    // The focus policies of a tab stop and of a control that is none (StrongFocus / NoFocus at
    // first); applies them at once.
    void SetFocusPolicies(Qt::FocusPolicy tabStop, Qt::FocusPolicy noTabStop);
    // A control drawn over a native widget (an edit, a combo box, a list) hands its focus to that
    // widget: the widget takes the clicks, the keys and its place in the Tab order in the control's
    // stead, so it carries the control's focus policy from now on.
    void SetFocusWidget(QWidget* widget);
    // Alt and the accelerator letter of Caption, anywhere in the window, runs Fire; a caption
    // without one removes the short-cut.
    void SetAccelerator(const QString& caption, std::function<void()> fire);

    // An RGB32 image of the control's size (at least 1 x 1), black, to compose into.
    QImage NewBuffer() const;

    // The event signals, for controls that handle the events themselves.
    void EmitMouseDown(const QMouseEvent* event);
    void EmitMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void EmitMouseMove(const QMouseEvent* event);
    void EmitMouseMove(Qt::KeyboardModifiers shift, const QPoint& pos);
    void EmitMouseUp(const QMouseEvent* event);
    void EmitMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    // OnKeyDown, then OnKeyPress when the key gives a character.
    void EmitKeyDown(const QKeyEvent* event);
    void EmitKeyUp(const QKeyEvent* event);
    // A left press arms the click; TakeClick (on any release) tells whether that release is a
    // click (left, armed, inside) and disarms on a left release.
    void ArmClick(const QMouseEvent* event);
    bool TakeClick(const QMouseEvent* event);
    void DisarmClick() { m_clickArmed = false; }

    TskUIStyle m_uiStyle = DeepBlue;

    void paintEvent(QPaintEvent* event) override;
    // Default handling: the signals (a press arms the click; a release inside fires OnClick
    // before OnMouseUp; a double click is one more press, then OnDblClick).
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ApplyFocusPolicy();

    TskThemeLink m_theme;
    TColor m_color = clBtnFace;
    bool m_parentColor = false;
    bool m_tabStop = false;
    bool m_clickArmed = false;
    Qt::FocusPolicy m_tabStopPolicy = Qt::StrongFocus;
    Qt::FocusPolicy m_noTabStopPolicy = Qt::NoFocus;
    QShortcut* m_accelerator = nullptr;
    std::function<void()> m_acceleratorFire;
};
