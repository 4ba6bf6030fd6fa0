#pragma once

#include "components/AudioBlock.h"
#include "components/AudioFileLink.h"
#include "components/TAudioFile2LameEnc.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class TAudioFileLink;
class AudioDecoder;
class AudioEncoder;
class SampleConverter;

// Reads, encodes and writes one audio file at a time: WAV (PCM 8/16 bit), MP3 (LAME), OGG Vorbis
// and WMA (wmav2 in ASF). Reading decodes anything FFmpeg reads.
//
// Units: a position is one sample frame (one sample of every channel). GetLength and Seek count in
// frames; ReadArray(count) reads `count` frames and returns count x GetElementsPerPosition()
// interleaved 16-bit elements (fewer at the end of the file, none after it). The count is in frames
// because that is how every caller counts what it reads back (the splitter seeks by it, the
// converter divides the element count by GetElementsPerPosition). GetSampleFormat1 is
// the sample rate and GetSampleFormat2 the channel count of the open file (or of the output format
// when writing); callers pass both on unchanged, in that order.
//
// Errors: OpenRead and CreateWrite do not raise; they set GetLastError (0 = success) and leave the
// object closed. Every other failing operation raises ComponentError (Close too, when finishing a
// written file fails; the object is closed all the same). Close is harmless when nothing is open
// and may be called any number of times.
//
// All operations are serialised by an internal lock, so a producer may write through the object
// from a worker thread (ConnectTo) while the window reads GetFormatString. The binding to a link
// is atomic and released from either side: destroying the object or the link first is safe.
class TAudioFile2 : public QObject, public AudioSink {
    Q_OBJECT

public:
    enum ErrorCode {
        NoError = 0,
        ErrorOpenRead = 1,   // the file is missing, unreadable, empty or not decodable audio
        ErrorCreateWrite = 2 // the output file or its encoder could not be created
    };
    enum class OutputFormat { Wav, Mp3, Ogg, Wma };

    explicit TAudioFile2(QObject* parent = nullptr);
    ~TAudioFile2() override;
    TAudioFile2(const TAudioFile2&) = delete;
    TAudioFile2& operator=(const TAudioFile2&) = delete;

    // Kept for the callers' sake; reading and writing WMA need no switch here.
    void EnableWMA(int flag);

    // Opens an existing file for reading (callers pass 0, 1 for the two last arguments).
    void OpenRead(const QString& fileName, int mode = 0, int flags = 1);
    // Creates the output file in the format set last (SetWavFormat, SetMp3Format, ...).
    void CreateWrite(const QString& fileName, int mode = 0);
    // Finishes a written file (encoder flush, headers) or closes a read file.
    void Close();

    // Up to `count` frames from the current position; an empty block means the end of the file.
    AudioBlock ReadArray(int count);
    // Encodes and appends a block in the input format (SetInputFormat; else the output format).
    void WriteArray(const AudioBlock& block);
    // Moves the read position to `position` frames (clamped to 0 .. GetLength) and returns the
    // position reached. Every origin counts from the start of the file (callers pass 3).
    int64_t Seek(int64_t position, int origin = 3);

    // Format (sample rate, channel count) of the 16-bit blocks given to WriteArray. Without it the
    // input is taken to be in the output format. May be called before or after CreateWrite.
    void SetInputFormat(int first, int second);

    void SetWavFormat(int frequency, int channels, int bits);
    // Uses the settings of the linked TAudioFile2LameEnc at CreateWrite.
    void SetMp3Format(int frequency, int kbps, int channels);
    // `quality` is a settings-list index x 100 + 99 (0..9, higher is better). The three middle
    // values (128, 0, 0) are accepted and not used: the quality alone sets the encoder.
    void SetOggFormat(int frequency, int channels, int nominal, int minimum, int maximum, int16_t quality);
    // 1-based number of a profile TWMAFile2 reports.
    void SetWmaFormat(int profile);

    // The MP3 encoder settings this object uses; set where the window creates both.
    void SetLameEncoder(TAudioFile2LameEnc* encoder);

    int64_t GetLength() const;
    int GetElementsPerPosition() const;
    // The open file's format; after Close, the last file's. With nothing opened yet, the output
    // format set last; after a failed OpenRead, an empty text.
    QString GetFormatString() const;
    int GetLastError() const;
    // The text of the last failure of OpenRead or CreateWrite (empty after a success).
    QString GetLastErrorText() const;
    int GetSampleFormat1() const;
    int GetSampleFormat2() const;

    // Binds this object to a producer's link: the producer then writes through this object, in the
    // output format set here. nullptr unbinds.
    void ConnectTo(TAudioFileLink* link);

    // AudioSink
    void sinkSetInputFormat(int sampleRate, int channels) override;
    void sinkCreateWrite(const QString& fileName) override;
    void sinkWriteArray(const AudioBlock& block) override;
    void sinkClose() override;
    void sinkLinkReleased(TAudioFileLink* link) override;

private:
    void closeLocked();
    void formatChanged();
    QString outputFormatString() const;

    mutable std::recursive_mutex m_mutex;
    std::unique_ptr<AudioDecoder> m_reader;
    std::unique_ptr<AudioEncoder> m_writer;
    std::unique_ptr<SampleConverter> m_converter; // input format -> output format
    // Written by ConnectTo and by the link itself when it lets go of this object.
    std::atomic<TAudioFileLink*> m_link{nullptr};
    TAudioFile2LameEnc* m_lame = nullptr;

    OutputFormat m_format = OutputFormat::Wav;
    int m_wavRate = 44100, m_wavChannels = 2, m_wavBits = 16;
    int m_mp3Rate = 44100, m_mp3Kbps = 128, m_mp3Channels = 2;
    int m_oggRate = 44100, m_oggChannels = 2, m_oggQuality = 6;
    int m_wmaProfile = 15;
    int m_inputRate = 0, m_inputChannels = 0; // 0: same as the output

    bool m_wmaEnabled = false;
    bool m_readFailed = false; // the last OpenRead failed and nothing was opened or set since
    int m_lastError = NoError;
    QString m_lastErrorText;
    QString m_formatString;
    QString m_writeFileName; // the file m_writer writes
};
