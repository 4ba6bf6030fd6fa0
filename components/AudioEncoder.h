#pragma once

#include "components/FfmpegUtil.h"
#include "components/TAudioFile2LameEnc.h"

#include <QString>

#include <cstdint>
#include <memory>

// Writes one output file from interleaved 16-bit samples in the file's own format (sample rate and
// channel count). Every encoder streams its output to the file block by block, so a file whose
// writer dies keeps what was written up to the last block.
//
// The factories raise ComponentError when the encoder or the file cannot be created; a file they
// created is removed again then. write and finish raise ComponentError when writing fails.
class AudioEncoder {
public:
    virtual ~AudioEncoder() = default;
    virtual void write(const int16_t* samples, int64_t frames) = 0;
    // Flushes the encoder and completes the file's headers; the file is closed afterwards.
    virtual void finish() = 0;
    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }

protected:
    int m_rate = 44100;
    int m_channels = 2;
};

std::unique_ptr<AudioEncoder> createWavEncoder(const QString& fileName, int rate, int channels, int bits);
std::unique_ptr<AudioEncoder> createMp3Encoder(const QString& fileName, int rate, int kbps, int channels,
                                               const TAudioFile2LameEnc::Settings& settings);
// `quality` 0..9 on oggenc's scale.
std::unique_ptr<AudioEncoder> createOggEncoder(const QString& fileName, int rate, int channels, int quality);
std::unique_ptr<AudioEncoder> createWmaEncoder(const QString& fileName, int rate, int channels, int kbps);

// Converts 16-bit interleaved audio from one sample rate and channel count to another.
class SampleConverter {
public:
    SampleConverter(int inRate, int inChannels, int outRate, int outChannels);
    ~SampleConverter();
    SampleConverter(const SampleConverter&) = delete;
    SampleConverter& operator=(const SampleConverter&) = delete;
    // Converts `frames` input frames and passes the result to `encoder`.
    void convert(const int16_t* samples, int64_t frames, AudioEncoder& encoder);
    // Passes what the resampler still holds to `encoder`.
    void flush(AudioEncoder& encoder);
    int inRate() const { return m_inRate; }
    int inChannels() const { return m_inChannels; }

private:
    ResamplerPtr m_swr;
    int m_inRate, m_inChannels, m_outRate, m_outChannels;
};
