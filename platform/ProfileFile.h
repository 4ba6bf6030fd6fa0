#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

// The error a refused write raises: "Unable to write to <file>".
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const QString& fileName);
    QString fileName() const { return m_fileName; }

private:
    QString m_fileName;
};

// The text of a settings file held in memory: [Section] headers and key=value lines, looked up and
// changed key by key without touching the disk. Sections and keys are compared without regard to
// case; the text keeps its order, its comments and its line endings. Lookups go through an index of
// the sections and keys built once (again after a line is added or removed), so reading every key
// of a file costs time in proportion to the file, not to its square.
//
// A section, key or value with a line break, a key with "=" (or empty, or starting like a comment
// or section) and a section with "]" cannot be written as a line that reads back as written: they
// are refused with ProfileWriteError naming the text's file.
class ProfileText {
public:
    ProfileText() = default;

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
    // The section holds exactly these keys, in this order: it keeps its place in the text, or is
    // added at the end when new. All are checked before anything changes.
    void replaceSection(const QString& section, const QList<std::pair<QString, QString>>& keys);

    // Removes the section header and all its lines.
    void eraseSection(const QString& section);
    // Removes one key.
    void deleteKey(const QString& section, const QString& key);

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList readSection(const QString& section) const; // the keys, in file order
    QStringList readSections() const;
    // False when the file was there but could not be read (ProfileFile::readable).
    bool readable() const { return m_readable; }

private:
    friend class ProfileFile;
    struct Index;
    const Index& index() const;
    void changedLines() { m_index.reset(); }
    qsizetype findKey(const QString& section, const QString& key) const;
    [[noreturn]] void refuse() const;

    QString m_fileName;
    QStringList m_lines;
    QString m_eol = QStringLiteral("\n");
    bool m_readable = true; // false: the file is there but could not be read
    mutable std::shared_ptr<const Index> m_index;
};

// A settings ("profile") file. `read` takes the whole file once and `write` puts a whole text back
// once; `edit` does both around a change made in memory. The key-by-key calls below read or
// rewrite the whole file each time, so two objects (or two programs) on one file see each other's
// changes; code that reads or writes many keys takes the text once instead. Files are written as
// UTF-8; a file that is not valid UTF-8 (written on another system) is read as Latin-1, so no byte
// is lost.
//
// A write reaches the disk before the old file is replaced: the new text goes to a new file, is
// synced and renamed over the old one, so a kill or a crash at any moment leaves the old file or
// the new one, whole. Any failure (a full disk, a folder or file that refuses it, a settings file
// that is not a regular file or cannot be read) raises ProfileWriteError and leaves the old file
// whole. A name that is not a regular file reads as an empty file (no wait on a pipe or device).
class ProfileFile {
public:
    // False when the file is there but cannot be read (a folder, a pipe, a file refused to us): its
    // keys then read as missing, and a write to it is refused.
    bool readable() const;

    explicit ProfileFile(QString fileName);

    const QString& fileName() const { return m_fileName; }

    // The whole file, read once.
    ProfileText read() const;
    // The whole text written once, in place of the file.
    void write(const ProfileText& text);
    // Reads the file, lets `change` edit it in memory and writes it once. Nothing is written when
    // `change` throws.
    void edit(const std::function<void(ProfileText&)>& change);

    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    void eraseSection(const QString& section);
    void deleteKey(const QString& section, const QString& key);

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList readSection(const QString& section) const;
    QStringList readSections() const;

    // Integer parsing shared with callers that convert texts the same way.
    static bool parseInteger(const QString& text, int& value);

private:
    QString m_fileName;
};
