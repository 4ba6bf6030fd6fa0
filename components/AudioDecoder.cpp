#include "components/AudioDecoder.h"

#include "components/ComponentError.h"
#include "components/FfmpegUtil.h"
#include "platform/FileNames.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libswresample/swresample.h>
}

namespace {

bool isMpegAudio(AVCodecID id) {
    return id == AV_CODEC_ID_MP3 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP1;
}

QString codecTitle(const AVCodecParameters* par, const AVCodec* codec) {
    switch (par->codec_id) {
    case AV_CODEC_ID_MP3:
        return QStringLiteral("MPEG Layer-3");
    case AV_CODEC_ID_MP2:
        return QStringLiteral("MPEG Layer-2");
    case AV_CODEC_ID_MP1:
        return QStringLiteral("MPEG Layer-1");
    case AV_CODEC_ID_VORBIS:
        return QStringLiteral("Ogg Vorbis");
    case AV_CODEC_ID_WMAV1:
        return QStringLiteral("Windows Media Audio 1");
    case AV_CODEC_ID_WMAV2:
        return QStringLiteral("Windows Media Audio 2");
    case AV_CODEC_ID_WMAPRO:
        return QStringLiteral("Windows Media Audio Pro");
    case AV_CODEC_ID_WMALOSSLESS:
        return QStringLiteral("Windows Media Audio Lossless");
    case AV_CODEC_ID_WMAVOICE:
        return QStringLiteral("Windows Media Audio Voice");
    default:
        break;
    }
    if (av_get_bits_per_sample(par->codec_id) > 0 && codec &&
        QString::fromLatin1(codec->name).startsWith("pcm_"))
        return QStringLiteral("PCM");
    if (codec && codec->long_name) return QString::fromUtf8(codec->long_name);
    return QString::fromLatin1(avcodec_get_name(par->codec_id));
}

uint32_t be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool readAt(int fd, int64_t offset, void* data, std::size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        offset += n;
        size -= std::size_t(n);
    }
    return true;
}

uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Where the sample data of a RIFF WAVE (or RF64/BW64) file lies, as far as the file really holds
// it: a header may claim any size (up to 2^64 bytes in RF64), the file holds what it holds. A data
// size of 0 or (in a RIFF file) 0xFFFFFFFF means "up to the end of the file", as writers that
// cannot seek back leave it.
struct WavData {
    bool found = false;
    int64_t start = 0;
    int64_t end = 0;
    bool claimsMore = false; // the header claims more data than the file holds
};

WavData wavData(int fd, int64_t fileSize) {
    WavData out;
    unsigned char h[12];
    if (!readAt(fd, 0, h, sizeof h) || std::memcmp(h + 8, "WAVE", 4) != 0) return out;
    const bool rf64 = std::memcmp(h, "RF64", 4) == 0 || std::memcmp(h, "BW64", 4) == 0;
    if (!rf64 && std::memcmp(h, "RIFF", 4) != 0) return out;
    uint64_t ds64Data = 0;
    bool haveDs64 = false;
    int64_t at = 12;
    // The chunks before the data are few; a file of thousands of them is not walked to its end.
    for (int i = 0; i < 4096 && at <= fileSize - 8; ++i) {
        unsigned char c[8];
        if (!readAt(fd, at, c, sizeof c)) return out;
        const uint32_t size = le32(c + 4);
        if (rf64 && std::memcmp(c, "ds64", 4) == 0 && size >= 16) {
            unsigned char d[16];
            if (!readAt(fd, at + 8, d, sizeof d)) return out;
            ds64Data = uint64_t(le32(d + 8)) | uint64_t(le32(d + 12)) << 32;
            haveDs64 = true;
        }
        if (std::memcmp(c, "data", 4) == 0) {
            out.found = true;
            out.start = at + 8;
            const uint64_t held = uint64_t(fileSize - out.start);
            uint64_t claimed = size;
            if (rf64 && size == 0xFFFFFFFFu && haveDs64)
                claimed = ds64Data;
            else if (claimed == 0 || (!rf64 && size == 0xFFFFFFFFu))
                claimed = held;
            out.end = out.start + int64_t(std::min(claimed, held));
            out.claimsMore = claimed > held;
            return out;
        }
        at += 8 + int64_t(size) + (size & 1);
    }
    return out;
}

// The file as a demuxer sees it, read through our own I/O so that reading stops where the audio
// does. A run of zeros or garbage after the audio would otherwise be read to its end, byte by byte
// and into memory by FFmpeg's parsers (gigabytes for a damaged file). The demuxer finds the end of
// the file once it has read `budget` bytes since the last packet came out (or since it was
// opened), and it never sees a byte past `end` (the end of a WAV file's sample data: FFmpeg looks
// for chunks after it and would walk a run of zeros eight bytes at a time).
class BoundedInput {
public:
    BoundedInput() = default;
    BoundedInput(const BoundedInput&) = delete;
    BoundedInput& operator=(const BoundedInput&) = delete;
    ~BoundedInput() {
        m_fmt.reset(); // closes the demuxer before its I/O goes
        m_io.reset();
        if (m_fd >= 0) ::close(m_fd);
    }

    // Opens the demuxer on the file, or on the bytes `from` .. `to` of it (one link of a chained
    // Ogg file, which the demuxer then sees as a file of its own); an FFmpeg error code, 0 on
    // success.
    // `wavPacketBytes` > 0: a WAV file's packets hold that many bytes (one block of a compressed
    // codec: a damaged block then costs only itself).
    int open(const QString& fileName, int64_t budget, bool clipWavData, int64_t from = 0, int64_t to = -1,
             int wavPacketBytes = 0) {
        m_fd = ::open(FileNameBytes(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat st {};
        if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return AVERROR(errno);
        m_base = std::clamp<int64_t>(from, 0, st.st_size);
        m_end = (to < 0 ? st.st_size : std::clamp<int64_t>(to, m_base, st.st_size)) - m_base;
        m_fileEnd = st.st_size - m_base;
        if (clipWavData && m_base == 0) {
            m_wav = wavData(m_fd, m_end);
            if (m_wav.found) m_end = m_wav.end;
        }
        m_budget = budget + leadingTagSize();
        constexpr int kBuffer = 32768;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBuffer));
        if (!buffer) return AVERROR(ENOMEM);
        m_io.reset(
            avio_alloc_context(buffer, kBuffer, 0, this, &BoundedInput::read, nullptr, &BoundedInput::seek));
        if (!m_io) {
            av_free(buffer);
            return AVERROR(ENOMEM);
        }
        AVFormatContext* f = avformat_alloc_context();
        if (!f) return AVERROR(ENOMEM);
        f->pb = m_io.get();
        f->flags |= AVFMT_FLAG_CUSTOM_IO;
        const QByteArray url = ffmpegFileUrl(fileName);
        AVDictionary* options = nullptr;
        if (wavPacketBytes > 0) av_dict_set_int(&options, "max_size", wavPacketBytes, 0);
        const int r = avformat_open_input(&f, url.constData(), nullptr, &options); // frees f on failure
        av_dict_free(&options);
        if (r < 0) return r;
        m_fmt.reset(f);
        return 0;
    }

    AVFormatContext* fmt() const { return m_fmt.get(); }
    int fd() const { return m_fd; }
    int64_t size() const { return m_end; }
    const WavData& wav() const { return m_wav; }
    // A packet came out, or reading starts anew at a seek: the budget is full again.
    void progress(int64_t budget) {
        m_budget = budget;
        m_sinceProgress = 0;
    }

private:
    // A leading ID3v2 tag is read whole when the file is opened: cover art may make it large.
    int64_t leadingTagSize() const {
        unsigned char h[10];
        if (!readAt(m_fd, m_base, h, sizeof h) || std::memcmp(h, "ID3", 3) != 0) return 0;
        return int64_t(h[6] & 0x7F) << 21 | int64_t(h[7] & 0x7F) << 14 | int64_t(h[8] & 0x7F) << 7 |
               (h[9] & 0x7F);
    }

    static int read(void* opaque, uint8_t* buf, int size) {
        auto* in = static_cast<BoundedInput*>(opaque);
        if (in->m_pos >= in->m_end || in->m_sinceProgress >= in->m_budget) return AVERROR_EOF;
        const std::size_t want = std::size_t(std::min<int64_t>(size, in->m_end - in->m_pos));
        ssize_t n;
        do {
            n = ::pread(in->m_fd, buf, want, off_t(in->m_base + in->m_pos));
        } while (n < 0 && errno == EINTR);
        if (n < 0) return AVERROR(errno);
        if (n == 0) return AVERROR_EOF;
        in->m_pos += n;
        in->m_sinceProgress += n;
        return int(n);
    }

    static int64_t seek(void* opaque, int64_t offset, int whence) {
        auto* in = static_cast<BoundedInput*>(opaque);
        int64_t to;
        switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return in->m_end;
        case SEEK_SET:
            to = offset;
            break;
        case SEEK_CUR:
            to = in->m_pos + offset;
            break;
        case SEEK_END:
            to = in->m_end + offset;
            break;
        default:
            return AVERROR(EINVAL);
        }
        // A damaged size field sends a demuxer far beyond the end; refused, it reads on from where
        // it is, as it does in a file whose system refuses such an offset.
        if (to < 0 || to > in->m_fileEnd) return AVERROR(EINVAL);
        in->m_pos = to;
        return to;
    }

    int m_fd = -1;
    int64_t m_base = 0; // where the demuxer's byte 0 lies in the file
    int64_t m_end = 0;  // the bytes it sees
    int64_t m_fileEnd = 0;
    int64_t m_pos = 0;
    int64_t m_budget = 0;
    int64_t m_sinceProgress = 0;
    WavData m_wav;
    IoContextPtr m_io;
    InputFormatPtr m_fmt;
};

// Where the links of a chained Ogg file start (`cat a.ogg b.ogg`: one whole stream after the other,
// each beginning with its own pages flagged "beginning of stream"); one offset for an ordinary
// file. Reads the page headers only, through a window of 64 KB read at a time (pages are a few KB:
// one read covers many). A stretch of damage is skipped to the next page found within 64 KB;
// beyond that the walk ends there.
std::vector<int64_t> oggLinkStarts(int fd, int64_t size) {
    // Each link is opened once to measure it (a tenth of a millisecond); beyond this many, the
    // rest of the file counts as the last link's.
    constexpr std::size_t kMaxLinks = 1024;
    constexpr int64_t kWindow = 65536;
    constexpr int64_t kHeader = 27 + 255; // the fixed header and the longest segment table
    std::vector<unsigned char> window(std::size_t(kWindow + kHeader));
    int64_t windowAt = 0, windowLength = 0;
    // The bytes at .. at + n within the window (refilled from `at` when they are not), nullptr
    // where the file ends before them.
    auto bytes = [&](int64_t at, int64_t n) -> const unsigned char* {
        if (at < windowAt || at + n > windowAt + windowLength) {
            windowAt = at;
            windowLength = std::min<int64_t>(int64_t(window.size()), size - at);
            if (windowLength < n || !readAt(fd, at, window.data(), std::size_t(windowLength))) {
                windowLength = 0;
                return nullptr;
            }
        }
        return window.data() + (at - windowAt);
    };
    std::vector<int64_t> links;
    bool dataSeen = false; // a page that starts no stream came since the last link began
    int64_t at = 0;
    while (links.size() < kMaxLinks) {
        const unsigned char* h = bytes(at, 27);
        if (!h) break;
        if (std::memcmp(h, "OggS", 4) != 0) {
            const unsigned char* w = bytes(at, std::min<int64_t>(kWindow, size - at));
            if (!w) break;
            const int64_t n = std::min<int64_t>(kWindow, size - at);
            const unsigned char* found = std::search(w + 1, w + n, "OggS", "OggS" + 4);
            if (found == w + n) break;
            at += found - w;
            continue;
        }
        const int segments = h[26];
        h = bytes(at, 27 + segments);
        if (!h) break;
        int64_t body = 0;
        for (int i = 0; i < segments; ++i)
            body += h[27 + i];
        const bool begins = (h[5] & 0x02) != 0;
        if (begins && (links.empty() || dataSeen)) {
            links.push_back(at);
            dataSeen = false;
        }
        if (!begins) dataSeen = true;
        at += 27 + segments + body;
    }
    if (links.empty()) links.push_back(0);
    return links;
}

// Bytes a demuxer may read without a packet coming out before the file counts as ended there:
// far more than any gap between real packets (or a file's headers), far less than a damaged file
// may hold.
constexpr int64_t kReadBudget = int64_t(8) << 20;

// Saturating sum of lengths read from a file.
int64_t addClamped(int64_t a, int64_t b) {
    if (b <= 0) return a;
    return a > INT64_MAX - b ? INT64_MAX : a + b;
}

// The exact number of frames FFmpeg delivers for an MP3 file that starts with a Xing/Info header
// frame: its frame count, less the encoder delay and padding of a LAME tag. -1 without one.
// `coded` receives the frames the audio frames hold before the trim, `constantRate` whether the tag
// is LAME's "Info" tag of a constant-bit-rate file.
int64_t xingLength(const QString& fileName, int64_t* audioBytes, int64_t* coded, bool* constantRate) {
    QFile f;
    const int fd = ::open(FileNameBytes(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return -1;
    }
    QByteArray head = f.read(10);
    qint64 offset = 0;
    if (head.size() == 10 && head.startsWith("ID3")) {
        const auto* h = reinterpret_cast<const unsigned char*>(head.constData());
        offset = 10 + ((h[6] & 0x7F) << 21 | (h[7] & 0x7F) << 14 | (h[8] & 0x7F) << 7 | (h[9] & 0x7F));
        if (h[5] & 0x10) offset += 10; // footer
    }
    if (!f.seek(offset)) return -1;
    const QByteArray data = f.read(1024);
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const int n = int(data.size());
    if (n < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return -1;
    const int version = (p[1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layer = (p[1] >> 1) & 3;   // 1: Layer III
    if (layer != 1 || version == 1) return -1;
    const bool mono = (p[3] >> 6) == 3;
    const int x = 4 + (version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    const int samplesPerFrame = version == 3 ? 1152 : 576;
    if (n < x + 12 || (std::memcmp(p + x, "Xing", 4) != 0 && std::memcmp(p + x, "Info", 4) != 0)) return -1;
    *constantRate = std::memcmp(p + x, "Info", 4) == 0;
    const uint32_t flags = be32(p + x + 4);
    if (!(flags & 1)) return -1;
    int at = x + 8;
    const int64_t frames = be32(p + at);
    at += 4;
    if (flags & 2) {
        if (n < at + 4) return -1;
        *audioBytes = be32(p + at);
        // A file shorter than its header says was cut short (a lost last block, a copy broken
        // off): every missing byte is missing audio, so its packets are counted instead. Tags
        // after the audio make a file longer; beyond a little of that, the header is not trusted
        // either.
        const int64_t held = f.size() - offset;
        if (held < *audioBytes || held - *audioBytes > 64 * 1024) return -1;
        at += 4;
    }
    if (flags & 4) at += 100;
    if (flags & 8) at += 4;
    int64_t trimmed = 0;
    // LAME's tag: a 9-byte encoder name, then at offset 21 the delay and padding, 12 bits each.
    if (n >= at + 24 && (std::memcmp(p + at, "LAME", 4) == 0 || std::memcmp(p + at, "Lavf", 4) == 0 ||
                         std::memcmp(p + at, "Lavc", 4) == 0))
        trimmed = (p[at + 21] << 4 | p[at + 22] >> 4) + ((p[at + 22] & 0x0F) << 8 | p[at + 23]);
    *coded = frames * samplesPerFrame;
    return std::max<int64_t>(0, *coded - trimmed);
}

} // namespace

struct AudioDecoder::Impl {
    QString fileName;
    std::unique_ptr<BoundedInput> input;
    AVFormatContext* fmt = nullptr; // input's demuxer
    CodecContextPtr ctx;
    ResamplerPtr swr;
    PacketPtr pkt;
    FramePtr frame;
    int stream = -1;
    AVRational tb{1, 1};
    int rate = 0;
    int fileChannels = 0;
    int outChannels = 2;
    bool pcm = false;
    bool wma = false; // WMA 1 or 2: frames of 512, 1024 or 2048 samples, time stamps in ms

    int swrFormat = -1;
    int swrRate = 0;
    AVChannelLayout swrLayout{};

    std::vector<int16_t> buf; // decoded, not yet delivered
    std::size_t bufPos = 0;   // first element not yet delivered
    std::vector<int16_t> tmp;
    int64_t pos = 0; // frame index of buf[bufPos]
    bool draining = false;
    // Errors the decoder gave while it was drained at the end: it may report each damaged frame it
    // still holds, but not for ever.
    int drainErrors = 0;
    static constexpr int kMaxDrainErrors = 64;
    bool eof = false;
    int64_t originPts = AV_NOPTS_VALUE;
    int firstFrameSamples = 0;

    // Seek state: frames before seekTarget are dropped; the first frame with a time stamp tells
    // where the decoder stands.
    int64_t seekTarget = -1;
    bool overshoot = false;
    bool syncFailed = false;

    int64_t length = 0;
    QString formatString;

    // A chained Ogg file is read link by link, each through a demuxer of its own that sees only
    // that link's bytes: the decoder starts afresh with each link's headers, and time stamps and
    // seeks stay within one link. An ordinary file is one link, the whole file.
    struct Link {
        int64_t from = 0, to = -1; // bytes
        int64_t first = 0;         // position of its first frame
    };
    std::vector<Link> links{Link{}};
    int wavBlockBytes = 0; // see BoundedInput::open
    int link = 0;          // the link the demuxer reads
    int64_t linkFirst = 0; // its first frame's position
    // The last seek found the stream ended before its target (seekEnd: the end of what decoded
    // then, -1 when nothing decoded).
    bool seekHitEnd = false;
    int64_t seekEnd = -1;
    // A seek that would decode from the start through more than this many frames gives up
    // instead (seekFailed), -1: no bound. Used where the end of a file is checked.
    int64_t linearSeekLimit = -1;
    bool seekFailed = false;

    ~Impl() { closeContexts(); }

    [[noreturn]] void fail(const QString& what) const {
        throw ComponentError(QStringLiteral("Cannot read \"%1\": %2").arg(fileName, what));
    }

    void closeContexts(bool keepDecoded = false) {
        swr.reset();
        av_channel_layout_uninit(&swrLayout);
        swrFormat = -1;
        swrRate = 0;
        ctx.reset();
        fmt = nullptr;
        input.reset();
        pkt.reset();
        frame.reset();
        if (!keepDecoded) {
            buf.clear();
            bufPos = 0;
        }
        draining = eof = false;
    }

    // Opens link `index` (0: the file's start) and decodes its first frame. `keepDecoded` keeps what
    // the link before it decoded and the position, for reading on from one link into the next.
    void openContexts(int index = 0, bool keepDecoded = false) {
        closeContexts(keepDecoded);
        const Link& at = links[std::size_t(index)];
        link = index;
        linkFirst = at.first;
        input = std::make_unique<BoundedInput>();
        int r = input->open(fileName, kReadBudget, true, at.from, at.to, wavBlockBytes);
        if (r < 0) fail(ffmpegErrorText(r));
        fmt = input->fmt();
        r = avformat_find_stream_info(fmt, nullptr);
        if (r < 0) fail(QStringLiteral("not an audio file (%1)").arg(ffmpegErrorText(r)));
        const AVCodec* codec = nullptr;
        stream = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (stream < 0 || !codec) fail(QStringLiteral("no audio that can be decoded"));
        const int blockAlign = fmt->streams[stream]->codecpar->block_align;
        if (wavBlockBytes == 0 && std::strcmp(fmt->iformat->name, "wav") == 0 &&
            !QString::fromLatin1(codec->name).startsWith("pcm_") && blockAlign > 1 && blockAlign < 4096) {
            // A compressed codec in a WAV file (ADPCM, GSM): read block by block.
            wavBlockBytes = blockAlign;
            return openContexts(index, keepDecoded);
        }
        AVStream* st = fmt->streams[stream];
        tb = st->time_base;
        ctx.reset(avcodec_alloc_context3(codec));
        if (!ctx || avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0)
            fail(QStringLiteral("out of memory"));
        ctx->pkt_timebase = tb;
        r = avcodec_open2(ctx.get(), codec, nullptr);
        if (r < 0) fail(QStringLiteral("the decoder cannot be opened (%1)").arg(ffmpegErrorText(r)));
        fileChannels = ctx->ch_layout.nb_channels;
        if (ctx->sample_rate <= 0 || fileChannels <= 0)
            fail(QStringLiteral("no sample rate or channel count"));
        // Every link is delivered at the first one's rate and channels.
        if (index == 0) {
            rate = ctx->sample_rate;
            outChannels = fileChannels == 1 ? 1 : 2;
        }
        pcm = QString::fromLatin1(codec->name).startsWith("pcm_");
        wma = codec->id == AV_CODEC_ID_WMAV1 || codec->id == AV_CODEC_ID_WMAV2;
        pkt.reset(av_packet_alloc());
        frame.reset(av_frame_alloc());
        if (!pkt || !frame) fail(QStringLiteral("out of memory"));
        for (unsigned i = 0; i < fmt->nb_streams; ++i)
            if (int(i) != stream) fmt->streams[i]->discard = AVDISCARD_ALL;
        if (!keepDecoded) pos = linkFirst;
        originPts = AV_NOPTS_VALUE;
        input->progress(kReadBudget);
        // The first frame proves that the file decodes and fixes the time origin.
        seekTarget = -1;
        // A PCM file with a valid header may hold no samples at all: it opens, with length 0.
        if (!decodeInLink() && !pcm) fail(QStringLiteral("no audio could be decoded"));
    }

    // Where a frame starts, from its time stamp. ASF time stamps count milliseconds, but every
    // WMA 1/2 frame starts at a multiple of its length (512, 1024 or 2048 samples): the multiple
    // of 512 within a millisecond of the time stamp is the exact start.
    int64_t frameStart(int64_t at) const {
        if (!wma) return at;
        const int64_t exact = (at + 256) / 512 * 512;
        return std::abs(exact - at) <= rate / 1000 + 1 ? exact : at;
    }

    bool setupResampler() {
        AVChannelLayout in{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
            av_channel_layout_default(&in, frame->ch_layout.nb_channels > 0 ? frame->ch_layout.nb_channels
                                                                            : fileChannels);
        else
            av_channel_layout_copy(&in, &frame->ch_layout);
        if (swr && frame->format == swrFormat && frame->sample_rate == swrRate &&
            av_channel_layout_compare(&in, &swrLayout) == 0) {
            av_channel_layout_uninit(&in);
            return true;
        }
        swr.reset();
        av_channel_layout_uninit(&swrLayout);
        AVChannelLayout out{};
        av_channel_layout_default(&out, outChannels);
        SwrContext* made = nullptr;
        int r = swr_alloc_set_opts2(&made, &out, AV_SAMPLE_FMT_S16, rate, &in, AVSampleFormat(frame->format),
                                    frame->sample_rate > 0 ? frame->sample_rate : rate, 0, nullptr);
        swr.reset(made);
        av_channel_layout_uninit(&out);
        if (r < 0 || swr_init(swr.get()) < 0) {
            av_channel_layout_uninit(&in);
            swr.reset();
            return false;
        }
        swrFormat = frame->format;
        swrRate = frame->sample_rate > 0 ? frame->sample_rate : rate;
        swrLayout = in;
        return true;
    }

    // At the end of a link: what a rate conversion still holds is appended; false when nothing was.
    bool drainResampler() {
        if (!swr || seekTarget >= 0 || swrRate == rate) return false;
        const int maxOut = swr_get_out_samples(swr.get(), 0);
        if (maxOut <= 0) return false;
        tmp.resize(std::size_t(maxOut) * outChannels);
        uint8_t* out = reinterpret_cast<uint8_t*>(tmp.data());
        const int n = swr_convert(swr.get(), &out, maxOut, nullptr, 0);
        if (n <= 0) return false;
        buf.insert(buf.end(), tmp.begin(), tmp.begin() + std::ptrdiff_t(std::size_t(n) * outChannels));
        return true;
    }

    // Converts the current frame and appends it; false when nothing was appended.
    bool appendFrame() {
        if (frame->nb_samples <= 0 || !setupResampler()) return false;
        int maxOut = swr_get_out_samples(swr.get(), frame->nb_samples);
        if (maxOut <= 0) return false;
        tmp.resize(std::size_t(maxOut) * outChannels);
        uint8_t* out = reinterpret_cast<uint8_t*>(tmp.data());
        int n = swr_convert(swr.get(), &out, maxOut, const_cast<const uint8_t**>(frame->extended_data),
                            frame->nb_samples);
        if (n <= 0) return false;
        int64_t ts = frame->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE) ts = frame->pts;
        if (originPts == AV_NOPTS_VALUE) {
            originPts = ts == AV_NOPTS_VALUE ? 0 : ts;
            firstFrameSamples = n;
        }
        std::size_t skip = 0;
        if (seekTarget >= 0) {
            if (ts == AV_NOPTS_VALUE) {
                syncFailed = true;
                return false;
            }
            int64_t at = linkFirst + frameStart(av_rescale_q(ts - originPts, tb, AVRational{1, rate}));
            seekEnd = std::max(seekEnd, at + n);
            if (at > seekTarget) {
                overshoot = true;
                return false;
            }
            if (at + n <= seekTarget) return false; // still before the target: drop it
            skip = std::size_t(seekTarget - at);
            pos = seekTarget;
            seekTarget = -1;
        }
        if (bufPos > 0 && bufPos * 2 >= buf.size()) {
            buf.erase(buf.begin(), buf.begin() + std::ptrdiff_t(bufPos));
            bufPos = 0;
        }
        buf.insert(buf.end(), tmp.begin() + std::ptrdiff_t(skip * outChannels),
                   tmp.begin() + std::ptrdiff_t(std::size_t(n) * outChannels));
        return true;
    }

    // Decodes until some samples were appended; false at the end of the stream. At the end of one
    // link of a chained file, reading goes on with the next.
    bool decodeMore() {
        while (!decodeInLink()) {
            if (!eof || seekTarget >= 0 || link + 1 >= int(links.size())) return false;
            try {
                openContexts(link + 1, true);
            } catch (const ComponentError&) {
                return false; // a damaged link ends the audio there
            }
            if (available() > 0) return true;
        }
        return true;
    }

    // Decodes the current link until some samples were appended; false at its end.
    bool decodeInLink() {
        if (!fmt || !ctx) return false; // a reopen for a seek failed: nothing more to read
        while (!eof) {
            int r = avcodec_receive_frame(ctx.get(), frame.get());
            if (r == 0) {
                bool got = appendFrame();
                av_frame_unref(frame.get());
                if (got) return true;
                if (overshoot || syncFailed) return false;
                continue;
            }
            if (r == AVERROR_EOF || (draining && ++drainErrors > kMaxDrainErrors)) {
                eof = true;
                if (drainResampler()) return true;
                break;
            }
            // A damaged packet or frame: the decoder reports it once and goes on with the next
            // packet, so the audio after it still plays.
            if (r != AVERROR(EAGAIN) || draining) continue;
            r = av_read_frame(fmt, pkt.get());
            if (r < 0) {
                // End of file (or of the audio: see BoundedInput), or a read error in a file cut
                // short: what was read is played.
                avcodec_send_packet(ctx.get(), nullptr);
                draining = true;
                drainErrors = 0;
                continue;
            }
            input->progress(kReadBudget);
            // A packet the decoder refuses is skipped; the next one is read.
            if (pkt->stream_index == stream) avcodec_send_packet(ctx.get(), pkt.get());
            av_packet_unref(pkt.get());
        }
        return false;
    }

    std::size_t available() const { return buf.size() - bufPos; }

    void dropFrames(int64_t frames) {
        while (frames > 0) {
            if (available() == 0 && !decodeMore()) return;
            int64_t take = std::min<int64_t>(frames, int64_t(available() / outChannels));
            bufPos += std::size_t(take) * outChannels;
            pos += take;
            frames -= take;
        }
    }

    int64_t linearSeek(int64_t target) {
        if (linearSeekLimit >= 0 && target - linkFirst > linearSeekLimit) {
            seekFailed = true;
            return pos;
        }
        openContexts(link);
        dropFrames(target - pos);
        return pos;
    }

    // PCM in a WAV file: every frame has its place in the data, found without time stamps (FFmpeg's
    // own PCM seek multiplies the time stamp by the byte rate, which overflows in a file holding
    // more than 2^63 / byte rate frames).
    int64_t pcmSeek(int64_t target) {
        const int64_t align = fmt->streams[stream]->codecpar->block_align;
        input->progress(kReadBudget);
        buf.clear();
        bufPos = 0;
        overshoot = syncFailed = false;
        seekTarget = -1;
        eof = draining = false;
        if (target >= length) {
            eof = true; // nothing left to read; a seek back starts reading again
        } else if (av_seek_frame(fmt, stream, input->wav().start + target * align, AVSEEK_FLAG_BYTE) < 0) {
            return linearSeek(target);
        }
        avcodec_flush_buffers(ctx.get());
        pos = target;
        return pos;
    }

    // A compressed codec in a WAV file read block by block (ADPCM): every block decodes to the same
    // number of frames and has its place in the data, so the block that holds the target is found
    // without time stamps (which FFmpeg gets wrong for such packets) and decoded up to the target.
    int64_t blockSeek(int64_t target, int64_t framesPerBlock) {
        const int64_t block = target / framesPerBlock;
        input->progress(kReadBudget);
        if (av_seek_frame(fmt, stream, input->wav().start + block * wavBlockBytes, AVSEEK_FLAG_BYTE) < 0)
            return linearSeek(target);
        avcodec_flush_buffers(ctx.get());
        buf.clear();
        bufPos = 0;
        overshoot = syncFailed = false;
        seekTarget = -1;
        eof = draining = false;
        pos = block * framesPerBlock;
        dropFrames(target - pos);
        return pos;
    }

    int64_t seek(int64_t target) {
        seekHitEnd = false;
        seekEnd = -1;
        target = std::max<int64_t>(0, target);
        if (length > 0) target = std::min(target, length);
        if (target == pos && fmt && ctx) return pos;
        // The link that holds the target; its start is reached by opening it.
        std::size_t k = links.size() - 1;
        while (k > 0 && links[k].first > target)
            --k;
        if (int(k) != link || target == links[k].first || !fmt || !ctx) {
            try {
                openContexts(int(k));
            } catch (const ComponentError&) {
                closeContexts(); // nothing more is read; the caller learns why
                throw;
            }
            if (target == pos) return pos;
        }
        if (pcm && input->wav().found && fmt->streams[stream]->codecpar->block_align > 0)
            return pcmSeek(target);
        if (wavBlockBytes > 0 && input->wav().found) {
            const int64_t perBlock =
                av_get_audio_frame_duration2(fmt->streams[stream]->codecpar, wavBlockBytes);
            if (perBlock > 0) return blockSeek(target, perBlock);
        }
        // Short hops forward are decoded through: exact and cheap.
        if (target > pos && target - pos <= rate) {
            dropFrames(target - pos);
            return pos;
        }
        int64_t preroll = pcm ? 0 : rate / 4;
        for (int attempt = 0; attempt < 4; ++attempt) {
            int64_t from = target - (preroll << attempt);
            if (from <= linkFirst) return linearSeek(target);
            int64_t ts = originPts + av_rescale_q(from - linkFirst, AVRational{1, rate}, tb);
            input->progress(kReadBudget);
            if (av_seek_frame(fmt, stream, ts, AVSEEK_FLAG_BACKWARD) < 0) return linearSeek(target);
            avcodec_flush_buffers(ctx.get());
            swr.reset();
            swrFormat = -1;
            buf.clear();
            bufPos = 0;
            eof = draining = false;
            overshoot = syncFailed = false;
            seekTarget = target;
            while (seekTarget >= 0 && !overshoot && !syncFailed) {
                if (!decodeMore()) break;
            }
            if (seekTarget < 0) return pos;
            seekTarget = -1;
            if (syncFailed) return linearSeek(target);
            if (!overshoot) {
                // The stream ended before the target: the position is its end.
                pos = target;
                seekHitEnd = true;
                return pos;
            }
            if (preroll == 0) preroll = rate / 4;
        }
        return linearSeek(target);
    }

    // Exact length of an MPEG audio stream: the packets' durations minus the encoder delay and
    // padding FFmpeg trims (it marks them on the packets). Reads the packets, decodes nothing.
    int64_t scanLength(int64_t* bytes, int64_t* coded) {
        BoundedInput in;
        if (in.open(fileName, kReadBudget, true) < 0) return -1;
        AVFormatContext* f = in.fmt();
        int64_t total = 0, trimmed = 0, size = 0;
        const bool ok = avformat_find_stream_info(f, nullptr) >= 0 && int(f->nb_streams) > stream;
        in.progress(kReadBudget);
        const bool mpeg = ok && isMpegAudio(f->streams[stream]->codecpar->codec_id);
        PacketPtr p(av_packet_alloc());
        while (ok && p && av_read_frame(f, p.get()) >= 0) {
            in.progress(kReadBudget);
            // At the end FFmpeg's MPEG audio parser hands over what it gathered without finding a
            // frame (a run of zeros or garbage after the audio): that is no audio.
            const bool frame = !mpeg || (p->size >= 4 && p->data[0] == 0xFF && (p->data[1] & 0xE0) == 0xE0);
            if (p->stream_index == stream && frame) {
                total = addClamped(total, p->duration);
                size = addClamped(size, p->size);
                std::size_t sdSize = 0;
                const uint8_t* sd = av_packet_get_side_data(p.get(), AV_PKT_DATA_SKIP_SAMPLES, &sdSize);
                if (sd && sdSize >= 8)
                    trimmed = addClamped(trimmed, int64_t(AV_RL32(sd)) + int64_t(AV_RL32(sd + 4)));
            }
            av_packet_unref(p.get());
        }
        if (!ok) return -1;
        *bytes = size;
        *coded = av_rescale_q(total, f->streams[stream]->time_base, AVRational{1, rate});
        return std::max<int64_t>(0, *coded - trimmed);
    }

    // Length of a WMA stream: where its last whole packet starts. The decoder gives out each
    // packet's audio one packet late and the last packet never, so that is where the decoded
    // audio ends, whether the file was finished, cut short or its writer killed (the ASF header's
    // duration is then missing or too long); a packet cut short does not decode. Reads the
    // packets, decodes nothing.
    //
    // The span is added up from one packet's time stamp to the next. A damaged time stamp (one
    // changed byte may move it by hours, or back) makes a step backwards or far longer than the
    // packets' usual one: such a step counts as a usual one, and `trusted` is cleared. The sum
    // never exceeds twice what the file's bytes hold at the stream's bit rate.
    int64_t scanLastPacketStart(bool* trusted) {
        *trusted = true;
        BoundedInput in;
        if (in.open(fileName, kReadBudget, false) < 0) return -1;
        AVFormatContext* f = in.fmt();
        const bool ok = avformat_find_stream_info(f, nullptr) >= 0 && int(f->nb_streams) > stream;
        in.progress(kReadBudget);
        if (ok)
            for (unsigned i = 0; i < f->nb_streams; ++i)
                if (int(i) != stream) f->streams[i]->discard = AVDISCARD_ALL;
        const int whole = ok ? f->streams[stream]->codecpar->block_align : 0;
        std::vector<int64_t> steps;
        int64_t previous = AV_NOPTS_VALUE;
        PacketPtr p(av_packet_alloc());
        while (ok && p && av_read_frame(f, p.get()) >= 0) {
            in.progress(kReadBudget);
            if (p->stream_index == stream && p->pts != AV_NOPTS_VALUE && p->size >= whole) {
                if (previous != AV_NOPTS_VALUE) steps.push_back(p->pts - previous);
                previous = p->pts;
            }
            av_packet_unref(p.get());
        }
        if (!ok || previous == AV_NOPTS_VALUE) return -1;
        const AVRational stb = f->streams[stream]->time_base;
        int64_t usual = 0;
        if (!steps.empty()) {
            std::vector<int64_t> sorted = steps;
            std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2),
                             sorted.end());
            usual = std::max<int64_t>(0, sorted[sorted.size() / 2]);
        }
        // The usual step holds a whole number of the decoder's frames (to the millisecond of the
        // time stamps); a sample rate damaged in the header makes the two disagree.
        if (firstFrameSamples > 0) {
            const int64_t usualFrames = av_rescale_q(usual, stb, AVRational{1, rate});
            const int64_t whole = (usualFrames + firstFrameSamples / 2) / firstFrameSamples;
            if (whole < 1 ||
                std::abs(usualFrames - whole * firstFrameSamples) > firstFrameSamples / 8 + rate / 1000)
                *trusted = false;
        }
        const int64_t longest = 4 * usual + av_rescale_q(100, AVRational{1, 1000}, stb);
        int64_t span = 0;
        for (const int64_t step : steps) {
            const bool plausible = step >= 0 && step <= longest;
            if (!plausible) *trusted = false;
            span = addClamped(span, plausible ? step : usual);
        }
        const int64_t bitRate = f->streams[stream]->codecpar->bit_rate;
        if (bitRate > 0 && stb.num > 0) {
            const int64_t held = av_rescale(in.size() * 8 * 2, stb.den, bitRate * stb.num);
            if (span > held) {
                *trusted = false;
                span = held;
            }
        }
        return std::max<int64_t>(0, frameStart(av_rescale_q(span, stb, AVRational{1, rate})));
    }

    // The frames the file decodes to, counted by decoding it from the start; -1 when it holds more
    // than `limit`.
    int64_t decodedLength(int64_t limit) const {
        Impl probe;
        probe.fileName = fileName;
        try {
            probe.openContexts();
        } catch (const ComponentError&) {
            return -1;
        }
        if (probe.rate != rate) return -1;
        int64_t frames = 0;
        do {
            frames += int64_t(probe.available() / std::size_t(probe.outChannels));
            probe.buf.clear();
            probe.bufPos = 0;
            if (frames > limit) return -1;
        } while (probe.decodeMore());
        return frames;
    }

    // The length of each link of a chained Ogg file, which then reads link by link; -1 for a file
    // of one link. A link that does not open ends the audio there.
    int64_t measureLinks() {
        const std::vector<int64_t> starts = oggLinkStarts(input->fd(), input->size());
        if (starts.size() < 2) return -1;
        std::vector<Link> found;
        int64_t total = 0;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            const Link l{starts[k], k + 1 < starts.size() ? starts[k + 1] : -1, total};
            BoundedInput in;
            if (in.open(fileName, kReadBudget, false, l.from, l.to) < 0) break;
            AVFormatContext* f = in.fmt();
            // The Ogg demuxer reads the headers and the last page (the duration) as it opens.
            const int s = av_find_best_stream(f, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
            if (s < 0) break;
            const AVStream* st = f->streams[s];
            int64_t frames = -1;
            if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
                frames = av_rescale_q(st->duration, st->time_base, AVRational{1, rate});
            else if (f->duration != AV_NOPTS_VALUE && f->duration > 0)
                frames = av_rescale(f->duration, rate, AV_TIME_BASE);
            if (frames < 0) break;
            found.push_back(l);
            total = addClamped(total, frames);
        }
        if (found.empty()) return -1;
        links = std::move(found);
        openContexts(0); // the demuxer now sees the first link only
        return total;
    }

    // Where the audio really ends when a header claims `claimed` frames: the end of what decodes
    // from a seek a little before the claimed end. -1 when that cannot be told cheaply (the file
    // does not seek, or decodes on past the claimed end).
    int64_t decodedEnd(int64_t claimed) const {
        Impl probe;
        probe.fileName = fileName;
        probe.linearSeekLimit = int64_t(rate) * 10;
        try {
            probe.openContexts();
        } catch (const ComponentError&) {
            return -1;
        }
        if (probe.rate != rate) return -1;
        const int64_t margin = int64_t(rate) * 2;
        try {
            probe.seek(std::max<int64_t>(0, claimed - margin));
        } catch (const ComponentError&) {
            return -1;
        }
        if (probe.seekFailed) return -1;
        if (probe.seekHitEnd) return probe.seekEnd;
        int64_t end = probe.pos + int64_t(probe.available() / std::size_t(probe.outChannels));
        while (end <= claimed + margin) {
            probe.buf.clear();
            probe.bufPos = 0;
            if (!probe.decodeMore()) return end;
            end += int64_t(probe.available() / std::size_t(probe.outChannels));
        }
        return -1;
    }

    void measure() {
        if (std::strcmp(fmt->iformat->name, "ogg") == 0) {
            const int64_t chained = measureLinks();
            if (chained >= 0) {
                length = chained;
                describe(-1, -1, false);
                return;
            }
        }
        AVStream* st = fmt->streams[stream];
        const AVCodecParameters* par = st->codecpar;
        int64_t audioBytes = -1;
        int64_t codedFrames = -1; // what the coded frames hold before the encoder delay is trimmed
        bool constantRate = false;
        length = -1;
        // MP3: a Xing/LAME header gives the exact length at once; without one the packets are
        // counted (FFmpeg's own figure is then an estimate from the bit rate). WMA: the packets
        // are read as well (the header's duration is wrong for a file cut short).
        // WAV: PCM from the sample data the file holds (its header may claim any size); other
        // codecs in a WAV whose header claims more than the file holds by their packets.
        const bool wma = par->codec_id == AV_CODEC_ID_WMAV1 || par->codec_id == AV_CODEC_ID_WMAV2;
        const WavData& wav = input->wav();
        if (wav.found && pcm && par->block_align > 0) length = (wav.end - wav.start) / par->block_align;
        if (wav.found && !pcm && wav.claimsMore) length = scanLength(&audioBytes, &codedFrames);
        if (par->codec_id == AV_CODEC_ID_MP3)
            length = xingLength(fileName, &audioBytes, &codedFrames, &constantRate);
        if (wma) {
            bool trusted = true;
            length = scanLastPacketStart(&trusted);
            // Damaged time stamps: a file short enough to decode in a few milliseconds (20 s of
            // audio at CD rate or less) is measured by decoding.
            const int64_t decodeLimit = int64_t(20) * std::max(rate, 48000);
            if (!trusted && length >= 0 && length <= decodeLimit) {
                const int64_t decoded = decodedLength(decodeLimit);
                if (decoded >= 0) length = decoded;
            }
        }
        if (length < 0 &&
            (isMpegAudio(par->codec_id) || fmt->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE ||
             (st->duration == AV_NOPTS_VALUE && fmt->duration == AV_NOPTS_VALUE)))
            length = scanLength(&audioBytes, &codedFrames);
        const bool measured = length >= 0;
        if (length < 0 && st->duration != AV_NOPTS_VALUE) {
            length = av_rescale_q(st->duration, tb, AVRational{1, rate});
            // The WMA decoder gives out each packet's audio one packet late and the last packet
            // never: the stream lasts one frame less than the container says.
            if (wma) length -= firstFrameSamples;
        }
        if (length < 0 && fmt->duration != AV_NOPTS_VALUE)
            length = av_rescale(fmt->duration, rate, AV_TIME_BASE);
        length = std::max<int64_t>(0, length);
        // A length a header states (FLAC's, an MP4's, the last Ogg page's) is checked where the
        // audio ends: a file cut short ends where its audio does, and the decoder's own trimming
        // (an encoder's delay or padding) is counted as it plays.
        if (!measured && !pcm && length > 0) {
            const int64_t end = decodedEnd(length);
            if (end >= 0 && (end < length || end - length <= rate / 4)) length = end;
        }
        describe(audioBytes, codedFrames, constantRate);
    }

    // The format description, once the length is known.
    void describe(int64_t audioBytes, int64_t codedFrames, bool constantRate) {
        const AVCodecParameters* par = fmt->streams[stream]->codecpar;

        QString title = codecTitle(par, ctx->codec);
        QString middle;
        if (pcm) {
            int bits = av_get_bits_per_sample(par->codec_id);
            middle = QStringLiteral("%1 bit").arg(bits);
        } else {
            int64_t bitRate = 0;
            const double seconds = double(codedFrames > 0 ? codedFrames : length) / rate;
            if (constantRate && par->bit_rate > 0)
                bitRate = par->bit_rate;
            else if (audioBytes > 0 && seconds > 0)
                bitRate = int64_t(audioBytes * 8 / seconds);
            else if ((par->codec_id == AV_CODEC_ID_WMAV1 || par->codec_id == AV_CODEC_ID_WMAV2) &&
                     par->bit_rate > 0)
                bitRate = par->bit_rate;
            else if (seconds > 0.5)
                bitRate = int64_t(std::max<qint64>(0, FileSize(fileName)) * 8 / seconds);
            else
                bitRate = par->bit_rate > 0 ? par->bit_rate : fmt->bit_rate;
            middle = QStringLiteral("%1 kbps").arg((bitRate + 500) / 1000);
        }
        formatString =
            QStringLiteral("%1, %2 Hz, %3, %4").arg(title).arg(rate).arg(middle, channelText(fileChannels));
    }
};

AudioDecoder::AudioDecoder(const QString& fileName) : d(std::make_unique<Impl>()) {
    quietFfmpegLog();
    d->fileName = fileName;
    if (!FileExists(fileName)) d->fail(QStringLiteral("the file does not exist"));
    if (!isRegularFile(fileName)) d->fail(QStringLiteral("not a file"));
    if (FileSize(fileName) == 0) d->fail(QStringLiteral("the file is empty"));
    d->openContexts();
    d->measure();
}

AudioDecoder::~AudioDecoder() = default;

int AudioDecoder::sampleRate() const {
    return d->rate;
}
int AudioDecoder::channels() const {
    return d->outChannels;
}
int64_t AudioDecoder::length() const {
    return d->length;
}
int64_t AudioDecoder::durationMs() const {
    if (d->rate <= 0) return 0;
    const int64_t ms =
        av_rescale_rnd(d->length, 1000, d->rate, AV_ROUND_DOWN); // no overflow for any length a file states
    return ms < 0 ? INT64_MAX : ms;
}
QString AudioDecoder::formatString() const {
    return d->formatString;
}
int64_t AudioDecoder::position() const {
    return d->pos;
}

AudioBlock AudioDecoder::read(int64_t frames) {
    AudioBlock block;
    block.channels = d->outChannels;
    if (frames <= 0) return block;
    frames = std::min<int64_t>(frames, int64_t(1) << 22); // a block never holds more than ~95 s
    const std::size_t want = std::size_t(frames) * d->outChannels;
    while (d->available() < want && d->decodeMore()) {
    }
    std::size_t take = std::min(want, d->available());
    take -= take % d->outChannels;
    block.samples.assign(d->buf.begin() + std::ptrdiff_t(d->bufPos),
                         d->buf.begin() + std::ptrdiff_t(d->bufPos + take));
    d->bufPos += take;
    d->pos += int64_t(take / d->outChannels);
    if (d->bufPos == d->buf.size()) {
        d->buf.clear();
        d->bufPos = 0;
    }
    return block;
}

int64_t AudioDecoder::seek(int64_t frame) {
    return d->seek(frame);
}
