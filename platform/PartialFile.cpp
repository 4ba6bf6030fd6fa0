#include "platform/PartialFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace PartialFile {

QString TemporaryName(const QString& finalName) {
    const QFileInfo info(finalName);
    return info.path() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
}

QString PutInPlace(const QString& temporaryName, const QString& finalName) {
    if (!QFileInfo::exists(temporaryName))
        return QStringLiteral("%1 was not written: the file being written is gone (was its folder removed?)")
            .arg(finalName);
    // rename(2) replaces an existing file in one step; QFile::rename would refuse it.
    if (std::rename(QFile::encodeName(temporaryName).constData(), QFile::encodeName(finalName).constData()) !=
        0)
        return QStringLiteral("%1 was not written: %2")
            .arg(finalName, QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}

} // namespace PartialFile
