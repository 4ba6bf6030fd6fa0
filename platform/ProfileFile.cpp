#include "platform/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringView>

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

namespace {

QStringView sectionNameOf(QStringView t) {
    t = t.trimmed();
    if (t.size() >= 2 && t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close > 0) return t.mid(1, close - 1).trimmed();
    }
    return {};
}

QString sectionName(const QString& line) {
    return sectionNameOf(line).toString();
}

bool isSection(QStringView line) {
    const QStringView t = line.trimmed();
    return t.startsWith(u'[') && t.indexOf(u']') > 0;
}

bool isComment(QStringView t) {
    return t.startsWith(u';') || t.startsWith(u'#');
}

bool splitKey(QStringView line, QStringView& key, QStringView& value) {
    const QStringView t = line.trimmed();
    if (t.isEmpty() || isComment(t)) return false;
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0) return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return true;
}

// A name as a hash key that compares without regard to case, as QString::compare does, without
// making a folded copy.
struct Caseless {
    QString name;
    friend bool operator==(const Caseless& a, const Caseless& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) == 0;
    }
    friend size_t qHash(const Caseless& c, size_t seed = 0) {
        size_t h = seed ^ 0x9e3779b97f4a7c15ull;
        for (const QChar ch : c.name) {
            // A character outside the basic plane counts the same as any other: equal names still
            // hash alike.
            const char16_t u = ch.isSurrogate() ? 0xFFFF : QChar::toCaseFolded(ch.unicode());
            h = (h ^ u) * 0x100000001b3ull;
        }
        return h;
    }
};

} // namespace

// Where each section and key stands. Only a section's first header counts, and in it a key's first
// line, as a reader walking the text from the top would find them. A section's keys are indexed
// the first time one of them is looked up.
struct ProfileText::Index {
    struct Section {
        qsizetype header; // the header's line
        qsizetype end;    // one past the section's last line
        mutable std::optional<QHash<Caseless, qsizetype>> keys;
    };
    QHash<Caseless, Section> sections;

    const Section* section(const QString& name) const {
        const auto it = sections.constFind(Caseless{name});
        return it == sections.constEnd() ? nullptr : &it.value();
    }
};

const ProfileText::Index& ProfileText::index() const {
    if (m_index) return *m_index;
    auto built = std::make_shared<Index>();
    Index::Section* current = nullptr; // the first header's section being read, if any
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString& line = m_lines[i];
        // Only a line whose first non-blank character is "[" can be a header.
        qsizetype at = 0;
        while (at < line.size() && line[at].isSpace())
            ++at;
        if (at == line.size() || line[at] != u'[' || !isSection(line)) continue;
        if (current) current->end = i;
        Caseless name{sectionName(line)};
        current = built->sections.contains(name)
                      ? nullptr
                      : &built->sections.insert(name, {i, m_lines.size(), {}}).value();
    }
    m_index = std::move(built);
    return *m_index;
}

qsizetype ProfileText::findKey(const QString& section, const QString& key) const {
    const Index::Section* range = index().section(section);
    if (!range) return -1;
    if (!range->keys) {
        QHash<Caseless, qsizetype> keys;
        keys.reserve(range->end - range->header);
        for (qsizetype i = range->header + 1; i < range->end; ++i) {
            QStringView k, v;
            if (!splitKey(m_lines[i], k, v)) continue;
            Caseless name{k.toString()};
            if (!keys.contains(name)) keys.insert(std::move(name), i); // the first one counts
        }
        range->keys = std::move(keys);
    }
    return range->keys->value(Caseless{key}, -1);
}

void ProfileText::refuse() const {
    throw ProfileWriteError(m_fileName);
}

QString ProfileText::readString(const QString& section, const QString& key, const QString& def) const {
    const qsizetype i = findKey(section, key);
    if (i < 0) return def;
    QStringView k, v;
    splitKey(m_lines[i], k, v);
    // A value wrapped in matching quotes is given without them.
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v.toString();
}

int ProfileText::readInteger(const QString& section, const QString& key, int def) const {
    int v = def;
    return ProfileFile::parseInteger(readString(section, key, QString()), v) ? v : def;
}

bool ProfileText::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void ProfileText::writeString(const QString& section, const QString& key, const QString& value) {
    if (!writable(section, key, value)) refuse();
    const QString line = key + u'=' + value;
    const qsizetype i = findKey(section, key);
    if (i >= 0) {
        m_lines[i] = line; // the index stays as it is
        return;
    }
    if (const Index::Section* range = index().section(section)) {
        // After the last non-blank line of the section.
        qsizetype at = range->end;
        while (at > range->header + 1 && m_lines[at - 1].trimmed().isEmpty())
            --at;
        m_lines.insert(at, line);
    } else {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty()) m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(line);
    }
    changedLines();
}

void ProfileText::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void ProfileText::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void ProfileText::replaceSection(const QString& section, const QList<std::pair<QString, QString>>& keys) {
    for (const auto& [key, value] : keys)
        if (!writable(section, key, value)) refuse();
    if (!writable(section, QStringLiteral("k"), QString())) refuse();
    QStringList lines;
    lines.reserve(keys.size() + 1);
    lines.append(u'[' + section + u']');
    for (const auto& [key, value] : keys)
        lines.append(key + u'=' + value);
    if (const Index::Section* range = index().section(section)) {
        // Blank lines that end the old section stay between it and the next one.
        qsizetype end = range->end;
        while (end > range->header + 1 && m_lines[end - 1].trimmed().isEmpty())
            --end;
        QStringList result;
        result.reserve(m_lines.size() - (end - range->header) + lines.size());
        result.append(m_lines.mid(0, range->header));
        result.append(lines);
        result.append(m_lines.mid(end));
        m_lines = std::move(result);
    } else {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty()) m_lines.append(QString());
        m_lines.append(lines);
    }
    changedLines();
}

void ProfileText::eraseSection(const QString& section) {
    const Index::Section* range = index().section(section);
    if (!range) return;
    m_lines.remove(range->header, range->end - range->header);
    changedLines();
}

void ProfileText::deleteKey(const QString& section, const QString& key) {
    const qsizetype i = findKey(section, key);
    if (i < 0) return;
    m_lines.removeAt(i);
    changedLines();
}

bool ProfileText::sectionExists(const QString& section) const {
    return index().section(section) != nullptr;
}

bool ProfileText::valueExists(const QString& section, const QString& key) const {
    return findKey(section, key) >= 0;
}

QStringList ProfileText::readSection(const QString& section) const {
    QStringList keys;
    const Index::Section* range = index().section(section);
    if (!range) return keys;
    for (qsizetype i = range->header + 1; i < range->end; ++i) {
        QStringView k, v;
        if (splitKey(m_lines[i], k, v)) keys << k.toString();
    }
    return keys;
}

QStringList ProfileText::readSections() const {
    QStringList names;
    for (const QString& l : m_lines)
        if (isSection(l)) names << sectionName(l);
    return names;
}

ProfileFile::ProfileFile(QString fileName) : m_fileName(std::move(fileName)) {}

ProfileText ProfileFile::read() const {
    ProfileText doc;
    doc.m_fileName = m_fileName;
    QByteArray bytes;
    switch (readSettingsFile(m_fileName, bytes)) {
    case ReadResult::Missing:
        return doc;
    case ReadResult::Refused:
        doc.m_readable = false;
        return doc;
    case ReadResult::Read:
        break;
    }
    QString text;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8.decode(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    if (text.contains(QStringLiteral("\r\n"))) {
        doc.m_eol = QStringLiteral("\r\n");
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    doc.m_lines = text.split(u'\n');
    if (!doc.m_lines.isEmpty() && doc.m_lines.last().isEmpty()) doc.m_lines.removeLast();
    return doc;
}

void ProfileFile::edit(const std::function<void(ProfileText&)>& change) {
    ProfileText doc = read();
    change(doc);
    write(doc);
}

// The new text goes into a new file beside the old one, every write checked, and reaches the disk
// (fsync) before the new file takes the old one's name: a failure at any point leaves the old file
// whole. When the folder refuses new files but the file itself is writable, the file is rewritten
// in place, its new size reserved first, so a full disk is found before a byte of it changes.
void ProfileFile::write(const ProfileText& doc) {
    // A file that is there but could not be read would lose everything but this one change.
    if (!doc.m_readable) throw ProfileWriteError(m_fileName);
    QString text = doc.m_lines.join(doc.m_eol);
    if (!doc.m_lines.isEmpty()) text += doc.m_eol;
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

bool ProfileFile::readable() const {
    return read().m_readable;
}

QString ProfileFile::readString(const QString& section, const QString& key, const QString& def) const {
    return read().readString(section, key, def);
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
    return read().readInteger(section, key, def);
}

bool ProfileFile::readBool(const QString& section, const QString& key, bool def) const {
    return read().readBool(section, key, def);
}

void ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    edit([&](ProfileText& t) { t.writeString(section, key, value); });
}

void ProfileFile::writeInteger(const QString& section, const QString& key, int value) {
    edit([&](ProfileText& t) { t.writeInteger(section, key, value); });
}

void ProfileFile::writeBool(const QString& section, const QString& key, bool value) {
    edit([&](ProfileText& t) { t.writeBool(section, key, value); });
}

void ProfileFile::eraseSection(const QString& section) {
    ProfileText doc = read();
    if (!doc.sectionExists(section)) return;
    doc.eraseSection(section);
    write(doc);
}

void ProfileFile::deleteKey(const QString& section, const QString& key) {
    ProfileText doc = read();
    if (!doc.valueExists(section, key)) return;
    doc.deleteKey(section, key);
    write(doc);
}

bool ProfileFile::sectionExists(const QString& section) const {
    return read().sectionExists(section);
}

bool ProfileFile::valueExists(const QString& section, const QString& key) const {
    return read().valueExists(section, key);
}

QStringList ProfileFile::readSection(const QString& section) const {
    return read().readSection(section);
}

QStringList ProfileFile::readSections() const {
    return read().readSections();
}
