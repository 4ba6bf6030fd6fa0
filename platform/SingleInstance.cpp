#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace SingleInstance {

QString lockFilePath(const QString& programFileName) {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath() + QStringLiteral("/ridezo-") + QString::number(getuid());
    QDir().mkpath(dir);
    return dir + u'/' + programFileName + QStringLiteral(".instance");
}

bool acquire(const QString& programFileName) {
    const QByteArray path = QFile::encodeName(lockFilePath(programFileName));
    // The descriptor is deliberately never closed: the lock lives as long as the process.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true; // no place for a lock: better to run than to refuse silently
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace SingleInstance
