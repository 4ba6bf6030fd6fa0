// MP3 writing through LAME: constant bit rate, VBR with and without the Xing/LAME header, the
// maximum bit rate, and the lengths the reader and the information component report.
#include "AudioTestUtil.h"

#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

using namespace audiotest;

namespace {

struct Frames {
    std::vector<int> bitRates; // kbps of each frame, in order
    bool xing = false;         // the first frame is a Xing/Info header
    int sampleRate = 0;
};

// Walks the MPEG-1 Layer III frame headers of a file (after an ID3v2 tag, if any).
Frames parseFrames(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QByteArray data = f.readAll();
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    std::size_t n = std::size_t(data.size()), i = 0;
    if (n > 10 && std::memcmp(p, "ID3", 3) == 0)
        i = 10 + ((p[6] & 0x7F) << 21 | (p[7] & 0x7F) << 14 | (p[8] & 0x7F) << 7 | (p[9] & 0x7F));
    static const int kRates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kFreqs[] = {44100, 48000, 32000, 0};
    Frames out;
    while (i + 4 <= n) {
        if (p[i] != 0xFF || (p[i + 1] & 0xFE) != 0xFA) // MPEG-1 Layer III
            break;
        int br = kRates[p[i + 2] >> 4], sr = kFreqs[(p[i + 2] >> 2) & 3], pad = (p[i + 2] >> 1) & 1;
        if (br == 0 || sr == 0) break;
        bool mono = (p[i + 3] >> 6) == 3;
        if (out.bitRates.empty()) {
            std::size_t side = i + 4 + (mono ? 17 : 32);
            out.xing = side + 4 <= n &&
                       (std::memcmp(p + side, "Xing", 4) == 0 || std::memcmp(p + side, "Info", 4) == 0);
            out.sampleRate = sr;
        }
        out.bitRates.push_back(br);
        i += std::size_t(144 * br * 1000 / sr + pad);
    }
    return out;
}

QString encode(const QString& path, const std::vector<int16_t>& pcm, int rate, int channels, int kbps,
               const std::unique_ptr<TAudioFile2LameEnc>& lame) {
    TAudioFile2 af;
    af.SetLameEncoder(lame.get());
    af.EnableWMA(0);
    af.SetMp3Format(rate, kbps, channels);
    af.CreateWrite(path, 0);
    EXPECT_EQ(af.GetLastError(), 0) << af.GetLastErrorText().toStdString();
    writeBlocks(af, pcm, channels, rate * 4 / 10);
    af.Close();
    return path;
}

std::unique_ptr<TAudioFile2LameEnc> cbr(int quality) {
    auto lame = std::make_unique<TAudioFile2LameEnc>();
    lame->SetConstantBitRate(-1);
    lame->SetQuality(quality);
    return lame;
}

std::unique_ptr<TAudioFile2LameEnc> vbr(int maxKbps, bool header, int vbrQuality, int quality = 5) {
    auto lame = std::make_unique<TAudioFile2LameEnc>();
    lame->SetConstantBitRate(0);
    lame->SetMaxBitRate(maxKbps);
    lame->SetWriteVBRHeader(header ? -1 : 0);
    lame->SetVBRMode(0);
    lame->SetVBRQuality(vbrQuality);
    lame->SetQuality(quality);
    return lame;
}

void expectTone(const Decoded& d, int rate, int channels, int64_t frames, double hz, int64_t lengthSlack) {
    ASSERT_EQ(d.rate, rate);
    ASSERT_EQ(d.channels, channels);
    EXPECT_NEAR(double(d.frames()), double(frames), double(lengthSlack));
    EXPECT_NEAR(double(d.length), double(d.frames()), 1152.0) << "GetLength within one frame of what decodes";
    EXPECT_NEAR(frequency(d.samples, channels, rate), hz, hz * 0.005);
    EXPECT_NEAR(level(d.samples, channels), 0.5 / std::sqrt(2.0), 0.03);
}

} // namespace

TEST(Mp3File, ConstantBitRatesGiveEveryFrameThatRate) {
    QTemporaryDir dir;
    struct Case {
        int rate, channels, kbps, quality;
    };
    for (Case c : {Case{44100, 2, 128, 5}, Case{44100, 2, 320, 2}, Case{44100, 1, 80, 9},
                   Case{32000, 2, 112, 7}, Case{48000, 2, 192, 0}}) {
        SCOPED_TRACE(testing::Message()
                     << c.rate << " Hz " << c.channels << " ch " << c.kbps << " kbps q" << c.quality);
        const int64_t frames = c.rate * 2;
        auto lame = cbr(c.quality);
        QString path = encode(dir.filePath("cbr.mp3"), tone(c.rate, c.channels, frames, 1000.0), c.rate,
                              c.channels, c.kbps, lame);
        Frames f = parseFrames(path);
        ASSERT_GT(f.bitRates.size(), 40u);
        EXPECT_TRUE(f.xing) << "the Info header, at the same bit rate as every frame";
        EXPECT_EQ(f.sampleRate, c.rate);
        for (int br : f.bitRates)
            ASSERT_EQ(br, c.kbps);
        // The header carries LAME's delay and padding: the decoder gives back exactly the input.
        expectTone(decodeAll(path), c.rate, c.channels, frames, 1000.0, 0);

        TAudioFile2 reader;
        reader.OpenRead(path, 0, 1);
        EXPECT_EQ(reader.GetFormatString(), QStringLiteral("MPEG Layer-3, %1 Hz, %2 kbps, %3")
                                                .arg(c.rate)
                                                .arg(c.kbps)
                                                .arg(c.channels == 1 ? "mono" : "stereo"));
    }
}

TEST(Mp3File, VbrHeaderIsWrittenExactlyWhenAsked) {
    QTemporaryDir dir;
    const int rate = 44100;
    const int64_t frames = rate * 3;
    std::vector<int16_t> pcm = tone(rate, 2, frames, 440.0);
    for (bool header : {true, false}) {
        SCOPED_TRACE(header ? "with header" : "without header");
        auto lame = vbr(320, header, 2);
        QString path = encode(dir.filePath(header ? "h.mp3" : "n.mp3"), pcm, rate, 2, 128, lame);
        Frames f = parseFrames(path);
        EXPECT_EQ(f.xing, header);
        // The header carries LAME's delay and padding: the decoder then gives back exactly the input.
        expectTone(decodeAll(path), rate, 2, frames, 440.0, header ? 0 : 3 * 1152);
        TAudioInformation2 ai;
        ai.SetFileName(path);
        EXPECT_NEAR(double(ai.GetLength()), double(frames), header ? 0.0 : 3 * 1152.0);
        EXPECT_NEAR(double(ai.GetDuration()), 3000.0, header ? 1.0 : 80.0);
    }
}

TEST(Mp3File, MaximumBitRateCapsEveryFrame) {
    QTemporaryDir dir;
    const int rate = 44100;
    std::vector<int16_t> pcm = noise(2, rate * 2, 0.7); // noise asks for the highest rates
    auto free = vbr(320, false, 0, 5);
    Frames uncapped = parseFrames(encode(dir.filePath("free.mp3"), pcm, rate, 2, 128, free));
    ASSERT_FALSE(uncapped.bitRates.empty());
    EXPECT_GT(*std::max_element(uncapped.bitRates.begin(), uncapped.bitRates.end()), 128);
    for (int cap : {128, 96}) {
        auto capped = vbr(cap, true, 0, 5);
        Frames f = parseFrames(encode(dir.filePath("cap.mp3"), pcm, rate, 2, 128, capped));
        ASSERT_TRUE(f.xing);
        ASSERT_GT(f.bitRates.size(), 10u);
        for (std::size_t i = 1; i < f.bitRates.size(); ++i) // frame 0 is the header frame
            ASSERT_LE(f.bitRates[i], cap) << "frame " << i;
    }
}

TEST(Mp3File, VbrQualityAndEncoderQualityTakeEffect) {
    QTemporaryDir dir;
    const int rate = 44100;
    std::vector<int16_t> pcm = noise(2, rate * 2, 0.3);
    auto best = vbr(320, true, 0);
    auto small = vbr(320, true, 9);
    qint64 bestSize = QFileInfo(encode(dir.filePath("q0.mp3"), pcm, rate, 2, 128, best)).size();
    qint64 smallSize = QFileInfo(encode(dir.filePath("q9.mp3"), pcm, rate, 2, 128, small)).size();
    EXPECT_GT(bestSize, smallSize * 3 / 2);

    // The encoder quality changes how LAME works: the best and the fastest give different streams.
    std::vector<int16_t> music = tone(rate, 2, rate * 2, 1000.0, 0.3);
    for (std::size_t i = 0; i < music.size(); ++i)
        music[i] = int16_t(music[i] + pcm[i] / 4);
    auto q0 = cbr(0), q9 = cbr(9);
    QString a = encode(dir.filePath("e0.mp3"), music, rate, 2, 96, q0);
    QString b = encode(dir.filePath("e9.mp3"), music, rate, 2, 96, q9);
    QFile fa(a), fb(b);
    fa.open(QIODevice::ReadOnly);
    fb.open(QIODevice::ReadOnly);
    EXPECT_NE(fa.readAll(), fb.readAll());
}

TEST(Mp3File, WriterConvertsItsInputFormat) {
    QTemporaryDir dir;
    auto lame = cbr(5);
    TAudioFile2 af;
    af.SetLameEncoder(lame.get());
    af.SetMp3Format(48000, 128, 2);
    af.SetInputFormat(22050, 1);
    af.CreateWrite(dir.filePath("conv.mp3"), 0);
    ASSERT_EQ(af.GetLastError(), 0);
    EXPECT_EQ(af.GetSampleFormat1(), 48000);
    EXPECT_EQ(af.GetSampleFormat2(), 2);
    writeBlocks(af, tone(22050, 1, 22050 * 2, 700.0), 1, 22050 / 4);
    af.Close();
    expectTone(decodeAll(dir.filePath("conv.mp3")), 48000, 2, 96000, 700.0, 3 * 1152);
}

TEST(Mp3File, VbrFileCutShortReportsWhatItHolds) {
    QTemporaryDir dir;
    const int rate = 44100;
    auto lame = vbr(320, true, 4);
    QString path = encode(dir.filePath("whole.mp3"), noise(2, rate * 6, 0.2), rate, 2, 128, lame);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QByteArray bytes = f.readAll();
    // Cut to a third, and by a few frames only (the last block of a recording that was lost).
    for (qsizetype keep : {bytes.size() / 3, bytes.size() - 20000, bytes.size() - 1500}) {
        SCOPED_TRACE(testing::Message() << "keeping " << keep << " of " << bytes.size() << " bytes");
        QFile cut(dir.filePath("cut.mp3"));
        cut.open(QIODevice::WriteOnly | QIODevice::Truncate);
        cut.write(bytes.left(keep));
        cut.close();
        Decoded d = decodeAll(cut.fileName());
        EXPECT_LT(d.frames(), rate * 6);
        EXPECT_NEAR(double(d.length), double(d.frames()), 1152.0)
            << "the header's length is not trusted for a cut file";
        TAudioInformation2 ai;
        ai.SetFileName(cut.fileName());
        EXPECT_EQ(ai.GetLength(), d.length);
    }
}

namespace {

// The lag (in frames, -range..range) at which `decoded` matches `source` best, channel 0, over one
// second from the middle of the source.
int bestLag(const std::vector<int16_t>& source, const std::vector<int16_t>& decoded, int channels, int rate,
            int range) {
    const int64_t frames = int64_t(source.size()) / channels;
    const int64_t from = frames / 2 - rate / 2;
    const int64_t decodedFrames = int64_t(decoded.size()) / channels;
    int best = 0;
    double bestSum = -1e300;
    for (int lag = -range; lag <= range; ++lag) {
        double sum = 0;
        for (int64_t i = from; i < from + rate; ++i) {
            const int64_t j = i + lag;
            if (j >= 0 && j < decodedFrames)
                sum += double(source[std::size_t(i * channels)]) * double(decoded[std::size_t(j * channels)]);
        }
        if (sum > bestSum) {
            bestSum = sum;
            best = lag;
        }
    }
    return best;
}

} // namespace

TEST(Mp3File, GaplessForAnOutsideDecoderAndOurReader) {
    // CBR and VBR files carry LAME's Info/Xing header with the encoder delay and padding: ffmpeg and
    // our reader both give back exactly the samples encoded, where they were.
    const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
    if (ffmpeg.isEmpty()) GTEST_SKIP() << "the ffmpeg program is not installed";
    QTemporaryDir dir;
    struct Case {
        const char* name;
        int rate, channels, kbps;
        bool vbr;
    };
    for (Case c :
         {Case{"CBR 128 kbps", 44100, 2, 128, false}, Case{"CBR 64 kbps, MPEG-2", 22050, 1, 64, false},
          Case{"VBR quality 2", 44100, 2, 128, true}}) {
        SCOPED_TRACE(c.name);
        // Noise that swells and fades: one clear peak of the cross-correlation, at the true lag.
        const int64_t frames = int64_t(c.rate) * 2 + 777;
        std::vector<int16_t> pcm = noise(c.channels, frames, 0.4);
        for (int64_t i = 0; i < frames; ++i)
            for (int ch = 0; ch < c.channels; ++ch)
                pcm[std::size_t(i * c.channels + ch)] = int16_t(
                    pcm[std::size_t(i * c.channels + ch)] * (0.5 + 0.5 * std::sin(double(i) / c.rate * 7.0)));
        auto lame = c.vbr ? vbr(320, true, 2) : cbr(5);
        const QString path = encode(dir.filePath("gapless.mp3"), pcm, c.rate, c.channels, c.kbps, lame);

        QProcess p;
        p.start(ffmpeg, {"-v", "error", "-i", path, "-f", "s16le", "-acodec", "pcm_s16le", "-"});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QByteArray raw = p.readAllStandardOutput();
        std::vector<int16_t> outside(std::size_t(raw.size()) / 2);
        std::memcpy(outside.data(), raw.constData(), outside.size() * 2);
        EXPECT_EQ(int64_t(outside.size()) / c.channels, frames) << "ffmpeg's length";
        EXPECT_EQ(bestLag(pcm, outside, c.channels, c.rate, 2000), 0) << "ffmpeg's alignment";

        const Decoded ours = decodeAll(path);
        EXPECT_EQ(ours.frames(), frames) << "our length";
        EXPECT_EQ(ours.length, frames) << "GetLength";
        EXPECT_EQ(bestLag(pcm, ours.samples, c.channels, c.rate, 2000), 0) << "our alignment";
    }
}
