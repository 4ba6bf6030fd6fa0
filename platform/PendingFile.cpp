#include "platform/PendingFile.h"

#include "platform/FileNames.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Where `path` ends its folder part ("" for a bare name).
qsizetype NameStart(const QString& path) {
    return path.lastIndexOf(QLatin1Char('/')) + 1;
}

} // namespace

TPendingFile::~TPendingFile() {
    Discard();
}

TPendingFile::TPendingFile(TPendingFile&& other) noexcept
    : m_final(std::move(other.m_final)), m_temp(std::move(other.m_temp)) {
    other.m_final.clear();
    other.m_temp.clear();
}

TPendingFile& TPendingFile::operator=(TPendingFile&& other) noexcept {
    if (this != &other) {
        Discard();
        m_final = std::move(other.m_final);
        m_temp = std::move(other.m_temp);
        other.m_final.clear();
        other.m_temp.clear();
    }
    return *this;
}

QString TPendingFile::Begin(const QString& finalName) {
    Discard();
    const qsizetype start = NameStart(finalName);
    const QString folder = finalName.left(start);
    const QString name = finalName.mid(start);
    if (name.isEmpty())
        return QStringLiteral("Unable to create %1: no file name").arg(ShownFileName(finalName));
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const QString temp = HiddenNameBeside(
            folder, name,
            QLatin1Char('.') +
                QString::number(QRandomGenerator::global()->generate() % 1000000u).rightJustified(6, u'0') +
                QStringLiteral(".part"));
        // 0666 less the umask: the final file gets the permissions a new file gets.
        const int fd = ::open(FileNameBytes(temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            m_final = finalName;
            m_temp = temp;
            return {};
        }
        error = errno;
    }
    return QStringLiteral("Unable to create %1: %2").arg(ShownFileName(finalName), Reason(error));
}

QString TPendingFile::Commit(bool replace) {
    if (!Pending())
        return QStringLiteral("Unable to write to %1: nothing was written").arg(ShownFileName(m_final));
    const QByteArray temp = FileNameBytes(m_temp);
    const QByteArray target = FileNameBytes(m_final);
    const QString finalName = ShownFileName(m_final);
    QString error;
    struct stat written {};
    if (::lstat(temp.constData(), &written) != 0 || !S_ISREG(written.st_mode)) {
        error = QStringLiteral("Unable to write to %1: the file is gone (its folder was removed or moved "
                               "while it was written)")
                    .arg(finalName);
    } else if (replace) {
        if (::rename(temp.constData(), target.constData()) != 0)
            error = QStringLiteral("Unable to write to %1: %2").arg(finalName, Reason(errno));
    } else if (::renameat2(AT_FDCWD, temp.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
        int failure = errno;
        // A file system without the no-replace rename: a hard link never replaces either.
        if (failure == EINVAL || failure == ENOSYS) {
            failure = ::link(temp.constData(), target.constData()) == 0 ? 0 : errno;
            if (failure == 0) ::unlink(temp.constData());
        }
        if (failure == EEXIST)
            error = QStringLiteral("Unable to write to %1: a file of that name was made meanwhile")
                        .arg(finalName);
        else if (failure != 0)
            error = QStringLiteral("Unable to write to %1: %2").arg(finalName, Reason(failure));
    }
    if (error.isEmpty()) m_temp.clear();
    Discard();
    return error;
}

void TPendingFile::Discard() {
    if (!m_temp.isEmpty()) ::unlink(FileNameBytes(m_temp).constData());
    m_temp.clear();
}
