// The ripper's main window on a real X server: its shape leaves out the rounded corners and keeps
// the side sliver, and what shows at a corner is the desktop behind the window.
#include "tests/support/ProgramOnX.h"
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

    ExpectShapedWindow(server.Display(), {QStringLiteral("Duzivuz 3.0"),
                                          QSize(700, 502),
                                          {{350, 250}, {698, 250}}, // the side sliver too
                                          {{0, 0}, {698, 0}, {0, 501}, {698, 501}},
                                          {350, 60}});
    EndsBy(ripper, 0);
}
