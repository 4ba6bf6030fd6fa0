#pragma once

// What the skinned controls share: the link to their theme component (cleared, with a call back,
// when the component goes), element lookups from the theme file or the built-in table as the
// resolved style says, the dotted focus frame, greyed pictures, accelerator letters, and the one
// place where every control class is made known to the form descriptions.

#include "platform/Colors.h"
#include "skin/SKMgr.h"
#include "skin/SKThemes.h"

#include <QImage>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class QPainter;
class QWidget;
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

// Makes every skinned control class of the library known to the form descriptions
// (FormClassRegistry), under the class names the descriptions use ("TskButton", ...).
void RegisterSkinControls();

// A control's reference to its theme component. When the component is destroyed the reference
// clears itself and OnRemoved runs (the control then falls back to DeepBlue).
class TskThemeLink {
public:
    TskThemeLink() = default;
    ~TskThemeLink();
    TskThemeLink(const TskThemeLink&) = delete;
    TskThemeLink& operator=(const TskThemeLink&) = delete;

    TskFileTheme* get() const { return m_theme.data(); }
    // Context: the control (the call back is dropped when it goes first).
    void set(TskFileTheme* theme, QObject* context, std::function<void()> onRemoved);

private:
    QPointer<TskFileTheme> m_theme;
    QMetaObject::Connection m_connection;
};

// Element lookups by the resolution rule: the theme file when ResolveUIStyle says it is usable,
// otherwise the built-in table of the resolved style. Never mixed within one lookup.
struct TskThemeSource {
    const TskFileTheme* theme = nullptr;
    TskUIStyle style = DeepBlue; // the resolved style
    bool fromFile = false;

    static TskThemeSource Resolve(const TskFileTheme* fileTheme, TskUIStyle uiStyle);
    TColor Color(int element) const;
    int Int(int element) const;
    bool Bool(int element) const;
    // The whole bitmap (PartCount 0) or piece Part of PartCount; a null image when there is none.
    QImage Bitmap(int element, int partCount = 0, int part = 0) const;
};

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
