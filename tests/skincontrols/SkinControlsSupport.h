#pragma once

// Helpers of the skinned-control tests: theme files whose every picture is flat colours (so a
// pixel tells which piece was drawn), events as the platform delivers them, colour checks.

#include "platform/Colors.h"
#include "skin/SKMgr.h"
#include "skin/SKThemeWriter.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

namespace SkinControlsTest {

inline QRgb Rgb(TColor c) {
    return ColorToQColor(c).rgb();
}
inline TColor At(const QImage& image, int x, int y) {
    return QColorToColor(QColor(image.pixel(x, y)));
}

// A picture of PieceCount equal pieces side by side, piece i (from 1) in Colors[i - 1].
inline QImage Strip(int pieceWidth, int height, const QList<TColor>& colors) {
    QImage image(pieceWidth * static_cast<int>(colors.size()), height, QImage::Format_RGB32);
    for (int i = 0; i < colors.size(); ++i) {
        QPainter p(&image);
        p.fillRect(i * pieceWidth, 0, pieceWidth, height, ColorToQColor(colors[i]));
    }
    return image;
}

inline QByteArray Bmp(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// The colours a test theme paints with; Variant shifts every colour so two themes differ.
struct ThemeColors {
    explicit ThemeColors(int variant = 0) : v(static_cast<TColor>(variant) * 0x000010) {}
    TColor v;
    TColor button(int piece) const { return (0x0000C0 + v) + static_cast<TColor>(piece) * 0x002000; }
    TColor box(int piece) const { return (0x400000 + v) + static_cast<TColor>(piece) * 0x000020; }
    TColor radio(int piece) const { return (0x004000 + v) + static_cast<TColor>(piece) * 0x200000; }
    TColor titleButton(int piece) const { return (0x101010 + v) + static_cast<TColor>(piece) * 0x000008; }
    TColor titleLeft() const { return 0x0080F0 + v; }
    TColor titleClient() const { return 0x00F080 + v; }
    TColor titleRight() const { return 0xF08000 + v; }
    TColor bar(int part) const { return (0x303030 + v) + static_cast<TColor>(part) * 0x000030; }
    TColor slider() const { return 0x2050A0 + v; }
    TColor sliderV() const { return 0xA05020 + v; }
    TColor menuBar() const { return 0x102030 + v; }
    TColor menuBack() const { return 0xF0F0E0 + v; }
    TColor menuFont() const { return 0x000040 + v; }
    TColor menuSelBorder() const { return 0x400000 + v; }
    TColor menuSelBack() const { return 0x804000 + v; }
    TColor menuSelFont() const { return 0xFFFFF0 - v; }
    TColor controlBorder() const { return 0x123400 + v; }
    TColor controlFont() const { return 0x000099 + v; }
};

// Writes a complete theme file with flat-colour pictures: button pieces 10 x 10, box pieces
// 13 x 13, title-bar buttons 18 pieces of 10 x 10, title sections 19/7/23 x 24, track bar 84 x 1
// (three 28-pixel parts), slider 14 x 14, vertical slider 22 x 11.
inline QByteArray ThemeFileBytes(const ThemeColors& c, int controlFontColor = -1) {
    TskThemeFileWriter w;
    QList<TColor> button{c.button(1), c.button(2), c.button(3)};
    // Odd sizes: the nine-part drawing takes its edges and centre from the middle row and column.
    w.AddBitmap("ButtonImage", Bmp(Strip(11, 11, button)));
    w.AddBitmap("CheckBoxImage", Bmp(Strip(13, 13, {c.box(1), c.box(2), c.box(3), c.box(4)})));
    // A radio box leaves out the colour of its bottom-left pixel: magenta there.
    QImage radio = Strip(13, 13, {c.radio(1), c.radio(2), c.radio(3), c.radio(4)});
    for (int i = 0; i < 4; ++i)
        radio.setPixel(i * 13, 12, qRgb(255, 0, 255));
    w.AddBitmap("RadioButtonImage", Bmp(radio));
    QList<TColor> title;
    for (int i = 1; i <= 18; ++i)
        title << c.titleButton(i);
    w.AddBitmap("TitleBarButtonImage", Bmp(Strip(10, 10, title)));
    w.AddBitmap("TitleBarLeftImage", Bmp(Strip(19, 24, {c.titleLeft()})));
    w.AddBitmap("TitleBarClientImage", Bmp(Strip(7, 24, {c.titleClient()})));
    w.AddBitmap("TitleBarRightImage", Bmp(Strip(23, 24, {c.titleRight()})));
    w.AddBitmap("TrackBarBarImage", Bmp(Strip(28, 1, {c.bar(1), c.bar(2), c.bar(3)})));
    // Sliders over a horizontal bar leave out the colour of their bottom-left pixel.
    QImage slider = Strip(14, 14, {c.slider()});
    slider.setPixel(0, 13, qRgb(255, 0, 255));
    w.AddBitmap("TrackBarSliderImage", Bmp(slider));
    w.AddBitmap("TrackBarSliderVImage", Bmp(Strip(22, 11, {c.sliderV()})));
    w.AddInt("TitleBarButtonLeftOffsetInt", 5);
    w.AddInt("TitleBarButtonRightOffsetInt", -5);
    w.AddInt("TitleBarButtonTopInt", 5);
    w.AddInt("FormMinWidthInt", 200);
    w.AddInt("FormRoundCornerInt", 13);
    w.AddInt("FormBackgroundColor", 0xF0DCD3);
    w.AddInt("FormBorderColor", 0x808080);
    w.AddInt("FormBorderWidthInt", 1);
    w.AddInt("MenuSelectedBorderColor", static_cast<int32_t>(c.menuSelBorder()));
    w.AddInt("MenuSelectedBackgroundColor", static_cast<int32_t>(c.menuSelBack()));
    w.AddInt("MenuSelectedFontColor", static_cast<int32_t>(c.menuSelFont()));
    w.AddInt("MenuBackgroundColor", static_cast<int32_t>(c.menuBack()));
    w.AddInt("MenuFontColor", static_cast<int32_t>(c.menuFont()));
    w.AddInt("MenuBarColor", static_cast<int32_t>(c.menuBar()));
    w.AddInt("ControlBorderColor", static_cast<int32_t>(c.controlBorder()));
    w.AddInt("ControlBackgroundColor", 0xFFFFFF);
    w.AddInt("ControlFontColor",
             controlFontColor >= 0 ? controlFontColor : static_cast<int32_t>(c.controlFont()));
    w.AddBool("ButtonTransparentBool", false);
    w.AddBool("TitleBarButtonTransparentBool", false);
    return w.Data();
}

// A theme component owned by Owner with the test theme loaded from a file in Dir.
inline TskFileTheme* MakeTheme(QObject* owner, const QTemporaryDir& dir, const QString& name,
                               const ThemeColors& colors = ThemeColors(), int controlFontColor = -1) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(ThemeFileBytes(colors, controlFontColor));
    f.close();
    auto* theme = new TskFileTheme(owner);
    theme->SetThemeFile(path);
    return theme;
}

inline void WriteThemeFile(const QString& path, const ThemeColors& colors) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(ThemeFileBytes(colors));
}

// Shows a window and waits until it is the active one (focus needs an active window).
inline bool ShowActive(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

inline void SendEnter(QWidget* w) {
    QEnterEvent e(QPointF(1, 1), w->mapTo(w->window(), QPointF(1, 1)), w->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(w, &e);
}

inline void SendLeave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

inline void SendMouse(QWidget* w, QEvent::Type type, const QPoint& pos,
                      Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons buttons = Qt::LeftButton) {
    const QPointF local(pos);
    QMouseEvent e(type, local, w->mapTo(w->window(), local), w->mapToGlobal(local), button, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void Press(QWidget* w, const QPoint& pos) {
    SendMouse(w, QEvent::MouseButtonPress, pos);
}
inline void Release(QWidget* w, const QPoint& pos) {
    SendMouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}
inline void MoveHeld(QWidget* w, const QPoint& pos) {
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton);
}
inline void MoveFree(QWidget* w, const QPoint& pos) {
    SendMouse(w, QEvent::MouseMove, pos, Qt::NoButton, Qt::NoButton);
}

// The darkest pixel of a rectangle (text drawn in a colour leaves that colour on its full pixels).
inline TColor Darkest(const QImage& image, const QRect& r) {
    int best = 1000;
    TColor found = 0xFFFFFF;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int l = qRed(p) + qGreen(p) + qBlue(p);
            if (l < best) best = l, found = At(image, x, y);
        }
    return found;
}

inline bool Contains(const QImage& image, const QRect& r, TColor color) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (At(image, x, y) == color) return true;
    return false;
}

} // namespace SkinControlsTest
