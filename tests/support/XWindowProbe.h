#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

// Looks at a running X server's windows from outside, as another client: finds a top-level window
// by its title, reads its shape and grabs the screen. The X headers stay in the .cpp (their macros
// clash with test and Qt names).
class XWindowProbe {
public:
    explicit XWindowProbe(const QString& display);
    ~XWindowProbe();
    XWindowProbe(const XWindowProbe&) = delete;
    XWindowProbe& operator=(const XWindowProbe&) = delete;

    bool IsOpen() const { return m_display != nullptr; }
    // The first mapped window with this title and size, waiting for it up to `timeoutMs`; 0 when
    // none came.
    unsigned long FindWindow(const QString& title, const QSize& size, int timeoutMs);
    // The window's bounding shape in its own coordinates.
    QRegion Shape(unsigned long window);
    // The shape once the window has taken one (more than one rectangle), waiting up to `timeoutMs`
    // and then a little longer for it to paint; the last shape read when none came.
    QRegion WaitForShape(unsigned long window, int timeoutMs);
    // The window's top-left corner on the screen.
    QPoint Origin(unsigned long window);
    // The window's place and size on the screen.
    QRect Geometry(unsigned long window);
    // The mapped windows the window manager does not manage (open lists and menus), by their place.
    QList<QRect> Popups();
    // Asks the window manager to maximise the window, as its title bar's maximise button does.
    void AskToMaximise(unsigned long window);
    // The whole screen as the server holds it: one image of the root window. (`xwd -root` is no
    // witness here: it puts its picture together window by window and can leave black a window
    // that lies wholly inside another one.)
    QImage Screen();

private:
    void* m_display = nullptr;
};
