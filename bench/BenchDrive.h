#pragma once

// Shared by the CD benchmarks: a disc image as the only drive the CD component lists.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Writes the component's drive-list file naming `cue` under `folder`/config and points
// XDG_CONFIG_HOME there; false when the file cannot be written.
inline bool UseImageAsOnlyDrive(const QString& folder, const QString& cue) {
    const QString config = folder + QStringLiteral("/config");
    QDir().mkpath(config + QStringLiteral("/AudioCDGrabber"));
    QFile list(config + QStringLiteral("/AudioCDGrabber/drives.list"));
    if (!list.open(QIODevice::WriteOnly) || list.write(QFile::encodeName(cue) + '\n') < 0) return false;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    return true;
}
