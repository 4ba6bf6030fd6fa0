#include "platform/ProfileFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>

ProfileWriteError::ProfileWriteError(const QString& fileName)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(fileName).toStdString()),
      m_fileName(fileName) {}

struct ProfileFile::Document {
    QStringList lines;
    QString eol = QStringLiteral("\n");

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
    QFile f(m_fileName);
    if (!f.open(QIODevice::ReadOnly)) return doc;
    const QByteArray bytes = f.readAll();
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

void ProfileFile::save(const Document& doc) const {
    QString text = doc.lines.join(doc.eol);
    if (!doc.lines.isEmpty()) text += doc.eol;
    QSaveFile f(m_fileName);
    // Writing in place is allowed when the folder refuses new files but the file itself is writable.
    f.setDirectWriteFallback(true);
    if (!f.open(QIODevice::WriteOnly)) throw ProfileWriteError(m_fileName);
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size() || !f.commit()) throw ProfileWriteError(m_fileName);
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
