#pragma once

#include "components/AudioBlock.h"

#include <QString>

#include <cstdint>
#include <memory>

// Decodes one audio file with FFmpeg into interleaved 16-bit blocks at the file's own sample rate,
// mono or stereo (files with more channels are mixed down to stereo).
//
// Positions are sample frames counted from the first frame the decoder delivers (encoder delay
// that the file declares is already skipped by FFmpeg). The constructor checks that the file
// really decodes (the first audio frame is decoded) and raises ComponentError with a readable text
// otherwise.
//
// The length is that of the audio that decodes: a header that claims more than a file cut short
// holds is checked against the file's end, damaged time stamps are not believed, and a chained Ogg
// file (one stream after another) counts, reads and seeks through all of its links. A damaged
// packet is skipped and reading goes on after it.
class AudioDecoder {
public:
    explicit AudioDecoder(const QString& fileName);
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    int sampleRate() const;
    int channels() const;   // channels of the delivered blocks: 1 or 2
    int64_t length() const; // frames
    int64_t durationMs() const;
    QString formatString() const;
    int64_t position() const;

    // Up to `frames` frames; an empty block at the end of the stream or after a read error.
    AudioBlock read(int64_t frames);
    // Moves to `frame` (clamped to 0 .. length) and returns the position reached.
    int64_t seek(int64_t frame);

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};
