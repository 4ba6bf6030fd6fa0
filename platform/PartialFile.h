#pragma once

#include <QString>

// A job's output written under a temporary name and renamed into place once it is complete, so
// that a job killed or failed half-way never leaves a short file under the name the user asked for.
namespace PartialFile {

// The name `finalName` is written under until it is complete: a hidden file in the same folder
// (so the final rename stays within one file system), marked with this process's id so that two
// programs writing the same name do not share it. File lists that skip hidden files never show it.
QString TemporaryName(const QString& finalName);

// Renames the complete file `temporaryName` to `finalName`, replacing a file of that name. Gives an
// empty text when it is in place, else why not, naming the file: the written file is gone (its
// folder was removed or renamed meanwhile) or the rename was refused.
QString PutInPlace(const QString& temporaryName, const QString& finalName);

} // namespace PartialFile
