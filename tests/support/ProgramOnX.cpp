#include "ProgramOnX.h"

#include "XWindowProbe.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegion>

#include <gtest/gtest.h>

const QByteArray kTestLineDevices =
    "pcm.null { type null }\npcm.line { type file slave.pcm null file \"/dev/null\" infile \"/dev/zero\""
    " format \"raw\" hint { show on description \"Test line\" } }\n";

QString StartOnX(QProcess& process, const ProgramOnX& start) {
    QFile conf(QDir(start.folder).filePath("asound.conf"));
    if (!conf.open(QIODevice::WriteOnly) || conf.write(start.devices) != start.devices.size())
        return "cannot write " + conf.fileName();
    conf.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", start.display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_RUNTIME_DIR", start.folder);
    env.insert("XDG_CONFIG_HOME", start.configHome.isEmpty() ? start.folder : start.configHome);
    env.insert("ALSA_CONFIG_PATH", conf.fileName());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(start.program, {});
    if (!process.waitForStarted(5000)) return start.program + " did not start: " + process.errorString();
    return {};
}

bool EndsBy(QProcess& process, int timeoutMs) {
    if (process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs)) return true;
    process.kill();
    process.waitForFinished(3000);
    return false;
}

bool ExpectShapedWindow(const QString& display, const ShapedWindowLook& look) {
    XWindowProbe probe(display);
    EXPECT_TRUE(probe.IsOpen());
    const unsigned long window = probe.IsOpen() ? probe.FindWindow(look.title, look.size, 15000) : 0;
    EXPECT_NE(window, 0ul) << "the main window did not appear";
    if (window == 0) return false;
    const QRegion shape = probe.WaitForShape(window, 10000); // a busy machine may take a while
    EXPECT_GT(shape.rectCount(), 1);
    for (const QPoint& p : look.inShape)
        EXPECT_TRUE(shape.contains(p)) << p.x() << "," << p.y();
    for (const QPoint& p : look.outOfShape)
        EXPECT_FALSE(shape.contains(p)) << p.x() << "," << p.y();

    const QImage screen = probe.Screen();
    EXPECT_FALSE(screen.isNull());
    if (screen.isNull()) return true;
    const QPoint at = probe.Origin(window);
    const QRgb desktop =
        screen.pixel(at.x() > 20 ? at.x() - 10 : at.x() + look.size.width() + 10, at.y() + 200);
    EXPECT_EQ(screen.pixel(at), desktop);
    EXPECT_NE(screen.pixel(at + look.painted), desktop);
    return true;
}
