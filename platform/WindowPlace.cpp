#include "platform/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <cmath>

// The X headers last: their macros clash with Qt's names.
#include <X11/Xlib.h>

namespace {

// Where the server has the window's top-left corner on the root window, in the server's pixels.
bool ServerOrigin(const QWidget* window, int& x, int& y) {
#if QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return false;
    const auto id = static_cast<::Window>(window->winId());
    ::Window child = 0;
    return XTranslateCoordinates(display, id, DefaultRootWindow(display), 0, 0, &x, &y, &child) != 0;
#else
    (void)window;
    (void)x;
    (void)y;
    return false;
#endif
}

} // namespace

void CorrectWindowPlace(QWidget* window) {
    if (!window || !window->isWindow() || !window->isVisible()) return;
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    QWindow* handle = window->windowHandle();
    const QScreen* screen = window->screen();
    if (!handle || !screen) return;
    int x = 0, y = 0;
    if (!ServerOrigin(window, x, y)) return;
    // The server counts device pixels; Qt's places are device-independent, a screen's top-left
    // corner being the same in both.
    const double ratio = handle->devicePixelRatio() > 0 ? handle->devicePixelRatio() : 1.0;
    const QPoint screenOrigin = screen->geometry().topLeft();
    const QPoint real(screenOrigin.x() + int(std::lround((x - screenOrigin.x()) / ratio)),
                      screenOrigin.y() + int(std::lround((y - screenOrigin.y()) / ratio)));
    // The widget's record and the window's may each be wrong (the widget's follows the window's
    // reports, and a window's own record can take a report the widget never gets).
    if (window->geometry().topLeft() != real) window->setGeometry(QRect(real, window->size()));
    // Setting the record asks the window manager to put the window where it already is.
    if (handle->geometry().topLeft() != real) handle->setGeometry(QRect(real, handle->geometry().size()));
}
