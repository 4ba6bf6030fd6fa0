#include "components/TAudioFile2.h"

#include "components/AudioDecoder.h"
#include "components/AudioEncoder.h"
#include "components/ComponentError.h"
#include "components/FfmpegUtil.h"
#include "components/WmaProfiles.h"
#include "platform/FileNames.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

bool validRate(int rate) {
    return rate >= 8000 && rate <= 192000;
}
// Blocks written may come from any file the reader opens (the converter passes the source's
// format on), so the input takes every rate the resampler converts in sensible bounds.
bool validInputRate(int rate) {
    return rate >= 1000 && rate <= 768000;
}
bool validChannels(int channels) {
    return channels == 1 || channels == 2;
}

} // namespace

TAudioFile2::TAudioFile2(QObject* parent) : QObject(parent) {}

TAudioFile2::~TAudioFile2() {
    if (TAudioFileLink* link = m_link.exchange(nullptr)) link->disconnect(this);
    try {
        Close();
    } catch (const ComponentError&) {
        // Nothing can report a failure here; the file keeps what was written.
    }
}

void TAudioFile2::EnableWMA(int flag) {
    std::lock_guard lock(m_mutex);
    m_wmaEnabled = flag != 0;
}

void TAudioFile2::OpenRead(const QString& fileName, int, int) {
    std::lock_guard lock(m_mutex);
    closeLocked();
    try {
        m_reader = std::make_unique<AudioDecoder>(fileName);
        m_lastError = NoError;
        m_lastErrorText.clear();
        m_formatString = m_reader->formatString();
        m_readFailed = false;
    } catch (const ComponentError& e) {
        m_reader.reset();
        m_lastError = ErrorOpenRead;
        m_lastErrorText = e.message();
        // Nothing is open: no format is described, neither an earlier file's nor the output's.
        m_formatString.clear();
        m_readFailed = true;
    }
}

void TAudioFile2::CreateWrite(const QString& fileName, int) {
    std::lock_guard lock(m_mutex);
    closeLocked();
    try {
        // Only regular files are written (and removed again when creating fails): never a device,
        // a pipe or a folder.
        if (FileExists(fileName) && !isRegularFile(fileName))
            throw ComponentError(
                QStringLiteral("Cannot create \"%1\": it is not a regular file").arg(fileName));
        switch (m_format) {
        case OutputFormat::Wav:
            m_writer = createWavEncoder(fileName, m_wavRate, m_wavChannels, m_wavBits);
            break;
        case OutputFormat::Mp3:
            m_writer = createMp3Encoder(fileName, m_mp3Rate, m_mp3Kbps, m_mp3Channels,
                                        m_lame ? m_lame->settings() : TAudioFile2LameEnc::Settings{});
            break;
        case OutputFormat::Ogg:
            m_writer = createOggEncoder(fileName, m_oggRate, m_oggChannels, m_oggQuality);
            break;
        case OutputFormat::Wma: {
            const WmaProfile* p = findWmaProfile(m_wmaProfile);
            if (!p)
                throw ComponentError(QStringLiteral("Cannot create \"%1\": there is no WMA profile %2")
                                         .arg(fileName)
                                         .arg(m_wmaProfile));
            m_writer = createWmaEncoder(fileName, p->sampleRate, p->channels, p->kbps);
            break;
        }
        }
        m_lastError = NoError;
        m_lastErrorText.clear();
        m_formatString = outputFormatString();
        m_readFailed = false;
        m_writeFileName = fileName;
    } catch (const ComponentError& e) {
        m_writer.reset();
        m_lastError = ErrorCreateWrite;
        m_lastErrorText = e.message();
        // The description is of the format that was to be written, not of an earlier file.
        m_formatString.clear();
        m_readFailed = false;
    }
}

void TAudioFile2::Close() {
    std::lock_guard lock(m_mutex);
    closeLocked();
}

void TAudioFile2::closeLocked() {
    m_reader.reset();
    if (!m_writer) return;
    std::unique_ptr<AudioEncoder> writer = std::move(m_writer);
    std::unique_ptr<SampleConverter> converter = std::move(m_converter);
    try {
        if (converter) converter->flush(*writer);
        writer->finish();
    } catch (const ComponentError&) {
        // Finishing failed (a full disk): a file that did not get a single byte is no recording,
        // only an empty name in the folder; it goes. A file that holds audio stays playable.
        writer.reset();
        if (isRegularFile(m_writeFileName) && FileSize(m_writeFileName) == 0) RemoveFile(m_writeFileName);
        throw;
    }
}

AudioBlock TAudioFile2::ReadArray(int count) {
    std::lock_guard lock(m_mutex);
    if (!m_reader) return AudioBlock({}, GetElementsPerPosition());
    // `count` is in frames: the block holds count x GetElementsPerPosition() elements.
    return m_reader->read(count);
}

void TAudioFile2::WriteArray(const AudioBlock& block) {
    std::lock_guard lock(m_mutex);
    if (!m_writer) throw ComponentError(QStringLiteral("No audio file is open for writing"));
    int inRate = m_inputRate > 0 ? m_inputRate : m_writer->sampleRate();
    int inChannels = m_inputChannels > 0 ? m_inputChannels : m_writer->channels();
    const int64_t frames = int64_t(block.samples.size()) / inChannels;
    if (frames <= 0) return;
    if (inRate == m_writer->sampleRate() && inChannels == m_writer->channels()) {
        if (m_converter) {
            m_converter->flush(*m_writer);
            m_converter.reset();
        }
        m_writer->write(block.samples.data(), frames);
        return;
    }
    if (!m_converter || m_converter->inRate() != inRate || m_converter->inChannels() != inChannels) {
        if (m_converter) m_converter->flush(*m_writer);
        m_converter.reset();
        m_converter = std::make_unique<SampleConverter>(inRate, inChannels, m_writer->sampleRate(),
                                                        m_writer->channels());
    }
    m_converter->convert(block.samples.data(), frames, *m_writer);
}

int64_t TAudioFile2::Seek(int64_t position, int) {
    std::lock_guard lock(m_mutex);
    if (!m_reader) return 0;
    return m_reader->seek(position);
}

void TAudioFile2::SetInputFormat(int first, int second) {
    std::lock_guard lock(m_mutex);
    if (!validInputRate(first) || second < 1 || second > 8)
        throw ComponentError(
            QStringLiteral("Unsupported input format: %1 Hz, %2").arg(first).arg(channelText(second)));
    m_inputRate = first;
    m_inputChannels = second;
}

// With nothing open, the description follows the new output format; an open file keeps its own.
void TAudioFile2::formatChanged() {
    if (!m_reader && !m_writer) {
        m_formatString.clear();
        m_readFailed = false;
    }
}

void TAudioFile2::SetWavFormat(int frequency, int channels, int bits) {
    std::lock_guard lock(m_mutex);
    if (!validRate(frequency) || !validChannels(channels) || (bits != 8 && bits != 16))
        throw ComponentError(QStringLiteral("Unsupported WAV format: %1 Hz, %2, %3 bit")
                                 .arg(frequency)
                                 .arg(channelText(channels))
                                 .arg(bits));
    m_format = OutputFormat::Wav;
    formatChanged();
    m_wavRate = frequency;
    m_wavChannels = channels;
    m_wavBits = bits;
}

void TAudioFile2::SetMp3Format(int frequency, int kbps, int channels) {
    std::lock_guard lock(m_mutex);
    if (!validRate(frequency) || !validChannels(channels) || kbps < 8 || kbps > 320)
        throw ComponentError(QStringLiteral("Unsupported MP3 format: %1 Hz, %2 kbps, %3")
                                 .arg(frequency)
                                 .arg(kbps)
                                 .arg(channelText(channels)));
    m_format = OutputFormat::Mp3;
    formatChanged();
    m_mp3Rate = frequency;
    m_mp3Kbps = kbps;
    m_mp3Channels = channels;
}

void TAudioFile2::SetOggFormat(int frequency, int channels, int, int, int, int16_t quality) {
    std::lock_guard lock(m_mutex);
    if (!validRate(frequency) || !validChannels(channels))
        throw ComponentError(
            QStringLiteral("Unsupported OGG format: %1 Hz, %2").arg(frequency).arg(channelText(channels)));
    m_format = OutputFormat::Ogg;
    formatChanged();
    m_oggRate = frequency;
    m_oggChannels = channels;
    // The settings list stores index x 100 + 99; the index is the Vorbis quality (oggenc's -q).
    m_oggQuality = std::clamp((int(quality) - 99 + 50) / 100, 0, 9);
    if (quality < 99) m_oggQuality = 0;
}

void TAudioFile2::SetWmaFormat(int profile) {
    std::lock_guard lock(m_mutex);
    wmaProfile(profile); // raises for a number outside the list
    m_format = OutputFormat::Wma;
    formatChanged();
    m_wmaProfile = profile;
}

void TAudioFile2::SetLameEncoder(TAudioFile2LameEnc* encoder) {
    std::lock_guard lock(m_mutex);
    m_lame = encoder;
}

int64_t TAudioFile2::GetLength() const {
    std::lock_guard lock(m_mutex);
    return m_reader ? m_reader->length() : 0;
}

int TAudioFile2::GetElementsPerPosition() const {
    std::lock_guard lock(m_mutex);
    return GetSampleFormat2();
}

QString TAudioFile2::GetFormatString() const {
    std::lock_guard lock(m_mutex);
    if (m_reader || m_writer) return m_formatString;
    if (m_readFailed) return {};
    return m_formatString.isEmpty() ? outputFormatString() : m_formatString;
}

int TAudioFile2::GetLastError() const {
    std::lock_guard lock(m_mutex);
    return m_lastError;
}

QString TAudioFile2::GetLastErrorText() const {
    std::lock_guard lock(m_mutex);
    return m_lastErrorText;
}

int TAudioFile2::GetSampleFormat1() const {
    std::lock_guard lock(m_mutex);
    if (m_reader) return m_reader->sampleRate();
    switch (m_format) {
    case OutputFormat::Wav:
        return m_wavRate;
    case OutputFormat::Mp3:
        return m_mp3Rate;
    case OutputFormat::Ogg:
        return m_oggRate;
    case OutputFormat::Wma: {
        const WmaProfile* p = findWmaProfile(m_wmaProfile);
        return p ? p->sampleRate : 44100;
    }
    }
    return 44100;
}

int TAudioFile2::GetSampleFormat2() const {
    std::lock_guard lock(m_mutex);
    if (m_reader) return m_reader->channels();
    switch (m_format) {
    case OutputFormat::Wav:
        return m_wavChannels;
    case OutputFormat::Mp3:
        return m_mp3Channels;
    case OutputFormat::Ogg:
        return m_oggChannels;
    case OutputFormat::Wma: {
        const WmaProfile* p = findWmaProfile(m_wmaProfile);
        return p ? p->channels : 2;
    }
    }
    return 2;
}

QString TAudioFile2::outputFormatString() const {
    switch (m_format) {
    case OutputFormat::Wav:
        return QStringLiteral("PCM, %1 Hz, %2 bit, %3")
            .arg(m_wavRate)
            .arg(m_wavBits)
            .arg(channelText(m_wavChannels));
    case OutputFormat::Mp3: {
        TAudioFile2LameEnc::Settings s = m_lame ? m_lame->settings() : TAudioFile2LameEnc::Settings{};
        if (s.constantBitRate)
            return QStringLiteral("MPEG Layer-3, %1 Hz, %2 kbps, %3")
                .arg(m_mp3Rate)
                .arg(m_mp3Kbps)
                .arg(channelText(m_mp3Channels));
        return QStringLiteral("MPEG Layer-3, %1 Hz, VBR quality %2, max %3 kbps, %4")
            .arg(m_mp3Rate)
            .arg(s.vbrQuality)
            .arg(s.maxBitRate)
            .arg(channelText(m_mp3Channels));
    }
    case OutputFormat::Ogg:
        return QStringLiteral("Ogg Vorbis, %1 Hz, quality %2, %3")
            .arg(m_oggRate)
            .arg(m_oggQuality)
            .arg(channelText(m_oggChannels));
    case OutputFormat::Wma: {
        const WmaProfile* w = findWmaProfile(m_wmaProfile);
        if (!w) return QStringLiteral("Windows Media Audio 2");
        return QStringLiteral("Windows Media Audio 2, %1 Hz, %2 kbps, %3")
            .arg(w->sampleRate)
            .arg(w->kbps)
            .arg(channelText(w->channels));
    }
    }
    return {};
}

void TAudioFile2::ConnectTo(TAudioFileLink* link) {
    TAudioFileLink* old = m_link.exchange(link);
    if (old && old != link) old->disconnect(this);
    if (link) link->connect(this);
}

void TAudioFile2::sinkLinkReleased(TAudioFileLink* link) {
    m_link.compare_exchange_strong(link, nullptr);
}

void TAudioFile2::sinkSetInputFormat(int sampleRate, int channels) {
    SetInputFormat(sampleRate, channels);
}

void TAudioFile2::sinkCreateWrite(const QString& fileName) {
    std::lock_guard lock(m_mutex);
    CreateWrite(fileName, 0);
    if (m_lastError != NoError) throw ComponentError(m_lastErrorText);
}

void TAudioFile2::sinkWriteArray(const AudioBlock& block) {
    WriteArray(block);
}

void TAudioFile2::sinkClose() {
    Close();
}
