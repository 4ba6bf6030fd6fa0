#pragma once

// Drawing helpers shared by the skinned controls (above the model and the theme components, below
// the controls): the parent's background under a control, tiling, a skin bitmap stretched by
// parts, window frames and bitmap-shaped windows, quarter turns, and pushing a style to child
// controls.
//
// Bitmaps are QImages; magenta 0xFF00FF is the transparent colour of skin bitmaps. Stretching is
// nearest-neighbour (destination pixel d of n takes source pixel d * m / n of m), so that a skin
// bitmap keeps its hard edges and every result is exact to the pixel.

#include "platform/Colors.h"
#include "skin/SKMgr.h"
#include "skin/SKThemes.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

class QPainter;
class QWidget;
class TskFileTheme;

// A rectangle as (Left, Top, Right, Bottom), right and bottom exclusive unless said otherwise.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr TRect() = default;
    constexpr TRect(int left, int top, int right, int bottom)
        : Left(left), Top(top), Right(right), Bottom(bottom) {}
    static TRect FromQRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

// Paints into Canvas what the parent shows under Control (the parent's own background and
// painting, not its other children), so the control can look transparent. Canvas is in the
// control's coordinates. Nothing when Control has no parent.
void DrawParentBackground(QPainter& canvas, QWidget* control);

// Draws Picture at x = 0, w, 2w, ... while x < Rect width + w, and for each x at y = 0, h, 2h, ...
// while y < Rect height + h; positions are canvas coordinates (the rectangle gives only the
// extent). A picture with no area draws nothing.
void TileDrawPicture(QPainter& canvas, const QImage& picture, const TRect& rect);

// Left <= X <= Right and Top <= Y <= Bottom: all four edges included.
bool InRect(const QPoint& point, const TRect& rect);
bool InRect(int x, int y, const TRect& rect);

// The work area (desktop less panels) of the primary screen.
void GetWorkAreaRect(TRect& rect);
// Dragging a window by its caption or picture, once the mouse has moved with the button held:
// the move is handed to the window system wherever it takes it (an X window manager that takes
// _NET_WM_MOVERESIZE, also under XWayland, where a window the program moves itself stays put;
// Wayland), as from `pressedAt`, the screen point where the button went down, so the window keeps
// its distance to the mouse exactly; the result is true and the window system moves the window
// until the button is released. False where it does not (an X server without a window manager):
// the caller moves the window itself with every mouse move until the release.
bool MoveThroughWindowSystem(QWidget* form, const QPoint& pressedAt);

// Left := X, then Top := Y.
void SetControlPos(QWidget* control, const QPoint& point);
// Left, Top, Width, Height from the rectangle, in that order.
void SetControlBounds(QWidget* control, const TRect& rect);

// Draws Bitmap over Rect (callers pass a client rectangle, left and top 0) as four corners copied
// 1:1, four edges and a centre stretched. Corners are drawn with magenta transparent when
// Transparent; edges and centre always. Bitmaps or rectangles smaller than 4 pixels either way are
// drawn whole, stretched over the rectangle.
void DrawNinePartBitmap(const QImage& bitmap, QPainter& canvas, const TRect& rect, bool transparent);

// Frames the control's whole rectangle one pixel wide in Color and, when DrawInner, the rectangle
// one pixel inside it in InnerColor (system colours are resolved). Canvas paints on the control.
void FrameControlBorder(QPainter& canvas, const QWidget* control, TColor color, TColor innerColor,
                        bool drawInner);

// The text of a zero-terminated character buffer (an empty buffer gives an empty text).
QString BufferToString(const char* buffer);

// The region of the pixels of Bitmap that are not TransparentColor, built row by row from runs;
// the bitmap's rightmost column never belongs to it.
QRegion BitmapWindowRegion(const QImage& bitmap, TColor transparentColor);
// Sets that region as the window's shape (SetWindowShape: transparent outside it where the window
// system shows no shapes) and repaints.
void SetBitmapWindowRegion(QWidget* window, const QImage& bitmap, TColor transparentColor);

// Graphic holds three equal-width pieces (left end, middle, right end). The ends are drawn at the
// rectangle's ends, the middle stretched between them over the rectangle's height. The mask
// colour (the corner pixel (0, 0) when MaskByCornerPixel, else magenta) is not drawn.
void DrawThreePartBitmap(const QImage& graphic, QPainter& canvas, const TRect& rect, bool maskByCornerPixel);

// A quarter turn counter-clockwise in place: pixel (x, y) goes to (y, Width - 1 - x).
void RotateBitmap(QImage& bitmap);
// A quarter turn clockwise in place: pixel (x, y) goes to (Height - 1 - y, x).
void RotateBitmapClockwise(QImage& bitmap);

// Whether the object's class declares a property of that name (Q_PROPERTY).
bool HasProperty(const QObject* instance, const char* name);

// CopyBitmapPart (a piece of a strip) is in SKThemes: the built-in lookups use it too.

// Whether Form is drawn as the active window: without a main form, the form's own state; while
// the application is inactive, False; the main form itself (or none) True; otherwise the form's
// own state.
bool IsFormActive(const QWidget* form);

// For every direct child widget of Container, in order, whose class has both a "FileTheme" and a
// "UIStyle" property: FileTheme := FileTheme, then UIStyle := UIStyle, through the properties'
// writers.
void ApplyUIStyleToChildren(QWidget* container, TskUIStyle uiStyle, TskFileTheme* fileTheme);

// Always False here: the flag for one old Windows release whose combo boxes needed special care.
bool IsWin95OSR2();

// Helpers for the above, useful to the controls as well.
// Nearest-neighbour scale of Source's rectangle to Width x Height (empty when either is empty).
QImage StretchNearest(const QImage& source, const TRect& sourceRect, int width, int height);
// Draws Image at (X, Y) leaving out the pixels of colour Mask.
void DrawMasked(QPainter& canvas, int x, int y, const QImage& image, TColor mask);
// Image with the pixels of colour Mask made fully transparent (ARGB32).
QImage MaskedImage(const QImage& image, TColor mask);
// The colour value of a pixel.
TColor PixelColor(const QImage& image, int x, int y);
