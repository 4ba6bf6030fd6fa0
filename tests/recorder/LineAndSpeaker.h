#pragma once

#include <QFile>
#include <QString>

// Writes an ALSA configuration into `file` with a capture device "line" that reads `raw`
// (interleaved 16-bit stereo at 44.1 kHz) and a playback device "speaker" that writes into `played`,
// both as the first device either way; false when the file cannot be written.
inline bool WriteLineAndSpeaker(const QString& file, const QString& raw, const QString& played) {
    QFile conf(file);
    if (!conf.open(QIODevice::WriteOnly)) return false;
    conf.write(
        QStringLiteral("pcm.null { type null }\n"
                       "pcm.line { type file slave.pcm null file \"/dev/null\" infile \"%1\" format \"raw\""
                       " hint { show on description \"Test line\" } }\n"
                       "pcm.speaker { type file slave.pcm null file \"%2\" format \"raw\""
                       " hint { show on description \"Test speaker\" } }\n"
                       "pcm.!default { type asym capture.pcm line playback.pcm speaker }\n")
            .arg(raw, played)
            .toUtf8());
    return true;
}
