#pragma once

#include <QDateTime>
#include <QString>

// The merge output for the extension `ext` at the time `now`, from the joiner settings:
// JoinPreName, the date (with JoinUseDate) and time, JoinPosName, in JoinOutputPath. Unless
// JoinOverwrite is set, " New" is appended before the extension while such a file exists.
QString JoinerOutputName(const QString& ext, const QDateTime& now);
