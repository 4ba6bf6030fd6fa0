#include "platform/ProgramPaths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace ProgramPaths {

QString withTrailingSeparator(const QString& folder) {
    if (folder.isEmpty()) return folder;
    QString f = folder;
    while (f.size() > 1 && f.endsWith(u'/'))
        f.chop(1);
    return f == QStringLiteral("/") ? f : f + u'/';
}

namespace {
QString& programFolderOverride() {
    static QString folder;
    return folder;
}
} // namespace

void setProgramFolder(const QString& folder) {
    programFolderOverride() = withTrailingSeparator(folder);
}

QString programFolder() {
    if (!programFolderOverride().isEmpty()) return programFolderOverride();
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (dir.isEmpty())
        dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
    return withTrailingSeparator(dir);
}

QString programFileName() {
    if (QCoreApplication::instance()) return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).fileName();
}

QString systemFolder() {
    return programFolder() + QStringLiteral("system");
}

QString homeFolder() {
    return withTrailingSeparator(QDir::homePath());
}

bool canCreateFileIn(const QString& folder) {
    if (folder.isEmpty() || !QDir(folder).exists()) return false;
    const QString probe = withTrailingSeparator(folder) +
                          QString::number(QDateTime::currentMSecsSinceEpoch()) + QStringLiteral(".probe");
    QFile f(probe);
    if (!f.open(QIODevice::NewOnly | QIODevice::WriteOnly)) return false;
    f.close();
    f.remove();
    return true;
}

QString settingsFolder() {
    const QString app = programFolder();
    if (canCreateFileIn(app)) return app;
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    QString name = programFileName();
    const QString dir = config + u'/' + name;
    QDir().mkpath(dir);
    return withTrailingSeparator(dir);
}

} // namespace ProgramPaths
