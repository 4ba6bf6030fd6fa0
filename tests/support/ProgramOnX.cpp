#include "ProgramOnX.h"

#include <QDir>
#include <QFile>

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
