#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// The error a refused write raises: "Unable to write to <file>".
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const QString& fileName);
    QString fileName() const { return m_fileName; }

private:
    QString m_fileName;
};

// A settings ("profile") file of [Section] headers and key=value lines, read and written key by
// key. Every read looks at the file as it is now and every write reaches the file before the call
// returns, so two objects (or two programs) on one file see each other's changes. Sections and keys
// are compared without regard to case; the file keeps its order, its comments and its line endings.
// Files are written as UTF-8; a file that is not valid UTF-8 (written on another system) is read as
// Latin-1, so no byte is lost.
//
// A write reaches the disk before the old file is replaced; any failure (a full disk, a folder or
// file that refuses it, a settings file that is not a regular file or cannot be read) raises
// ProfileWriteError and leaves the old file whole. A section, key or value with a line break, a key
// with "=" (or empty, or starting like a comment or section) and a section with "]" cannot be
// written as a line that reads back as written: they are refused with the same error. A name that
// is not a regular file reads as an empty file (no wait on a pipe or device).
class ProfileFile {
public:
    explicit ProfileFile(QString fileName);

    const QString& fileName() const { return m_fileName; }

    // The value as it stands after the "=", with blanks round it removed; `def` when the key is missing.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    // Decimal, or hexadecimal after "0x"/"0X"; any text that is not a whole number gives `def`.
    int readInteger(const QString& section, const QString& key, int def) const;
    // Any non-zero integer is true; a missing key or a non-number gives `def`.
    bool readBool(const QString& section, const QString& key, bool def) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    // Written as "1" or "0".
    void writeBool(const QString& section, const QString& key, bool value);

    // Removes the section header and all its lines.
    void eraseSection(const QString& section);
    // Removes one key.
    void deleteKey(const QString& section, const QString& key);

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList readSection(const QString& section) const; // the keys, in file order
    QStringList readSections() const;

    // Integer parsing shared with callers that convert texts the same way.
    static bool parseInteger(const QString& text, int& value);

private:
    struct Document;
    Document load() const;
    void save(const Document& doc) const;

    QString m_fileName;
};
