#pragma once

// Theme files (.skn): a 24-byte header and a chain of 77-byte named entries, each followed by its
// data (a whole BMP file, a 32-bit integer, a flag byte or a text). The reader keeps the whole file
// in memory; element lookups never touch the file again.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <stdexcept>

// The error the skin library raises: an invalid or damaged theme file, or a misuse reported with a
// fixed text. The text is what the user sees in the application's error box.
class ESkinError : public std::runtime_error {
public:
    explicit ESkinError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

namespace ThemeFileFormat {
constexpr char kSignature[] = "ZEVAvev_TB"; // 10 characters, followed by two zero bytes
constexpr int kSignatureSize = 12;
constexpr int kHeaderSize = 24;
constexpr int kEntrySize = 77;
constexpr int kKeySize = 64;
// Entry kinds as the file numbers them.
constexpr uint8_t kKindBitmap = 0;
constexpr uint8_t kKindInteger = 1;
constexpr uint8_t kKindBoolean = 2;
constexpr uint8_t kKindString = 3;
// Theme files are a few tens of kilobytes; anything beyond this is refused rather than read whole.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
} // namespace ThemeFileFormat

// True only when the file can be opened and read and its first 12 bytes, up to the first zero
// byte, are exactly "ZEVAvev_TB". Never raises.
bool IsValidThemeFile(const QString& fileName);
// The same test on bytes already in memory.
bool IsValidThemeData(const QByteArray& data);

class TskThemeFileReader {
public:
    // Reads the whole file and follows its entry chain. Raises ESkinError when the file cannot be
    // opened or read, or when the header or any entry points outside the file.
    explicit TskThemeFileReader(const QString& fileName);
    // The same from bytes in memory (an embedded theme).
    static TskThemeFileReader FromData(const QByteArray& data);

    // The first bitmap entry with this key (without regard to case): the complete BMP file bytes,
    // or an empty array when there is none. The bytes are shared with the reader, not copied.
    QByteArray GetBitmap(const QString& key) const;
    // The first integer entry with this key; -1 when there is none.
    int32_t GetInt(const QString& key) const;
    // The low byte of the first boolean entry with this key, non-zero = True; False when none.
    bool GetBool(const QString& key) const;

    // The lists as read, in file order ("key=value" lines for integers, flags and texts).
    QStringList BitmapKeys() const;
    const QStringList& IntegerLines() const { return m_ints; }
    const QStringList& BooleanLines() const { return m_bools; }
    const QStringList& StringLines() const { return m_strings; }

private:
    TskThemeFileReader() = default;
    void Load(const QByteArray& data);

    struct BitmapEntry {
        QString key;
        qsizetype offset;
        qsizetype size;
    };
    QByteArray m_data; // the whole file; bitmap entries are ranges of it
    QList<BitmapEntry> m_bitmaps;
    QStringList m_ints;
    QStringList m_bools;
    QStringList m_strings;
};
