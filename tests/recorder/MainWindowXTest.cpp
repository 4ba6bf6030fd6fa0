#include "tests/support/XvfbServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

// gtest first: the X headers define macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace {

// The first window whose name is `name`, or (with `prefix`) begins with it.
Window FindWindowNamed(Display* display, Window parent, const char* name, bool prefix = false) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* title = nullptr;
        if (XFetchName(display, children[i], &title) && title) {
            const std::string text(title);
            if (prefix ? text.rfind(name, 0) == 0 : text == name) found = children[i];
            XFree(title);
        }
        if (!found) found = FindWindowNamed(display, children[i], name, prefix);
    }
    if (children) XFree(children);
    return found;
}

} // namespace

// The recorder's main window on a real X server: its shape leaves out the corners, and what shows
// at a corner is the desktop behind the window.
TEST(MainWindowOnX, ShapedWindowShowsTheDesktopAtItsCorners) {
    XvfbServer server;
    const QString why = server.Start();
    if (!why.isEmpty()) GTEST_SKIP() << "no real X server to show the window's shape: " << why.toStdString();
    QTemporaryDir dir;
    QFile conf(dir.filePath("asound.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(
        "pcm.null { type null }\npcm.line { type file slave.pcm null file \"/dev/null\" infile \"/dev/zero\""
        " format \"raw\" hint { show on description \"Test line\" } }\n");
    conf.close();

    QProcess recorder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", server.Display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("ALSA_CONFIG_PATH", dir.filePath("asound.conf"));
    env.insert("XDG_RUNTIME_DIR", dir.path()); // its own single-instance lock
    recorder.setProcessEnvironment(env);
    recorder.start(QStringLiteral(SUITE_BIN_DIR) + "/Videzeva", {});
    ASSERT_TRUE(recorder.waitForStarted(5000));

    Display* display = XOpenDisplay(server.Display().toUtf8().constData());
    ASSERT_NE(display, nullptr);
    Window window = 0;
    QElapsedTimer clock;
    clock.start();
    while (!window && clock.elapsed() < 15000) {
        window = FindWindowNamed(display, DefaultRootWindow(display), "Ridezo MP3 Recorder");
        if (!window) QThread::msleep(50);
    }
    ASSERT_NE(window, Window(0)) << "the main window did not appear";
    QThread::msleep(300); // let it map and paint

    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
    auto inside = [&](int x, int y) {
        for (int i = 0; i < count; ++i)
            if (x >= rects[i].x && x < rects[i].x + rects[i].width && y >= rects[i].y &&
                y < rects[i].y + rects[i].height)
                return true;
        return false;
    };
    EXPECT_GT(count, 1);
    EXPECT_TRUE(inside(300, 200));
    EXPECT_FALSE(inside(0, 0));
    EXPECT_FALSE(inside(606, 430));
    if (rects) XFree(rects);

    // A grab of the screen: the top-left corner pixel is the desktop's, the pixel inside is not.
    XWindowAttributes attrs;
    XGetWindowAttributes(display, window, &attrs);
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &rootX, &rootY, &child);
    XImage* screen = XGetImage(display, DefaultRootWindow(display), 0, 0, unsigned(DisplayWidth(display, 0)),
                               unsigned(DisplayHeight(display, 0)), AllPlanes, ZPixmap);
    ASSERT_NE(screen, nullptr);
    const unsigned long desktop = XGetPixel(screen, rootX > 20 ? rootX - 10 : rootX + 620, rootY + 200);
    EXPECT_EQ(XGetPixel(screen, rootX, rootY), desktop);
    EXPECT_NE(XGetPixel(screen, rootX + 300, rootY + 12), desktop);
    XDestroyImage(screen);
    XCloseDisplay(display);
    recorder.kill();
    recorder.waitForFinished(3000);
}

// Without any capture device the program says so, and ends once the message is closed.
TEST(MainWindowOnX, NoCaptureDeviceEndsTheProgram) {
    XvfbServer server;
    const QString why = server.Start();
    if (!why.isEmpty()) GTEST_SKIP() << "no real X server to close the message on: " << why.toStdString();
    if (!server.Run("xdotool", {"version"}))
        GTEST_SKIP() << "xdotool is not installed, so the message cannot be closed";
    QTemporaryDir dir;
    QFile conf(dir.filePath("asound.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("pcm.null { type null }\n");
    conf.close();

    QProcess recorder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", server.Display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("ALSA_CONFIG_PATH", dir.filePath("asound.conf"));
    env.insert("XDG_RUNTIME_DIR", dir.path());
    recorder.setProcessEnvironment(env);
    recorder.start(QStringLiteral(SUITE_BIN_DIR) + "/Videzeva", {});
    ASSERT_TRUE(recorder.waitForStarted(5000));

    Display* display = XOpenDisplay(server.Display().toUtf8().constData());
    ASSERT_NE(display, nullptr);
    Window message = 0;
    QElapsedTimer clock;
    clock.start();
    while (!message && clock.elapsed() < 15000) {
        message = FindWindowNamed(display, DefaultRootWindow(display), "Message", true);
        if (!message) QThread::msleep(50);
    }
    ASSERT_NE(message, Window(0)) << "no message appeared";
    XCloseDisplay(display);
    QThread::msleep(300); // let it map
    ASSERT_TRUE(server.Run("xdotool", {"windowfocus", "--sync", QString::number(message)}));
    ASSERT_TRUE(server.Run("xdotool", {"key", "Escape"}));
    const bool ended = recorder.waitForFinished(10000);
    if (!ended) recorder.kill();
    ASSERT_TRUE(ended) << "the program did not end";
    EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recorder.exitCode(), 0);
}
