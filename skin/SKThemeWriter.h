#pragma once

// Writes theme files (.skn) in the layout the reader expects: the 24-byte header, then each entry
// immediately followed by its data, in the order the entries were added, and a terminator entry.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

class TskThemeFileWriter {
public:
    // A bitmap entry: Data is a complete BMP file.
    void AddBitmap(const QString& key, const QByteArray& data);
    void AddInt(const QString& key, int32_t value);
    void AddBool(const QString& key, bool value);
    void AddString(const QString& key, const QByteArray& text);

    // The whole file. Keys longer than 63 characters are cut (the key field holds 64 bytes with a
    // terminating zero).
    QByteArray Data() const;
    // Writes the file through a save file, so a failed write leaves no half-written file behind.
    // False with Error set when it could not be written.
    bool SaveToFile(const QString& fileName, QString* error = nullptr) const;

private:
    struct Entry {
        QByteArray key;
        uint8_t kind;
        QByteArray data;
    };
    QList<Entry> m_entries;
};
