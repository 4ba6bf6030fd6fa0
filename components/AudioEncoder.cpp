#include "components/AudioEncoder.h"

#include "components/ComponentError.h"
#include "components/FfmpegUtil.h"
#include "platform/FileNames.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <lame/lame.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace {

QString systemError(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// A file written with plain system calls: what write() returned is in the kernel, so it survives
// the death of the process.
class RawFile {
public:
    explicit RawFile(const QString& fileName) : m_name(fileName) {
        QByteArray path = FileNameBytes(fileName);
        m_fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (m_fd < 0)
            throw ComponentError(
                QStringLiteral("Cannot create \"%1\": %2").arg(fileName, systemError(errno)));
    }
    ~RawFile() { close(); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    void write(const void* data, std::size_t size) {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            ssize_t n = ::write(m_fd, p, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                throw ComponentError(QStringLiteral("Cannot write \"%1\": %2")
                                         .arg(m_name, systemError(n < 0 ? errno : ENOSPC)));
            p += n;
            size -= std::size_t(n);
        }
    }
    void writeAt(int64_t offset, const void* data, std::size_t size) {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            ssize_t n = ::pwrite(m_fd, p, size, offset);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                throw ComponentError(QStringLiteral("Cannot write \"%1\": %2")
                                         .arg(m_name, systemError(n < 0 ? errno : ENOSPC)));
            p += n;
            offset += n;
            size -= std::size_t(n);
        }
    }
    void close() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    void discard() {
        close();
        RemoveFile(m_name);
    }
    const QString& name() const { return m_name; }

private:
    QString m_name;
    int m_fd = -1;
};

void putLe32(unsigned char* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
void putLe16(unsigned char* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// ---------------------------------------------------------------------------------------------
// WAV: a canonical 44-byte header whose two sizes are rewritten after every block, so the file is
// a valid WAV file up to the last block at any moment.
class WavEncoder : public AudioEncoder {
public:
    WavEncoder(const QString& fileName, int rate, int channels, int bits) : m_file(fileName), m_bits(bits) {
        m_rate = rate;
        m_channels = channels;
        try {
            unsigned char h[44] = {};
            std::memcpy(h, "RIFF", 4);
            putLe32(h + 4, 36);
            std::memcpy(h + 8, "WAVEfmt ", 8);
            putLe32(h + 16, 16);
            putLe16(h + 20, 1); // PCM
            putLe16(h + 22, uint16_t(channels));
            putLe32(h + 24, uint32_t(rate));
            putLe32(h + 28, uint32_t(rate * channels * bits / 8));
            putLe16(h + 32, uint16_t(channels * bits / 8));
            putLe16(h + 34, uint16_t(bits));
            std::memcpy(h + 36, "data", 4);
            putLe32(h + 40, 0);
            m_file.write(h, sizeof h);
        } catch (...) {
            m_file.discard();
            throw;
        }
    }

    void write(const int16_t* samples, int64_t frames) override {
        if (frames <= 0) return;
        const std::size_t count = std::size_t(frames) * m_channels;
        const std::size_t bytes = count * std::size_t(m_bits / 8);
        // The RIFF sizes are 32-bit: refuse to run past them rather than write a broken file.
        if (m_dataBytes + bytes + 44 + 1 > 0xFFFFFFFFull)
            throw ComponentError(
                QStringLiteral("Cannot write \"%1\": a WAV file cannot grow beyond 4 GB").arg(m_file.name()));
        if (m_bits == 8) {
            m_bytes.resize(count);
            for (std::size_t i = 0; i < count; ++i)
                m_bytes[i] = uint8_t((samples[i] >> 8) + 128);
            m_file.write(m_bytes.data(), count);
        } else {
            m_file.write(samples, bytes); // little-endian host
        }
        m_dataBytes += bytes;
        updateSizes(0);
    }

    void finish() override {
        unsigned pad = m_dataBytes % 2;
        if (pad) {
            const char zero = 0;
            m_file.write(&zero, 1);
        }
        updateSizes(pad);
        m_file.close();
    }

private:
    void updateSizes(unsigned pad) {
        unsigned char v[4];
        putLe32(v, uint32_t(36 + m_dataBytes + pad));
        m_file.writeAt(4, v, 4);
        putLe32(v, uint32_t(m_dataBytes));
        m_file.writeAt(40, v, 4);
    }

    RawFile m_file;
    int m_bits;
    uint64_t m_dataBytes = 0;
    std::vector<uint8_t> m_bytes;
};

// ---------------------------------------------------------------------------------------------
// MP3 through LAME. Frames go to the file as LAME delivers them. With a header LAME reserves the
// first frame, which is rewritten with the final tag after the flush: "Info" for CBR (always),
// "Xing" for VBR (when asked for). The tag's LAME part holds the encoder delay and padding, so
// decoders drop them and give back exactly the samples encoded.
struct LameClose {
    void operator()(lame_global_flags* gf) const { lame_close(gf); }
};

class Mp3Encoder : public AudioEncoder {
public:
    Mp3Encoder(const QString& fileName, int rate, int kbps, int channels,
               const TAudioFile2LameEnc::Settings& s)
        : m_name(fileName), m_gf(lame_init()) {
        m_rate = rate;
        m_channels = channels;
        if (!m_gf)
            throw ComponentError(
                QStringLiteral("Cannot create \"%1\": the MP3 encoder cannot start").arg(fileName));
        lame_set_in_samplerate(gf(), rate);
        lame_set_out_samplerate(gf(), rate);
        lame_set_num_channels(gf(), channels);
        lame_set_mode(gf(), channels == 1 ? MONO : JOINT_STEREO);
        lame_set_quality(gf(), std::clamp(s.quality, 0, 9));
        if (s.constantBitRate) {
            lame_set_VBR(gf(), vbr_off);
            lame_set_brate(gf(), kbps);
            m_header = true;
        } else {
            lame_set_VBR(gf(), s.vbrMode == 0 ? vbr_mtrh : vbr_rh);
            lame_set_VBR_quality(gf(), float(std::clamp(s.vbrQuality, 0, 9)));
            lame_set_VBR_max_bitrate_kbps(gf(), s.maxBitRate);
            m_header = s.writeVbrHeader;
        }
        lame_set_bWriteVbrTag(gf(), m_header ? 1 : 0);
        if (lame_init_params(gf()) < 0) {
            throw ComponentError(
                QStringLiteral("Cannot create \"%1\": the MP3 encoder does not accept %2 Hz, %3 kbps, %4")
                    .arg(fileName)
                    .arg(rate)
                    .arg(kbps)
                    .arg(channelText(channels)));
        }
        m_file = std::make_unique<RawFile>(fileName);
    }

    void write(const int16_t* samples, int64_t frames) override {
        while (frames > 0) {
            int n = int(std::min<int64_t>(frames, 65536));
            m_out.resize(std::size_t(n) * 5 / 4 + 7200);
            int bytes;
            if (m_channels == 2) {
                bytes = lame_encode_buffer_interleaved(gf(), const_cast<short*>(samples), n, m_out.data(),
                                                       int(m_out.size()));
            } else {
                bytes = lame_encode_buffer(gf(), samples, samples, n, m_out.data(), int(m_out.size()));
            }
            if (bytes < 0)
                throw ComponentError(QStringLiteral("Cannot write \"%1\": the MP3 encoder failed (%2)")
                                         .arg(m_name)
                                         .arg(bytes));
            m_file->write(m_out.data(), std::size_t(bytes));
            samples += std::size_t(n) * m_channels;
            frames -= n;
        }
    }

    void finish() override {
        m_out.resize(16384);
        int bytes = lame_encode_flush(gf(), m_out.data(), int(m_out.size()));
        if (bytes > 0) m_file->write(m_out.data(), std::size_t(bytes));
        if (m_header) {
            std::size_t n = lame_get_lametag_frame(gf(), m_out.data(), m_out.size());
            if (n > 0 && n <= m_out.size()) m_file->writeAt(0, m_out.data(), n);
        }
        m_file->close();
    }

private:
    lame_global_flags* gf() const { return m_gf.get(); }

    QString m_name;
    std::unique_ptr<lame_global_flags, LameClose> m_gf;
    std::unique_ptr<RawFile> m_file;
    std::vector<unsigned char> m_out;
    bool m_header = false;
};

// ---------------------------------------------------------------------------------------------
// OGG Vorbis and WMA through FFmpeg's encoders and muxers. The output is flushed to the file after
// every block.
class FfmpegEncoder : public AudioEncoder {
public:
    enum Kind { Ogg, Wma };

    FfmpegEncoder(const QString& fileName, Kind kind, int rate, int channels, int value)
        : m_name(fileName), m_kind(kind) {
        m_rate = rate;
        m_channels = channels;
        try {
            open(kind, value);
        } catch (...) {
            bool created = m_created;
            release();
            if (created) RemoveFile(m_name);
            throw;
        }
    }

    void write(const int16_t* samples, int64_t frames) override {
        // Samples go straight into the frame being filled, as the codec's planar floats.
        const int64_t blockFrames = frames;
        while (frames > 0) {
            if (m_filled == 0) prepareFrame();
            int n = int(std::min<int64_t>(frames, m_frameSize - m_filled));
            for (int c = 0; c < m_channels; ++c) {
                float* dst = reinterpret_cast<float*>(m_frame->extended_data[c]) + m_filled;
                const int16_t* src = samples + c;
                for (int i = 0; i < n; ++i)
                    dst[i] = float(src[std::size_t(i) * std::size_t(m_channels)]) * (1.0f / 32768.0f);
            }
            m_filled += n;
            samples += std::size_t(n) * std::size_t(m_channels);
            frames -= n;
            if (m_filled == m_frameSize) sendFilled(m_frameSize);
        }
        // Ogg pages are closed at the end of a block once a quarter of a second has gathered (the
        // muxer alone closes one a second), so a writer that dies leaves nearly all its audio in
        // the file, and producers of tiny blocks do not fill the file with page headers.
        m_sincePage += blockFrames;
        if (m_kind == Ogg && m_sincePage >= m_rate / 4) {
            m_sincePage = 0;
            if (av_write_frame(m_oc.get(), nullptr) < 0)
                fail(QStringLiteral("the page could not be written"));
        }
        avio_flush(m_oc->pb);
        if (m_oc->pb->error < 0) fail(ffmpegErrorText(m_oc->pb->error));
    }

    void finish() override {
        if (m_filled > 0) sendFilled(m_padLastFrame ? m_frameSize : m_filled);
        // A decoder of a codec without encoder delay (wmav2) gives out each frame one packet late:
        // one frame of silence after the end lets the last real frame come out whole.
        if (!(m_ctx->codec->capabilities & AV_CODEC_CAP_DELAY)) {
            prepareFrame();
            sendFilled(m_frameSize);
        }
        sendFrame(nullptr);
        int r = av_write_trailer(m_oc.get());
        if (r < 0) fail(ffmpegErrorText(r));
        r = avio_closep(&m_oc->pb);
        if (r < 0) fail(ffmpegErrorText(r));
        release();
    }

private:
    [[noreturn]] void fail(const QString& what) const {
        throw ComponentError(QStringLiteral("Cannot write \"%1\": %2").arg(m_name, what));
    }

    void open(Kind kind, int value) {
        quietFfmpegLog();
        const char* muxer = kind == Ogg ? "ogg" : "asf";
        const char* encoder = kind == Ogg ? "libvorbis" : "wmav2";
        QByteArray path = ffmpegFileUrl(m_name);
        AVFormatContext* oc = nullptr;
        const int made = avformat_alloc_output_context2(&oc, nullptr, muxer, path.constData());
        m_oc.reset(oc);
        if (made < 0 || !m_oc)
            throw ComponentError(
                QStringLiteral("Cannot create \"%1\": no %2 writer").arg(m_name, QString::fromLatin1(muxer)));
        const AVCodec* codec = avcodec_find_encoder_by_name(encoder);
        if (!codec)
            throw ComponentError(QStringLiteral("Cannot create \"%1\": no %2 encoder")
                                     .arg(m_name, QString::fromLatin1(encoder)));
        m_ctx.reset(avcodec_alloc_context3(codec));
        if (!m_ctx) throw ComponentError(QStringLiteral("Cannot create \"%1\": out of memory").arg(m_name));
        m_ctx->sample_rate = m_rate;
        av_channel_layout_default(&m_ctx->ch_layout, m_channels);
        m_ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
        m_ctx->time_base = AVRational{1, m_rate};
        if (kind == Ogg) {
            m_ctx->flags |= AV_CODEC_FLAG_QSCALE;
            m_ctx->global_quality = value * FF_QP2LAMBDA;
        } else {
            m_ctx->bit_rate = int64_t(value) * 1000;
        }
        if (m_oc->oformat->flags & AVFMT_GLOBALHEADER) m_ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int r = avcodec_open2(m_ctx.get(), codec, nullptr);
        if (r < 0)
            throw ComponentError(
                QStringLiteral("Cannot create \"%1\": the encoder does not accept %2 Hz, %3 (%4)")
                    .arg(m_name)
                    .arg(m_rate)
                    .arg(channelText(m_channels), ffmpegErrorText(r)));
        m_frameSize = m_ctx->frame_size > 0 ? m_ctx->frame_size : 1024;
        m_padLastFrame =
            !(codec->capabilities & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE));
        m_stream = avformat_new_stream(m_oc.get(), nullptr);
        if (!m_stream || avcodec_parameters_from_context(m_stream->codecpar, m_ctx.get()) < 0)
            throw ComponentError(QStringLiteral("Cannot create \"%1\": out of memory").arg(m_name));
        m_stream->time_base = m_ctx->time_base;

        if (m_ctx->sample_fmt != AV_SAMPLE_FMT_FLTP)
            throw ComponentError(
                QStringLiteral("Cannot create \"%1\": unexpected sample format of the encoder").arg(m_name));
        m_frame.reset(av_frame_alloc());
        m_pkt.reset(av_packet_alloc());
        if (!m_frame || !m_pkt)
            throw ComponentError(QStringLiteral("Cannot create \"%1\": out of memory").arg(m_name));
        m_frame->nb_samples = m_frameSize;
        m_frame->format = m_ctx->sample_fmt;
        m_frame->sample_rate = m_rate;
        av_channel_layout_copy(&m_frame->ch_layout, &m_ctx->ch_layout);
        if (av_frame_get_buffer(m_frame.get(), 0) < 0)
            throw ComponentError(QStringLiteral("Cannot create \"%1\": out of memory").arg(m_name));

        r = avio_open(&m_oc->pb, path.constData(), AVIO_FLAG_WRITE);
        if (r < 0)
            throw ComponentError(QStringLiteral("Cannot create \"%1\": %2").arg(m_name, ffmpegErrorText(r)));
        m_created = true;
        r = avformat_write_header(m_oc.get(), nullptr);
        if (r < 0)
            throw ComponentError(QStringLiteral("Cannot create \"%1\": %2").arg(m_name, ffmpegErrorText(r)));
        // The headers must really be in the file (a full disk shows here), or the file is useless.
        avio_flush(m_oc->pb);
        if (m_oc->pb->error < 0)
            throw ComponentError(
                QStringLiteral("Cannot create \"%1\": %2").arg(m_name, ffmpegErrorText(m_oc->pb->error)));
    }

    // One frame buffer serves every frame: the encoder has let go of it once sendFrame returns
    // (otherwise it is copied here).
    void prepareFrame() {
        if (av_frame_make_writable(m_frame.get()) < 0) fail(QStringLiteral("out of memory"));
        av_samples_set_silence(m_frame->extended_data, 0, m_frameSize, m_channels, m_ctx->sample_fmt);
        m_filled = 0;
    }

    void sendFilled(int size) {
        m_frame->nb_samples = size;
        m_frame->pts = m_pts;
        m_pts += size;
        m_filled = 0;
        sendFrame(m_frame.get());
    }

    void sendFrame(AVFrame* frame) {
        int r = avcodec_send_frame(m_ctx.get(), frame);
        if (r < 0) fail(QStringLiteral("the encoder failed (%1)").arg(ffmpegErrorText(r)));
        while ((r = avcodec_receive_packet(m_ctx.get(), m_pkt.get())) == 0) {
            av_packet_rescale_ts(m_pkt.get(), m_ctx->time_base, m_stream->time_base);
            m_pkt->stream_index = m_stream->index;
            r = av_write_frame(m_oc.get(), m_pkt.get());
            av_packet_unref(m_pkt.get());
            if (r < 0) fail(ffmpegErrorText(r));
        }
        if (r != AVERROR(EAGAIN) && r != AVERROR_EOF)
            fail(QStringLiteral("the encoder failed (%1)").arg(ffmpegErrorText(r)));
    }

    // Closes the file and frees the encoder (their owners do).
    void release() {
        m_oc.reset();
        m_ctx.reset();
        m_frame.reset();
        m_pkt.reset();
    }

    QString m_name;
    Kind m_kind;
    OutputFormatPtr m_oc;
    CodecContextPtr m_ctx;
    AVStream* m_stream = nullptr; // owned by m_oc
    FramePtr m_frame;
    PacketPtr m_pkt;
    int m_frameSize = 1024;
    bool m_padLastFrame = false;
    bool m_created = false;
    int64_t m_pts = 0;
    int m_filled = 0; // frames in m_frame not yet sent
    int64_t m_sincePage = 0;
};

} // namespace

std::unique_ptr<AudioEncoder> createWavEncoder(const QString& fileName, int rate, int channels, int bits) {
    return std::make_unique<WavEncoder>(fileName, rate, channels, bits);
}

std::unique_ptr<AudioEncoder> createMp3Encoder(const QString& fileName, int rate, int kbps, int channels,
                                               const TAudioFile2LameEnc::Settings& settings) {
    return std::make_unique<Mp3Encoder>(fileName, rate, kbps, channels, settings);
}

std::unique_ptr<AudioEncoder> createOggEncoder(const QString& fileName, int rate, int channels, int quality) {
    return std::make_unique<FfmpegEncoder>(fileName, FfmpegEncoder::Ogg, rate, channels, quality);
}

std::unique_ptr<AudioEncoder> createWmaEncoder(const QString& fileName, int rate, int channels, int kbps) {
    return std::make_unique<FfmpegEncoder>(fileName, FfmpegEncoder::Wma, rate, channels, kbps);
}

// ---------------------------------------------------------------------------------------------

SampleConverter::SampleConverter(int inRate, int inChannels, int outRate, int outChannels)
    : m_inRate(inRate), m_inChannels(inChannels), m_outRate(outRate), m_outChannels(outChannels) {
    AVChannelLayout in{}, out{};
    av_channel_layout_default(&in, inChannels);
    av_channel_layout_default(&out, outChannels);
    SwrContext* swr = nullptr;
    int r = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_S16, outRate, &in, AV_SAMPLE_FMT_S16, inRate, 0,
                                nullptr);
    m_swr.reset(swr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    // Mono spread to stereo keeps its level on both sides (FFmpeg's default lowers it by 3 dB).
    if (r >= 0 && inChannels == 1 && outChannels == 2) {
        const double matrix[2] = {1.0, 1.0};
        swr_set_matrix(m_swr.get(), matrix, 1);
    }
    if (r < 0 || swr_init(m_swr.get()) < 0) {
        throw ComponentError(QStringLiteral("Cannot convert %1 Hz, %2 to %3 Hz, %4")
                                 .arg(inRate)
                                 .arg(channelText(inChannels))
                                 .arg(outRate)
                                 .arg(channelText(outChannels)));
    }
}

SampleConverter::~SampleConverter() = default;

void SampleConverter::convert(const int16_t* samples, int64_t frames, AudioEncoder& encoder) {
    std::vector<int16_t> out;
    while (frames > 0) {
        int n = int(std::min<int64_t>(frames, 65536));
        int maxOut = swr_get_out_samples(m_swr.get(), n);
        out.resize(std::size_t(std::max(maxOut, 1)) * m_outChannels);
        uint8_t* o = reinterpret_cast<uint8_t*>(out.data());
        const uint8_t* i = reinterpret_cast<const uint8_t*>(samples);
        int got = swr_convert(m_swr.get(), &o, maxOut, &i, n);
        if (got < 0) throw ComponentError(QStringLiteral("Sample conversion failed"));
        encoder.write(out.data(), got);
        samples += std::size_t(n) * m_inChannels;
        frames -= n;
    }
}

void SampleConverter::flush(AudioEncoder& encoder) {
    std::vector<int16_t> out(std::size_t(4096) * m_outChannels);
    for (;;) {
        uint8_t* o = reinterpret_cast<uint8_t*>(out.data());
        int got = swr_convert(m_swr.get(), &o, 4096, nullptr, 0);
        if (got <= 0) break;
        encoder.write(out.data(), got);
    }
}
