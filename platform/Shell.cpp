#include "platform/Shell.h"

#include "platform/UserMessages.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

bool RunDesktopHelper(const QString& program, const QStringList& arguments, const QString& failure) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        ReportError(QStringLiteral("%1: %2 is not installed").arg(failure, program));
        return false;
    }
    // No parent: a helper that keeps running (a file manager started in its place) is not killed
    // with the program, and no pipe ties it to us.
    auto* process = new QProcess;
    process->setProgram(path);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process, [=](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        process->deleteLater();
        ReportError(QStringLiteral("%1: %2 could not be started").arg(failure, program));
    });
    QObject::connect(process, &QProcess::finished, process, [=](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if (status != QProcess::NormalExit)
            ReportError(QStringLiteral("%1: %2 stopped unexpectedly").arg(failure, program));
        else if (code != 0)
            ReportError(QStringLiteral("%1: %2 ended with exit code %3").arg(failure, program).arg(code));
    });
    process->start();
    return true;
}

bool ShellOpen(const QString& target) {
    if (target.isEmpty()) return false;
    const QString failure = QStringLiteral("Unable to open %1").arg(target);
    const QFileInfo info(target);
    if (info.isFile() && info.isExecutable()) {
        if (QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath())) return true;
        ReportError(QStringLiteral("%1: the program could not be started").arg(failure));
        return false;
    }
    if (info.exists())
        return RunDesktopHelper(QStringLiteral("xdg-open"), {info.absoluteFilePath()}, failure);
    const QUrl url(target);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1) {
        // Web addresses keep the desktop's own dispatch (and whatever handles the scheme).
        if (QDesktopServices::openUrl(url)) return true;
        ReportError(QStringLiteral("%1: no program opens it").arg(failure));
        return false;
    }
    ReportError(QStringLiteral("%1: it does not exist").arg(failure));
    return false;
}

QString SuiteHomeAddress(const QString& appPath) {
    const QString home = QStringLiteral(SUITE_HOME_URL);
    const QUrl url(home);
    if (!url.scheme().isEmpty() && url.scheme().size() > 1) return home;
    if (QFileInfo(home).isAbsolute()) return home;
    return appPath + home;
}
