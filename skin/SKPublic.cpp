#include "skin/SKPublic.h"

#include "platform/Form.h"
#include "platform/WindowPlace.h"
#include "platform/WindowShape.h"
#include "skin/SKMgr.h"

#include <QApplication>
#include <QMetaObject>
#include <QPainter>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <list>
#include <mutex>

namespace {

QRgb Rgb(TColor color) {
    return ColorToQColor(color).rgb() & 0xFFFFFFu;
}

// The rectangle clipped to the image; empty when nothing of it lies inside.
TRect ClipToImage(const TRect& r, const QImage& image) {
    TRect c(std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, image.width()),
            std::min(r.Bottom, image.height()));
    return c;
}

void FrameRect(QPainter& canvas, const TRect& r, const QColor& color) {
    if (r.IsEmpty()) return;
    canvas.fillRect(QRect(r.Left, r.Top, r.Width(), 1), color);
    canvas.fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), color);
    canvas.fillRect(QRect(r.Left, r.Top, 1, r.Height()), color);
    canvas.fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), color);
}

constexpr TColor kMagenta = 0xFF00FF;

} // namespace

TColor PixelColor(const QImage& image, int x, int y) {
    return QColorToColor(QColor(image.pixel(x, y)));
}

QImage MaskedImage(const QImage& image, TColor mask) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = Rgb(mask);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == key) line[x] = 0;
        }
    }
    return out;
}

void DrawMasked(QPainter& canvas, int x, int y, const QImage& image, TColor mask) {
    if (image.isNull()) return;
    canvas.drawImage(x, y, MaskedImage(image, mask));
}

namespace {

// StretchNearest of a picture already in a 32-bit format, which the result keeps.
QImage Stretch32(const QImage& in, const TRect& sourceRect, int width, int height) {
    const TRect src = ClipToImage(sourceRect, in);
    if (src.IsEmpty() || width <= 0 || height <= 0) return {};
    QImage out(width, height, in.format());
    const int sw = src.Width();
    const int sh = src.Height();
    for (int dy = 0; dy < height; ++dy) {
        const int sy = src.Top + static_cast<int>(static_cast<int64_t>(dy) * sh / height);
        const auto* from = reinterpret_cast<const QRgb*>(in.constScanLine(sy));
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(dy));
        for (int dx = 0; dx < width; ++dx) {
            to[dx] = from[src.Left + static_cast<int>(static_cast<int64_t>(dx) * sw / width)];
        }
    }
    return out;
}

// The masked form (MaskedImage) of a picture drawn by parts, made once per picture and mask colour:
// a control rebuilds its strip on every resize and theme change, and converting the whole picture
// each time costs as much as the picture is large. Kept while among the most recently used, within
// a bound of memory; a picture changed since has another cache key and gets a new form.
QImage MaskedPicture(const QImage& picture, TColor mask) {
    struct Entry {
        qint64 key;
        TColor mask;
        QImage masked;
    };
    constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
    constexpr std::size_t kMaxEntries = 64;
    static std::mutex lock;
    static std::list<Entry> cache;
    static qint64 bytes = 0;
    const std::lock_guard<std::mutex> hold(lock);
    const qint64 key = picture.cacheKey();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (it->key != key || it->mask != mask) continue;
        cache.splice(cache.begin(), cache, it);
        return cache.front().masked;
    }
    cache.push_front({key, mask, MaskedImage(picture, mask)});
    bytes += cache.front().masked.sizeInBytes();
    while (cache.size() > 1 && (bytes > kMaxBytes || cache.size() > kMaxEntries)) {
        bytes -= cache.back().masked.sizeInBytes();
        cache.pop_back();
    }
    return cache.front().masked;
}

} // namespace

QImage StretchNearest(const QImage& source, const TRect& sourceRect, int width, int height) {
    return Stretch32(source.convertToFormat(QImage::Format_RGB32), sourceRect, width, height);
}

void DrawParentBackground(QPainter& canvas, QWidget* control) {
    if (!control) return;
    QWidget* parent = control->parentWidget();
    if (!parent) return;
    canvas.save();
    // Only the parent itself: its background and its own painting, not its child controls.
    parent->render(&canvas, -control->pos(), QRegion(parent->rect()), QWidget::DrawWindowBackground);
    canvas.restore();
}

void TileDrawPicture(QPainter& canvas, const QImage& picture, const TRect& rect) {
    const int w = picture.width();
    const int h = picture.height();
    if (w <= 0 || h <= 0) return;
    for (int x = 0; x < rect.Width() + w; x += w) {
        for (int y = 0; y < rect.Height() + h; y += h)
            canvas.drawImage(x, y, picture);
    }
}

bool InRect(int x, int y, const TRect& rect) {
    return rect.Left <= x && x <= rect.Right && rect.Top <= y && y <= rect.Bottom;
}

bool InRect(const QPoint& point, const TRect& rect) {
    return InRect(point.x(), point.y(), rect);
}

bool MoveThroughWindowSystem(QWidget* form, const QPoint& pressedAt) {
    if (StartWindowManagerMove(form, pressedAt)) return true;
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return false;
    QWindow* window = form->windowHandle();
    return window && window->startSystemMove();
}

void GetWorkAreaRect(TRect& rect) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    rect = screen ? TRect::FromQRect(screen->availableGeometry()) : TRect();
}

void SetControlPos(QWidget* control, const QPoint& point) {
    control->move(point.x(), control->y());
    control->move(point.x(), point.y());
}

void SetControlBounds(QWidget* control, const TRect& rect) {
    control->move(rect.Left, control->y());
    control->move(rect.Left, rect.Top);
    control->resize(rect.Width(), control->height());
    control->resize(rect.Width(), rect.Height());
}

void DrawNinePartBitmap(const QImage& bitmap, QPainter& canvas, const TRect& rect, bool transparent) {
    const int SW = bitmap.width();
    const int SH = bitmap.height();
    const int R = rect.Right;
    const int B = rect.Bottom;
    const int W = R - rect.Left;
    const int H = B - rect.Top;
    if (SW <= 0 || SH <= 0 || W <= 0 || H <= 0) return;
    if (SW < 4 || SH < 4 || W < 4 || H < 4) {
        // Too small to cut into nine parts: the whole bitmap stretched over the rectangle.
        const QImage whole = StretchNearest(bitmap, TRect(0, 0, SW, SH), W, H);
        if (transparent)
            DrawMasked(canvas, rect.Left, rect.Top, whole, kMagenta);
        else
            canvas.drawImage(rect.Left, rect.Top, whole);
        return;
    }
    const int hw = SW / 2, hh = SH / 2, dw = W / 2, dh = H / 2;

    // A corner piece: the smaller of source and target size, cut from the source keeping the named
    // sides, copied 1:1; returns its rectangle on the canvas.
    auto corner = [&](TRect src, int targetW, int targetH, bool keepRight, bool keepBottom, bool atRight,
                      bool atBottom) {
        const int pw = std::max(0, std::min(src.Width(), targetW));
        const int ph = std::max(0, std::min(src.Height(), targetH));
        if (keepRight)
            src.Left = src.Right - pw;
        else
            src.Right = src.Left + pw;
        if (keepBottom)
            src.Top = src.Bottom - ph;
        else
            src.Bottom = src.Top + ph;
        const int x = atRight ? R - pw : 0;
        const int y = atBottom ? B - ph : 0;
        if (pw > 0 && ph > 0) {
            const QImage piece = bitmap.copy(src.ToQRect());
            if (transparent)
                DrawMasked(canvas, x, y, piece, kMagenta);
            else
                canvas.drawImage(x, y, piece);
        }
        return TRect(x, y, x + pw, y + ph);
    };
    // An edge or the centre: the source stretched over the target, magenta left out.
    auto stretched = [&](const TRect& target, const TRect& src) {
        if (target.IsEmpty()) return;
        const QImage part = StretchNearest(bitmap, src, target.Width(), target.Height());
        DrawMasked(canvas, target.Left, target.Top, part, kMagenta);
    };

    const TRect TL = corner(TRect(0, 0, hw, hh), dw, dh, false, false, false, false);
    const TRect BL = corner(TRect(0, SH - hh + 1, hw, SH), dw, dh - 1, false, true, false, true);

    TRect src(0, hh, hw, SH - hh);
    TRect target(0, TL.Bottom, TL.Right, BL.Top);
    if (target.Width() < src.Width()) src.Right = src.Left + target.Width();
    stretched(target, src);

    const TRect TR = corner(TRect(SW - hw + 1, 0, SW, hh), dw - 1, dh, true, false, true, false);
    const TRect BR = corner(TRect(SW - hw + 1, SH - hh + 1, SW, SH), dw - 1, dh - 1, true, true, true, true);

    src = TRect(SW - hw + 1, SH - hh, SW, hh + 2);
    target = TRect(TR.Left, TR.Bottom, TR.Right, BR.Top);
    if (target.Width() < src.Width()) src.Left = src.Right - target.Width();
    stretched(target, src);

    src = TRect(hw, 0, SW - hw + 1, hh);
    target = TRect(TL.Right, 0, TR.Left, TL.Bottom);
    if (target.Height() < src.Height()) src.Bottom = src.Top + target.Height();
    stretched(target, src);

    stretched(TRect(TL.Right, TL.Bottom, TR.Left, BR.Top - 1), TRect(hw, hh, SW - hw + 1, SH - hh));

    src = TRect(hw, SH - hh, SW - hw + 1, SH);
    target = TRect(TL.Right - 1, BL.Top - 1, BR.Left, BR.Bottom);
    if (target.Height() < src.Height()) src.Top = src.Bottom - target.Height();
    stretched(target, src);
}

void FrameControlBorder(QPainter& canvas, const QWidget* control, TColor color, TColor innerColor,
                        bool drawInner) {
    if (!control) return;
    const TRect r(0, 0, control->width(), control->height());
    FrameRect(canvas, r, ColorToQColor(color));
    if (drawInner)
        FrameRect(canvas, TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), ColorToQColor(innerColor));
}

QString BufferToString(const char* buffer) {
    return buffer ? QString::fromLocal8Bit(buffer) : QString();
}

QRegion BitmapWindowRegion(const QImage& bitmap, TColor transparentColor) {
    QRegion region;
    if (bitmap.isNull()) return region;
    const QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb key = Rgb(transparentColor);
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRegion row;
        bool open = false;
        int start = 0, end = 0;
        for (int x = 0; x < width; ++x) {
            if ((line[x] & 0xFFFFFFu) == key || x == width - 1) {
                if (open) row += QRect(start, y, end + 1 - start, 1);
                open = false;
            } else if (!open) {
                open = true;
                start = end = x;
            } else {
                ++end;
            }
        }
        region += row;
    }
    return region;
}

void SetBitmapWindowRegion(QWidget* window, const QImage& bitmap, TColor transparentColor) {
    if (!window) return;
    QRegion region = BitmapWindowRegion(bitmap, transparentColor);
    // An empty region leaves nothing of the window visible. Qt reads an empty mask as "no mask"
    // (the whole rectangle), so the mask is then a pixel outside the window.
    if (region.isEmpty()) region = QRegion(-1, -1, 1, 1);
    SetWindowShape(window, region);
    window->update();
}

void DrawThreePartBitmap(const QImage& graphic, QPainter& canvas, const TRect& rect, bool maskByCornerPixel) {
    const int pw = graphic.width() / 3;
    const int ph = graphic.height();
    if (pw <= 0 || ph <= 0) return;
    const TColor mask = maskByCornerPixel ? PixelColor(graphic, 0, 0) : kMagenta;
    // The ends and the stretched middle come from the masked form, made once for the picture.
    const QImage masked = MaskedPicture(graphic, mask);
    canvas.drawImage(QPoint(rect.Left, rect.Top), masked, QRect(0, 0, pw, ph));
    canvas.drawImage(QPoint(rect.Right - pw, rect.Top), masked, QRect(2 * pw, 0, pw, ph));
    const QImage middle = Stretch32(masked, TRect(pw, 0, 2 * pw, ph), rect.Width() - 2 * pw, rect.Height());
    if (!middle.isNull()) canvas.drawImage(rect.Left + pw, rect.Top, middle);
}

// A quarter turn, pixel for pixel: counter-clockwise, or clockwise.
static void TurnQuarter(QImage& bitmap, bool clockwise) {
    if (bitmap.isNull()) return;
    const QImage in = bitmap.convertToFormat(QImage::Format_RGB32);
    const int w = in.width(), h = in.height();
    QImage out(h, w, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (clockwise)
                out.setPixel(h - 1 - y, x, in.pixel(x, y));
            else
                out.setPixel(y, w - 1 - x, in.pixel(x, y));
        }
    }
    bitmap = out;
}

void RotateBitmap(QImage& bitmap) {
    TurnQuarter(bitmap, false);
}

void RotateBitmapClockwise(QImage& bitmap) {
    TurnQuarter(bitmap, true);
}

bool HasProperty(const QObject* instance, const char* name) {
    return instance && instance->metaObject()->indexOfProperty(name) >= 0;
}

bool IsFormActive(const QWidget* form) {
    const QWidget* mainForm = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const auto* f = qobject_cast<const TForm*>(w);
        if (f && f->isMainForm()) {
            mainForm = f;
            break;
        }
    }
    if (!mainForm) return form && form->isActiveWindow();
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) return false;
    if (!form || form == mainForm) return true;
    return form->isActiveWindow();
}

void ApplyUIStyleToChildren(QWidget* container, TskUIStyle uiStyle, TskFileTheme* fileTheme) {
    if (!container) return;
    const QObjectList children = container->children();
    for (QObject* child : children) {
        if (!child->isWidgetType()) continue;
        if (!HasProperty(child, "FileTheme") || !HasProperty(child, "UIStyle")) continue;
        child->setProperty("FileTheme", QVariant::fromValue(fileTheme));
        child->setProperty("UIStyle", QVariant::fromValue(uiStyle));
    }
}

bool IsWin95OSR2() {
    return false;
}
