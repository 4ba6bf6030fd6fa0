#include "platform/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ProfileWriteError::ProfileWriteError(const QString& fileName)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(fileName).toStdString()),
      m_fileName(fileName) {}

namespace {

// Closes a file descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and tells whether the close succeeded (a late write error shows here).
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    off_t at = 0;
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, p, std::size_t(left), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        at += n;
        left -= n;
    }
    return true;
}

enum class ReadResult { Read, Missing, Refused };

// Reads a whole settings file. Opening never waits (a FIFO or device named as the file would block
// the program), and only a regular file is read.
ReadResult readSettingsFile(const QString& fileName, QByteArray& bytes) {
    const QByteArray path = QFile::encodeName(fileName);
    Fd fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) return errno == ENOENT ? ReadResult::Missing : ReadResult::Refused;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadResult::Refused;
    bytes.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReadResult::Refused;
        if (n == 0) return ReadResult::Read;
        bytes.append(buf, n);
    }
}

// The file a write replaces: a symbolic link is followed, so the link stays and its target changes.
QString writeTarget(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.isSymLink() ? info.symLinkTarget() : fileName;
}

// A key or value with a line break would write lines of its own into the file; a key with "=" or a
// section with "]" could not be read back as written.
bool writable(const QString& section, const QString& key, const QString& value) {
    auto hasBreak = [](const QString& s) { return s.contains(u'\n') || s.contains(u'\r'); };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value)) return false;
    if (section.contains(u']') || key.contains(u'=')) return false;
    const QString k = key.trimmed();
    return !k.isEmpty() && !k.startsWith(u';') && !k.startsWith(u'#') && !k.startsWith(u'[');
}

} // namespace

struct ProfileFile::Document {
    QStringList lines;
    QString eol = QStringLiteral("\n");
    bool readable = true; // false: the file is there but could not be read

    static QString sectionName(const QString& line) {
        const QString t = line.trimmed();
        if (t.size() >= 2 && t.startsWith(u'[')) {
            const qsizetype close = t.indexOf(u']');
            if (close > 0) return t.mid(1, close - 1).trimmed();
        }
        return {};
    }
    static bool isSection(const QString& line) {
        const QString t = line.trimmed();
        return t.startsWith(u'[') && t.indexOf(u']') > 0;
    }
    static bool isComment(const QString& t) { return t.startsWith(u';') || t.startsWith(u'#'); }

    // [first line after the header, end) of a section; nullopt when it is not there.
    std::optional<std::pair<qsizetype, qsizetype>> sectionRange(const QString& section) const {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (isSection(lines[i]) && sectionName(lines[i]).compare(section, Qt::CaseInsensitive) == 0) {
                qsizetype end = i + 1;
                while (end < lines.size() && !isSection(lines[end]))
                    ++end;
                return std::make_pair(i + 1, end);
            }
        }
        return std::nullopt;
    }

    static bool splitKey(const QString& line, QString& key, QString& value) {
        const QString t = line.trimmed();
        if (t.isEmpty() || isComment(t)) return false;
        const qsizetype eq = t.indexOf(u'=');
        if (eq <= 0) return false;
        key = t.left(eq).trimmed();
        value = t.mid(eq + 1).trimmed();
        return true;
    }

    // Index of the key's line, or -1.
    qsizetype findKey(const QString& section, const QString& key) const {
        const auto range = sectionRange(section);
        if (!range) return -1;
        for (qsizetype i = range->first; i < range->second; ++i) {
            QString k, v;
            if (splitKey(lines[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0) return i;
        }
        return -1;
    }
};

ProfileFile::ProfileFile(QString fileName) : m_fileName(std::move(fileName)) {}

ProfileFile::Document ProfileFile::load() const {
    Document doc;
    QByteArray bytes;
    switch (readSettingsFile(m_fileName, bytes)) {
    case ReadResult::Missing:
        return doc;
    case ReadResult::Refused:
        doc.readable = false;
        return doc;
    case ReadResult::Read:
        break;
    }
    QString text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8.decode(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    if (text.contains(QStringLiteral("\r\n"))) doc.eol = QStringLiteral("\r\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    doc.lines = text.split(u'\n');
    if (!doc.lines.isEmpty() && doc.lines.last().isEmpty()) doc.lines.removeLast();
    return doc;
}

// The new text goes into a new file beside the old one, every write checked, and reaches the disk
// (fsync) before the new file takes the old one's name: a failure at any point leaves the old file
// whole. When the folder refuses new files but the file itself is writable, the file is rewritten
// in place, its new size reserved first, so a full disk is found before a byte of it changes.
void ProfileFile::save(const Document& doc) const {
    // A file that is there but could not be read would lose everything but this one change.
    if (!doc.readable) throw ProfileWriteError(m_fileName);
    QString text = doc.lines.join(doc.eol);
    if (!doc.lines.isEmpty()) text += doc.eol;
    const QByteArray bytes = text.toUtf8();
    const QString target = writeTarget(m_fileName);
    const QByteArray targetPath = QFile::encodeName(target);
    struct stat old {};
    const bool exists = ::stat(targetPath.constData(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) throw ProfileWriteError(m_fileName);

    Fd fd;
    QByteArray tempPath;
    int createError = 0;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        tempPath = targetPath + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd.reset(::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        createError = fd.valid() ? 0 : errno;
        if (createError != EEXIST) break;
    }
    if (fd.valid()) {
        if (exists) {
            // The new file keeps the old one's permissions (and owner, where that is allowed).
            (void)!::fchown(fd.get(), old.st_uid, old.st_gid);
            ::fchmod(fd.get(), old.st_mode & 07777);
        }
        const bool ok = writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.close() &&
                        ::rename(tempPath.constData(), targetPath.constData()) == 0;
        if (!ok) {
            fd.reset();
            ::unlink(tempPath.constData());
            throw ProfileWriteError(m_fileName);
        }
        // The rename itself reaches the disk with the folder.
        const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
        Fd dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.valid()) ::fsync(dir.get());
        return;
    }
    if (!exists || (createError != EACCES && createError != EPERM)) throw ProfileWriteError(m_fileName);
    fd.reset(::open(targetPath.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw ProfileWriteError(m_fileName);
    if (bytes.size() > st.st_size && ::fallocate(fd.get(), 0, 0, bytes.size()) != 0 && errno != EOPNOTSUPP)
        throw ProfileWriteError(m_fileName);
    if (!writeAll(fd.get(), bytes) || ::ftruncate(fd.get(), bytes.size()) != 0 || ::fsync(fd.get()) != 0 ||
        !fd.close())
        throw ProfileWriteError(m_fileName);
}

QString ProfileFile::readString(const QString& section, const QString& key, const QString& def) const {
    const Document doc = load();
    const qsizetype i = doc.findKey(section, key);
    if (i < 0) return def;
    QString k, v;
    Document::splitKey(doc.lines[i], k, v);
    // A value wrapped in matching quotes is given without them.
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

bool ProfileFile::parseInteger(const QString& text, int& value) {
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        if (digits.isEmpty() || digits.startsWith(u'+') || digits.startsWith(u'-')) return false;
        const qulonglong u = digits.toULongLong(&ok, 16);
        if (!ok || u > 0xFFFFFFFFull) return false;
        value = static_cast<int>(static_cast<quint32>(u));
        return true;
    }
    v = t.toLongLong(&ok, 10);
    if (!ok || v < INT_MIN || v > INT_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

int ProfileFile::readInteger(const QString& section, const QString& key, int def) const {
    int v = def;
    return parseInteger(readString(section, key, QString()), v) ? v : def;
}

bool ProfileFile::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    if (!writable(section, key, value)) throw ProfileWriteError(m_fileName);
    Document doc = load();
    const QString line = key + u'=' + value;
    const qsizetype i = doc.findKey(section, key);
    if (i >= 0) {
        doc.lines[i] = line;
    } else if (const auto range = doc.sectionRange(section)) {
        // After the last non-blank line of the section.
        qsizetype at = range->second;
        while (at > range->first && doc.lines[at - 1].trimmed().isEmpty())
            --at;
        doc.lines.insert(at, line);
    } else {
        if (!doc.lines.isEmpty() && !doc.lines.last().trimmed().isEmpty()) doc.lines.append(QString());
        doc.lines.append(u'[' + section + u']');
        doc.lines.append(line);
    }
    save(doc);
}

void ProfileFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void ProfileFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void ProfileFile::eraseSection(const QString& section) {
    Document doc = load();
    const auto range = doc.sectionRange(section);
    if (!range) return;
    doc.lines.remove(range->first - 1, range->second - range->first + 1);
    save(doc);
}

void ProfileFile::deleteKey(const QString& section, const QString& key) {
    Document doc = load();
    const qsizetype i = doc.findKey(section, key);
    if (i < 0) return;
    doc.lines.removeAt(i);
    save(doc);
}

bool ProfileFile::sectionExists(const QString& section) const {
    return load().sectionRange(section).has_value();
}

bool ProfileFile::valueExists(const QString& section, const QString& key) const {
    return load().findKey(section, key) >= 0;
}

QStringList ProfileFile::readSection(const QString& section) const {
    const Document doc = load();
    QStringList keys;
    if (const auto range = doc.sectionRange(section)) {
        for (qsizetype i = range->first; i < range->second; ++i) {
            QString k, v;
            if (Document::splitKey(doc.lines[i], k, v)) keys << k;
        }
    }
    return keys;
}

QStringList ProfileFile::readSections() const {
    const Document doc = load();
    QStringList names;
    for (const QString& l : doc.lines)
        if (Document::isSection(l)) names << Document::sectionName(l);
    return names;
}
