#include "skin/SKThemeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cstring>

using namespace ThemeFileFormat;

namespace {

uint32_t ReadU32(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<uint32_t>(data.constData() + offset);
}

// The value text of the first line whose name equals key (without regard to case).
bool FindValue(const QStringList& lines, const QString& key, QString& value) {
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) continue;
        if (QStringView(line).left(eq).compare(key, Qt::CaseInsensitive) == 0) {
            value = line.mid(eq + 1);
            return true;
        }
    }
    return false;
}

[[noreturn]] void Damaged(const QString& what) {
    throw ESkinError(QStringLiteral("Damaged skin file: %1").arg(what));
}

bool ReadWholeFile(const QString& fileName, QByteArray& data, QString* error) {
    // Only regular files: a pipe could block the program, a device could be endless.
    if (!QFileInfo(fileName).isFile()) {
        if (error) *error = QStringLiteral("Cannot open file \"%1\". It is not a file").arg(fileName);
        return false;
    }
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, f.errorString());
        return false;
    }
    // Read at most one byte more than allowed, so a file that grows meanwhile is still bounded.
    data = f.read(kMaxFileSize + 1);
    if (f.error() != QFileDevice::NoError) {
        if (error) *error = QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, f.errorString());
        return false;
    }
    if (data.size() > kMaxFileSize) {
        data.clear();
        if (error) *error = QStringLiteral("Skin file \"%1\" is too large").arg(fileName);
        return false;
    }
    return true;
}

} // namespace

bool IsValidThemeData(const QByteArray& data) {
    if (data.size() < kSignatureSize) return false;
    const QByteArray signature = data.left(kSignatureSize);
    const qsizetype zero = signature.indexOf('\0');
    return signature.left(zero < 0 ? kSignatureSize : zero) == QByteArray(kSignature);
}

bool IsValidThemeFile(const QString& fileName) {
    if (!QFileInfo(fileName).isFile()) return false;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return false;
    return IsValidThemeData(f.read(kSignatureSize));
}

TskThemeFileReader::TskThemeFileReader(const QString& fileName) {
    QByteArray data;
    QString error;
    if (!ReadWholeFile(fileName, data, &error)) throw ESkinError(error);
    Load(data);
}

TskThemeFileReader TskThemeFileReader::FromData(const QByteArray& data) {
    if (data.size() > kMaxFileSize) throw ESkinError(QStringLiteral("Skin data is too large"));
    TskThemeFileReader reader;
    reader.Load(data);
    return reader;
}

// Follows the chain from the header's first-entry offset. Every offset and size is checked against
// the file before it is used: an entry or its data that does not lie wholly inside the file makes
// the load fail; a chain that comes back to an entry already read ends there. Entries do not
// overlap in a real file, so more entries than could fit side by side mark the file as damaged
// (this bounds the memory a hostile file can make the reader use).
void TskThemeFileReader::Load(const QByteArray& data) {
    m_data = data;
    const qsizetype fileSize = m_data.size();
    if (fileSize < 16) Damaged(QStringLiteral("the header is cut off"));
    const uint32_t headerSize = ReadU32(m_data, 12);
    // The header record is 24 bytes; a larger stated size is read only as far as the record goes.
    if (headerSize < static_cast<uint32_t>(kHeaderSize)) Damaged(QStringLiteral("the header is too small"));
    if (headerSize > static_cast<uint64_t>(fileSize)) Damaged(QStringLiteral("the header is cut off"));
    uint64_t entryOffset = ReadU32(m_data, 20);

    const qsizetype maxEntries = fileSize / kEntrySize;
    QSet<uint64_t> visited;
    for (;;) {
        if (entryOffset + kEntrySize > static_cast<uint64_t>(fileSize))
            Damaged(QStringLiteral("an entry is cut off"));
        if (visited.contains(entryOffset)) break; // the chain loops: it ends here
        if (visited.size() >= maxEntries) Damaged(QStringLiteral("too many entries"));
        visited.insert(entryOffset);

        const char* entry = m_data.constData() + entryOffset;
        const uint64_t nextOffset = qFromLittleEndian<uint32_t>(entry + 73);
        if (nextOffset == 0) break; // the terminator is not read as data

        const qsizetype keyLength = qstrnlen(entry, kKeySize);
        const QString key = QString::fromLatin1(entry, keyLength);
        const uint8_t kind = static_cast<uint8_t>(entry[64]);
        const uint64_t dataOffset = qFromLittleEndian<uint32_t>(entry + 65);
        const uint64_t dataSize = qFromLittleEndian<uint32_t>(entry + 69);
        if (dataOffset + dataSize > static_cast<uint64_t>(fileSize))
            Damaged(QStringLiteral("entry data is cut off"));
        const char* bytes = m_data.constData() + dataOffset;

        switch (kind) {
        case kKindBitmap:
            m_bitmaps.append({key, static_cast<qsizetype>(dataOffset), static_cast<qsizetype>(dataSize)});
            break;
        case kKindInteger: {
            // Integers are 4 bytes; a shorter entry is read as far as it goes, a longer one only
            // its first 4 bytes.
            uint8_t buffer[4] = {0, 0, 0, 0};
            memcpy(buffer, bytes, std::min<uint64_t>(dataSize, 4));
            const int32_t value = qFromLittleEndian<int32_t>(buffer);
            m_ints.append(key + u'=' + QString::number(value));
            break;
        }
        case kKindBoolean: {
            const uint8_t value = dataSize > 0 ? static_cast<uint8_t>(bytes[0]) : 0;
            m_bools.append(key + u'=' + QString::number(value));
            break;
        }
        case kKindString:
            m_strings.append(key + u'=' + QString::fromLatin1(bytes, static_cast<qsizetype>(dataSize)));
            break;
        default:
            break;
        }
        entryOffset = nextOffset;
    }
}

QByteArray TskThemeFileReader::GetBitmap(const QString& key) const {
    for (const BitmapEntry& e : m_bitmaps) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) return m_data.mid(e.offset, e.size);
    }
    return {};
}

int32_t TskThemeFileReader::GetInt(const QString& key) const {
    QString value;
    if (!FindValue(m_ints, key, value)) return -1;
    bool ok = false;
    const int32_t result = value.toInt(&ok);
    return ok ? result : -1;
}

bool TskThemeFileReader::GetBool(const QString& key) const {
    QString value;
    if (!FindValue(m_bools, key, value)) return false;
    bool ok = false;
    const int result = value.toInt(&ok);
    return ok && (result & 0xFF) != 0;
}

QStringList TskThemeFileReader::BitmapKeys() const {
    QStringList keys;
    for (const BitmapEntry& e : m_bitmaps)
        keys.append(e.key);
    return keys;
}
