#include "tests/support/XWindowProbe.h"
#include "tests/support/XvfbServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// Starts the recorder on `server` with an ALSA configuration of `devices` (in `dir`, which is also
// its own single-instance lock's folder).
void StartRecorder(QProcess& recorder, const XvfbServer& server, const QTemporaryDir& dir,
                   const QByteArray& devices) {
    QFile conf(dir.filePath("asound.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write(devices);
    conf.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", server.Display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("ALSA_CONFIG_PATH", conf.fileName());
    env.insert("XDG_RUNTIME_DIR", dir.path());
    recorder.setProcessEnvironment(env);
    recorder.start(QStringLiteral(SUITE_BIN_DIR) + "/Videzeva", {});
    ASSERT_TRUE(recorder.waitForStarted(5000));
}

} // namespace

// The recorder's main window on a real X server: its shape leaves out the corners, and what shows
// at a corner is the desktop behind the window.
TEST(MainWindowOnX, ShapedWindowShowsTheDesktopAtItsCorners) {
    XvfbServer server;
    const QString why = server.Start();
    if (!why.isEmpty()) GTEST_SKIP() << "no real X server to show the window's shape: " << why.toStdString();
    QTemporaryDir dir;
    QProcess recorder;
    StartRecorder(
        recorder, server, dir,
        "pcm.null { type null }\npcm.line { type file slave.pcm null file \"/dev/null\" infile \"/dev/zero\""
        " format \"raw\" hint { show on description \"Test line\" } }\n");

    XWindowProbe probe(server.Display());
    ASSERT_TRUE(probe.IsOpen());
    const unsigned long window =
        probe.FindWindow(QStringLiteral("Ridezo MP3 Recorder"), QSize(608, 431), 15000);
    ASSERT_NE(window, 0ul) << "the main window did not appear";
    // Let it take its shape and paint; a busy machine may take a while.
    QRegion shape;
    QElapsedTimer clock;
    clock.start();
    while ((shape = probe.Shape(window)).rectCount() <= 1 && clock.elapsed() < 10000)
        QThread::msleep(50);
    QThread::msleep(300);
    EXPECT_GT(shape.rectCount(), 1);
    EXPECT_TRUE(shape.contains(QPoint(300, 200)));
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(606, 430)));

    // A grab of the screen: the top-left corner pixel is the desktop's, the pixel inside is not.
    const QImage screen = probe.Screen();
    ASSERT_FALSE(screen.isNull());
    const QPoint at = probe.Origin(window);
    const QRgb desktop = screen.pixel(at.x() > 20 ? at.x() - 10 : at.x() + 620, at.y() + 200);
    EXPECT_EQ(screen.pixel(at), desktop);
    EXPECT_NE(screen.pixel(at + QPoint(300, 12)), desktop);
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
    QProcess recorder;
    StartRecorder(recorder, server, dir, "pcm.null { type null }\n");

    // The message window's title begins with "Message"; Escape closes it. A window found just as it
    // maps may not take the focus yet: then it is tried again.
    ASSERT_FALSE(recorder.waitForFinished(1000)) << "the program ended without waiting for its message";
    bool ended = false;
    QElapsedTimer clock;
    clock.start();
    while (!ended && clock.elapsed() < 20000) {
        server.Run("xdotool", {"search", "--sync", "--onlyvisible", "--limit", "1", "--name", "^Message",
                               "windowfocus", "--sync", "key", "Escape"});
        ended = recorder.waitForFinished(2000);
    }
    if (!ended) {
        recorder.kill();
        recorder.waitForFinished(3000);
    }
    ASSERT_TRUE(ended) << "the program did not end after its message";
    EXPECT_EQ(recorder.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(recorder.exitCode(), 0);
}
