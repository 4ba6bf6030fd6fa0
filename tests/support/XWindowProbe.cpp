#include "XWindowProbe.h"

#include <QElapsedTimer>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace {

Display* display(void* d) {
    return static_cast<Display*>(d);
}

Window findNamed(Display* d, Window parent, const QByteArray& name, const QSize& size) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(d, children[i], &title) && title) {
            XWindowAttributes attributes;
            if (name == title && XGetWindowAttributes(d, children[i], &attributes) &&
                attributes.map_state == IsViewable && attributes.width == size.width() &&
                attributes.height == size.height())
                found = children[i];
            XFree(title);
        }
        if (!found) found = findNamed(d, children[i], name, size);
    }
    if (children) XFree(children);
    return found;
}

} // namespace

XWindowProbe::XWindowProbe(const QString& name) : m_display(XOpenDisplay(name.toUtf8().constData())) {}

XWindowProbe::~XWindowProbe() {
    if (m_display) XCloseDisplay(display(m_display));
}

unsigned long XWindowProbe::FindWindow(const QString& title, const QSize& size, int timeoutMs) {
    Display* d = display(m_display);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (const Window w = findNamed(d, DefaultRootWindow(d), title.toUtf8(), size)) return w;
        if (clock.elapsed() > timeoutMs) return 0;
        QThread::msleep(50);
    }
}

QRegion XWindowProbe::Shape(unsigned long window) {
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(display(m_display), window, ShapeBounding, &count, &ordering);
    QRegion shape;
    for (int i = 0; i < count; ++i)
        shape += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects) XFree(rects);
    return shape;
}

QRegion XWindowProbe::WaitForShape(unsigned long window, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QRegion shape;
    while ((shape = Shape(window)).rectCount() <= 1 && clock.elapsed() < timeoutMs)
        QThread::msleep(50);
    QThread::msleep(300);
    return shape;
}

QPoint XWindowProbe::Origin(unsigned long window) {
    Display* d = display(m_display);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    return {x, y};
}

QRect XWindowProbe::Geometry(unsigned long window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display(m_display), window, &attributes)) return {};
    return {Origin(window), QSize(attributes.width, attributes.height)};
}

QList<QRect> XWindowProbe::Popups() {
    Display* d = display(m_display);
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    QList<QRect> found;
    if (!XQueryTree(d, DefaultRootWindow(d), &root, &up, &children, &count)) return found;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(d, children[i], &a) && a.override_redirect && a.map_state == IsViewable &&
            a.width > 1 && a.height > 1)
            found << QRect(a.x, a.y, a.width, a.height);
    }
    if (children) XFree(children);
    return found;
}

void XWindowProbe::AskToMaximise(unsigned long window) {
    Display* d = display(m_display);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(d, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1; // add
    e.xclient.data.l[1] = long(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    e.xclient.data.l[2] = long(XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    e.xclient.data.l[3] = 1; // from an application
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(d);
}

QImage XWindowProbe::Screen() {
    Display* d = display(m_display);
    const int w = DisplayWidth(d, 0), h = DisplayHeight(d, 0);
    XImage* grab = XGetImage(d, DefaultRootWindow(d), 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    if (!grab) return {};
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, uint(XGetPixel(grab, x, y)) | 0xFF000000u);
    XDestroyImage(grab);
    return image;
}
