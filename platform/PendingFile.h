#pragma once

#include <QString>

// The output file of a job (a conversion, a merge, a split piece, a ripped track), written under a
// temporary name in its target folder and put in place under its final name only when the job ends
// well (or, where a cancel keeps what was written, on that cancel). A job that is killed midway so
// leaves no short file under a name the file lists take for a finished one; what it leaves is a
// hidden ".<name>.<random>.part" file, which no list shows (the copy of <name> in it shortened
// where the whole would not fit the folder's longest name).
//
// Begin reserves the temporary file (created empty, exclusively, with the permissions a new file
// gets); the job's writer then writes it by TempName. Commit renames it into place; a temporary
// file that is no longer there (its folder was removed or replaced meanwhile) or a rename that
// fails make Commit fail with a message naming the final file. Discard, and the destructor of a
// file neither committed nor discarded, remove the temporary file.
class TPendingFile {
public:
    TPendingFile() = default;
    ~TPendingFile();
    TPendingFile(const TPendingFile&) = delete;
    TPendingFile& operator=(const TPendingFile&) = delete;
    TPendingFile(TPendingFile&& other) noexcept;
    TPendingFile& operator=(TPendingFile&& other) noexcept;

    // Discards any file begun before, then reserves a temporary file beside `finalName`. Empty on
    // success, else "Unable to create <finalName>: <reason>".
    QString Begin(const QString& finalName);
    // Puts the written file in place. With `replace`, a file of the final name is replaced;
    // without it, it is kept and the commit fails. Empty on success, else a message naming the
    // final file; the temporary file is removed either way.
    QString Commit(bool replace);
    // Removes the temporary file (nothing when none is pending).
    void Discard();

    bool Pending() const { return !m_temp.isEmpty(); }
    const QString& TempName() const { return m_temp; }
    const QString& FinalName() const { return m_final; }

private:
    QString m_final;
    QString m_temp;
};
