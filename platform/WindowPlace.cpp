#include "platform/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <cmath>

// The X headers last: their macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

Display* QtDisplay() {
#if QT_CONFIG(xcb)
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
#else
    return nullptr;
#endif
}

// Whether the running window manager announces that it takes the atom's requests (_NET_SUPPORTED).
bool WindowManagerSupports(Display* display, Atom wanted) {
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM, &type,
                           &format, &count, &after, &data) != Success)
        return false;
    bool found = false;
    if (data && type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == wanted;
    }
    if (data) XFree(data);
    return found;
}

// The device-independent point in the server's pixels (a screen's top-left corner is the same in
// both).
QPoint ToServerPixels(const QWidget* window, const QPoint& point) {
    const QScreen* screen = window->screen();
    const QWindow* handle = window->windowHandle();
    const double ratio = handle && handle->devicePixelRatio() > 0 ? handle->devicePixelRatio() : 1.0;
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    return origin + QPoint(int(std::lround((point.x() - origin.x()) * ratio)),
                           int(std::lround((point.y() - origin.y()) * ratio)));
}

// Where the server has the window's top-left corner on the root window, in the server's pixels.
bool ServerOrigin(const QWidget* window, int& x, int& y) {
#if QT_CONFIG(xcb)
    Display* display = QtDisplay();
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

bool StartWindowManagerMove(QWidget* window, const QPoint& pressedAt) {
    Display* display = window && window->isWindow() ? QtDisplay() : nullptr;
    if (!display || !window->windowHandle()) return false;
    const Atom moveResize = XInternAtom(display, "_NET_WM_MOVERESIZE", False);
    if (!WindowManagerSupports(display, moveResize)) return false;
    const QPoint at = ToServerPixels(window, pressedAt);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<::Window>(window->winId());
    event.xclient.message_type = moveResize;
    event.xclient.format = 32;
    event.xclient.data.l[0] = at.x();
    event.xclient.data.l[1] = at.y();
    event.xclient.data.l[2] = 8; // move
    event.xclient.data.l[3] = Button1;
    event.xclient.data.l[4] = 1; // asked by a normal program
    // The window manager takes the pointer: the grab the press gave us goes first.
    XUngrabPointer(display, CurrentTime);
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XFlush(display);
    return true;
}
