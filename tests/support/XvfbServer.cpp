#include "XvfbServer.h"

#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

XvfbServer::~XvfbServer() {
    if (m_windowManager.state() != QProcess::NotRunning) {
        m_windowManager.terminate();
        if (!m_windowManager.waitForFinished(3000)) m_windowManager.kill();
        m_windowManager.waitForFinished(1000);
    }
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) m_process.kill();
        m_process.waitForFinished(1000);
    }
}

QString XvfbServer::Start() {
    const QString program = QStandardPaths::findExecutable("Xvfb");
    if (program.isEmpty()) return "Xvfb is not installed";
    // A display number no other server uses: try a few starting from one derived from our pid.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int number = 100 + (getpid() * 7 + attempt * 13) % 800;
        if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(number)) ||
            QFile::exists(QString("/tmp/.X%1-lock").arg(number)))
            continue;
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program,
                        {QString(":%1").arg(number), "-nolisten", "tcp", "-screen", "0", "1280x1024x24"});
        if (!m_process.waitForStarted(3000)) return "Xvfb did not start: " + m_process.errorString();
        const QString socket = QString("/tmp/.X11-unix/X%1").arg(number);
        for (int waited = 0; waited < 5000 && m_process.state() == QProcess::Running; waited += 20) {
            if (QFile::exists(socket)) {
                m_display = QString(":%1").arg(number);
                return m_desktop == WithWindowManager ? StartWindowManager() : QString();
            }
            QThread::msleep(20);
        }
        if (m_process.state() == QProcess::Running) {
            m_process.kill();
            m_process.waitForFinished(1000);
        }
    }
    return "Xvfb could not open a display";
}

bool XvfbServer::Run(const QString& program, const QStringList& arguments, int timeoutMs) const {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) return false;
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    client.setProcessEnvironment(env);
    client.start(path, arguments);
    return client.waitForFinished(timeoutMs) && client.exitStatus() == QProcess::NormalExit &&
           client.exitCode() == 0;
}

QString XvfbServer::StartWindowManager() {
    const QString program = QStandardPaths::findExecutable("openbox");
    if (program.isEmpty()) return "openbox is not installed";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    m_windowManager.setProcessEnvironment(env);
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    m_windowManager.setStandardErrorFile(QProcess::nullDevice()); // its notes on missing menus
    m_windowManager.start(program, {"--sm-disable"});
    if (!m_windowManager.waitForStarted(3000))
        return "openbox did not start: " + m_windowManager.errorString();
    // The window manager is in charge once it has announced itself on the root window (the
    // supporting-window property of the EWMH).
    for (int waited = 0; waited < 10000 && m_windowManager.state() == QProcess::Running; waited += 50) {
        QProcess query;
        query.setProcessEnvironment(env);
        query.start(QStandardPaths::findExecutable("xprop"), {"-root", "_NET_SUPPORTING_WM_CHECK"});
        if (query.waitForFinished(3000) && query.readAllStandardOutput().contains("window id")) return {};
        QThread::msleep(50);
    }
    return "openbox did not take charge of the display";
}
