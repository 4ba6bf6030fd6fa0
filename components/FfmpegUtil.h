#pragma once

#include <QByteArray>
#include <QString>

// Small helpers shared by the FFmpeg-based file units.
QString ffmpegErrorText(int errorCode);
// "mono", "stereo" or "<n> channels".
QString channelText(int channels);
// FFmpeg's own log stays quiet: failures reach the caller as exceptions with their own text.
void quietFfmpegLog();
// The "file:" address FFmpeg opens for a local file name, so that a name with a colon is never
// taken for another protocol.
QByteArray ffmpegFileUrl(const QString& fileName);
// True when the name is an existing regular file (not a folder, pipe or device).
bool isRegularFile(const QString& fileName);
