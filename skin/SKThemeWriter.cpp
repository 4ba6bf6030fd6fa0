#include "skin/SKThemeWriter.h"

#include "skin/SKThemeFile.h"

#include <QSaveFile>
#include <QtEndian>

using namespace ThemeFileFormat;

namespace {

void AppendU32(QByteArray& out, uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void AppendEntry(QByteArray& out, const QByteArray& key, uint8_t kind, uint32_t dataOffset, uint32_t size,
                 uint32_t next) {
    QByteArray field = key.left(kKeySize - 1);
    field.append(QByteArray(kKeySize - field.size(), '\0'));
    out.append(field);
    out.append(static_cast<char>(kind));
    AppendU32(out, dataOffset);
    AppendU32(out, size);
    AppendU32(out, next);
}

} // namespace

void TskThemeFileWriter::AddBitmap(const QString& key, const QByteArray& data) {
    m_entries.append({key.toLatin1(), kKindBitmap, data});
}

void TskThemeFileWriter::AddInt(const QString& key, int32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    m_entries.append({key.toLatin1(), kKindInteger, QByteArray(bytes, 4)});
}

void TskThemeFileWriter::AddBool(const QString& key, bool value) {
    m_entries.append({key.toLatin1(), kKindBoolean, QByteArray(1, value ? '\1' : '\0')});
}

void TskThemeFileWriter::AddString(const QString& key, const QByteArray& text) {
    m_entries.append({key.toLatin1(), kKindString, text});
}

QByteArray TskThemeFileWriter::Data() const {
    QByteArray out;
    out.append(kSignature, 10);
    out.append(2, '\0');
    AppendU32(out, kHeaderSize);
    AppendU32(out, 1);
    AppendU32(out, kHeaderSize);
    for (const Entry& e : m_entries) {
        const auto dataOffset = static_cast<uint32_t>(out.size() + kEntrySize);
        const auto size = static_cast<uint32_t>(e.data.size());
        AppendEntry(out, e.key, e.kind, dataOffset, size, dataOffset + size);
        out.append(e.data);
    }
    AppendEntry(out, QByteArray(), kKindBoolean, 0, 0, 0);
    return out;
}

bool TskThemeFileWriter::SaveToFile(const QString& fileName, QString* error) const {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    const QByteArray data = Data();
    if (file.write(data) != data.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
