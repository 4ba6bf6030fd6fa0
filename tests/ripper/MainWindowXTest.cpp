// The ripper's main window on a real X server: its shape leaves out the rounded corners and keeps
// the side sliver, and what shows at a corner is the desktop behind the window.
#include "tests/support/ProgramOnX.h"
#include "tests/support/XWindowProbe.h"
#include "tests/support/XvfbServer.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(RipperMainWindowOnX, ShapedWindowShowsTheDesktopAtItsCorners) {
    XvfbServer server;
    const QString why = server.Start();
    if (!why.isEmpty()) GTEST_SKIP() << "no real X server to show the window's shape: " << why.toStdString();
    QTemporaryDir dir; // no drive list there: no drive
    QProcess ripper;
    const QString failed = StartOnX(
        ripper, {SUITE_BIN_DIR "/Duzivuz", server.Display(), dir.path(), "pcm.null { type null }\n"});
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();

    XWindowProbe probe(server.Display());
    ASSERT_TRUE(probe.IsOpen());
    const unsigned long window = probe.FindWindow(QStringLiteral("Duzivuz 3.0"), QSize(700, 502), 15000);
    ASSERT_NE(window, 0ul) << "the main window did not appear";
    const QRegion shape = probe.WaitForShape(window, 10000); // a busy machine may take a while
    EXPECT_GT(shape.rectCount(), 1);
    EXPECT_TRUE(shape.contains(QPoint(350, 250)));
    EXPECT_TRUE(shape.contains(QPoint(698, 250))) << "the side sliver";
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(698, 0)));
    EXPECT_FALSE(shape.contains(QPoint(0, 501)));
    EXPECT_FALSE(shape.contains(QPoint(698, 501)));

    const QImage screen = probe.Screen();
    ASSERT_FALSE(screen.isNull());
    const QPoint at = probe.Origin(window);
    const QRgb desktop = screen.pixel(at.x() > 20 ? at.x() - 10 : at.x() + 710, at.y() + 200);
    EXPECT_EQ(screen.pixel(at), desktop);
    EXPECT_NE(screen.pixel(at + QPoint(350, 60)), desktop);
    EndsBy(ripper, 0);
}
