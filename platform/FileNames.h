#pragma once

#include <QByteArray>
#include <QString>

// File names are bytes; the file system does not promise they are UTF-8. The suite carries them in
// QString as text that keeps every byte: valid UTF-8 is decoded as usual, and each byte of a
// sequence that is not valid UTF-8 becomes the lone surrogate U+DC00 + byte (U+DC80..U+DCFF), which
// no valid name can hold. Qt's own file-name conversion (QFile::encodeName) does not keep such
// bytes, so every name that reaches a file-system call goes through FileNameBytes.

// The text of a name read from the file system (a folder entry, a path).
QString FileNameText(const QByteArray& bytes);
// The bytes of a name given by FileNameText (or of any text: ordinary text is UTF-8).
QByteArray FileNameBytes(const QString& text);
// The name as the windows show it: every byte that is not UTF-8 is the replacement character.
QString ShownFileName(const QString& text);

// The longest file name, in bytes, that `folder` takes: what the folder's file system says, never
// more than NAME_MAX.
qsizetype NameLimit(const QString& folder);
// `name` cut to at most `bytes` bytes of its FileNameBytes, never inside a character (a kept byte
// that is not UTF-8 counts as one).
QString CutFileName(const QString& name, qsizetype bytes);
// A hidden name in `folder` (ending in "/", or empty for the working folder) for a file that stands
// for `name` while it is written: "." + name + tail, where the copy of `name` is shortened so that
// the whole fits the folder's limit however long `name` is. `tail` makes it unique.
QString HiddenNameBeside(const QString& folder, const QString& name, const QString& tail);

// File-system calls by such names, following links. FileExists: the name leads to something;
// IsRegularFile: it leads to a plain file; FileSize: the size of the file it leads to, -1 when
// there is none; RemoveFile: removes the name, true when it went.
bool FileExists(const QString& name);
bool IsRegularFile(const QString& name);
qint64 FileSize(const QString& name);
bool RemoveFile(const QString& name);
