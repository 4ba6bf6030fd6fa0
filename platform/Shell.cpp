#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool ShellOpen(const QString& target) {
    if (target.isEmpty()) return false;
    const QFileInfo info(target);
    if (info.isFile() && info.isExecutable())
        return QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
    if (info.exists()) return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
    const QUrl url(target);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return QDesktopServices::openUrl(url);
    return false;
}

QString SuiteHomeAddress(const QString& appPath) {
    const QString home = QStringLiteral(SUITE_HOME_URL);
    const QUrl url(home);
    if (!url.scheme().isEmpty() && url.scheme().size() > 1) return home;
    if (QFileInfo(home).isAbsolute()) return home;
    return appPath + home;
}
