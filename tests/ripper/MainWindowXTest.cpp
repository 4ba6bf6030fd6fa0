// The ripper's main window on a real X server: its shape leaves out the rounded corners and keeps
// the side sliver, and what shows at a corner is the desktop behind the window. Without a window
// manager to hand a drag to, the window moves itself with the mouse.
#include "tests/support/ProgramOnX.h"
#include "tests/support/XWindowProbe.h"
#include "tests/support/XvfbServer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

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

    ExpectShapedWindow(server.Display(), {QStringLiteral("Duzivuz 3.0"),
                                          QSize(700, 502),
                                          {{350, 250}, {698, 250}}, // the side sliver too
                                          {{0, 0}, {698, 0}, {0, 501}, {698, 501}},
                                          {350, 60}});

    XWindowProbe probe(server.Display());
    ASSERT_TRUE(probe.IsOpen());
    const unsigned long window = probe.FindWindow(QStringLiteral("Duzivuz 3.0"), QSize(700, 502), 15000);
    ASSERT_NE(window, 0ul);
    const QRect at = probe.Geometry(window);
    const QPoint from = at.topLeft() + QPoint(500, 16), to = from + QPoint(-60, 45);
    auto moveTo = [&](const QPoint& p) {
        return server.Run("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y())});
    };
    ASSERT_TRUE(moveTo(from));
    ASSERT_TRUE(server.Run("xdotool", {"mousedown", "1"}));
    for (int i = 1; i <= 8; ++i) {
        moveTo(from + (to - from) * i / 8);
        QThread::msleep(40);
    }
    ASSERT_TRUE(server.Run("xdotool", {"mouseup", "1"}));
    QElapsedTimer clock;
    clock.start();
    while (probe.Geometry(window) != at.translated(-60, 45) && clock.elapsed() < 5000)
        QThread::msleep(30);
    EXPECT_EQ(probe.Geometry(window), at.translated(-60, 45));
    EndsBy(ripper, 0);
}
