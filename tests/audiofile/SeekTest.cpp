// Seeking in compressed files: the position Seek returns is where the next block really starts.
#include "AudioTestUtil.h"

#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace audiotest;

namespace {

// A rising chirp: every stretch of it looks different, so an offset shows up as a shifted match.
std::vector<int16_t> chirp(int rate, int channels, int64_t frames) {
    std::vector<int16_t> out(std::size_t(frames) * std::size_t(channels));
    double phase = 0;
    for (int64_t i = 0; i < frames; ++i) {
        double hz = 200.0 + 1800.0 * double(i) / double(frames);
        phase += 2 * M_PI * hz / rate;
        for (int c = 0; c < channels; ++c)
            out[std::size_t(i * channels + c)] = int16_t(std::lround(12000 * std::sin(phase)));
    }
    return out;
}

// The shift (in frames) of `block` against `reference` at `at` that matches best, channel 0.
int bestShift(const std::vector<int16_t>& reference, const AudioBlock& block, int channels, int64_t at,
              int range, double* match) {
    int bestShift = 0;
    double best = -2;
    const int64_t n = std::min<int64_t>(int64_t(block.frames()), 4096);
    for (int shift = -range; shift <= range; ++shift) {
        double dot = 0, ea = 0, eb = 0;
        for (int64_t i = 0; i < n; ++i) {
            int64_t r = at + i + shift;
            if (r < 0 || r * channels >= int64_t(reference.size())) continue;
            double a = reference[std::size_t(r * channels)], b = block.samples[std::size_t(i * channels)];
            dot += a * b;
            ea += a * a;
            eb += b * b;
        }
        double c = ea > 0 && eb > 0 ? dot / std::sqrt(ea * eb) : 0;
        if (c > best) {
            best = c;
            bestShift = shift;
        }
    }
    *match = best;
    return bestShift;
}

void checkSeeks(const QString& path, int tolerance) {
    Decoded whole = decodeAll(path);
    ASSERT_GT(whole.frames(), 0);
    TAudioFile2 af;
    af.OpenRead(path, 0, 1);
    ASSERT_EQ(af.GetLastError(), 0);
    const int rate = af.GetSampleFormat1(), channels = af.GetSampleFormat2();
    for (int64_t pos : {int64_t(rate * 5 / 2), int64_t(rate), int64_t(rate / 10), int64_t(rate * 4),
                        int64_t(rate * 4 + rate / 3), int64_t(3 * rate + 777)}) {
        SCOPED_TRACE(testing::Message() << "seek to " << pos);
        ASSERT_EQ(af.Seek(pos, 3), pos);
        AudioBlock b = af.ReadArray(4096);
        ASSERT_EQ(b.frames(), 4096u);
        double match = 0;
        int shift = bestShift(whole.samples, b, channels, pos, 1200, &match);
        EXPECT_LE(std::abs(shift), tolerance) << "the block starts " << shift << " frames off";
        EXPECT_GT(match, 0.95);
        // Reading on from there continues without a jump.
        AudioBlock next = af.ReadArray(4096);
        shift = bestShift(whole.samples, next, channels, pos + 4096, 1200, &match);
        EXPECT_LE(std::abs(shift), tolerance);
    }
}

} // namespace

TEST(Seek, Mp3WithAndWithoutHeader) {
    QTemporaryDir dir;
    const int rate = 44100;
    std::vector<int16_t> pcm = chirp(rate, 2, rate * 5);
    for (bool vbrHeader : {false, true}) {
        TAudioFile2LameEnc lame;
        if (vbrHeader) {
            lame.SetConstantBitRate(0);
            lame.SetMaxBitRate(320);
            lame.SetWriteVBRHeader(-1);
            lame.SetVBRMode(0);
            lame.SetVBRQuality(2);
        } else {
            lame.SetConstantBitRate(-1);
        }
        lame.SetQuality(5);
        TAudioFile2 af;
        af.SetLameEncoder(&lame);
        af.SetMp3Format(rate, 128, 2);
        QString path = dir.filePath(vbrHeader ? "vbr.mp3" : "cbr.mp3");
        af.CreateWrite(path, 0);
        writeBlocks(af, pcm, 2, rate / 2);
        af.Close();
        SCOPED_TRACE(path.toStdString());
        checkSeeks(path, 0);
    }
}

TEST(Seek, OggAndWma) {
    QTemporaryDir dir;
    const int rate = 44100;
    std::vector<int16_t> pcm = chirp(rate, 2, rate * 5);
    {
        TAudioFile2 af;
        af.SetOggFormat(rate, 2, 128, 0, 0, 699);
        af.CreateWrite(dir.filePath("s.ogg"), 0);
        writeBlocks(af, pcm, 2, rate / 2);
        af.Close();
        SCOPED_TRACE("ogg");
        checkSeeks(dir.filePath("s.ogg"), 0);
    }
    // WMA at the three frame sizes: 512 (16 kHz), 1024 (22.05 kHz) and 2048 (44.1 kHz) samples.
    for (int profile : {6, 7, 15}) {
        TAudioFile2 af;
        af.SetWmaFormat(profile);
        const int r = af.GetSampleFormat1(), ch = af.GetSampleFormat2();
        af.CreateWrite(dir.filePath("s.wma"), 0);
        writeBlocks(af, chirp(r, ch, int64_t(r) * 5), ch, r / 2);
        af.Close();
        SCOPED_TRACE(testing::Message() << "wma profile " << profile);
        // ASF time stamps count milliseconds; the frame they name starts at an exact sample.
        checkSeeks(dir.filePath("s.wma"), 0);
    }
}

TEST(Seek, ChainedOggLinks) {
    // Two Ogg files one after the other (`cat a.ogg b.ogg`), at different rates: the length is both
    // links', reading goes through both, and a seek lands on its sample in either.
    QTemporaryDir dir;
    const int rate = 44100;
    std::vector<int16_t> pcm = chirp(rate, 2, rate * 5);
    QByteArray chained;
    for (int part = 0; part < 2; ++part) {
        const int partRate = part == 0 ? rate : 32000;
        const int64_t from = part == 0 ? 0 : rate * 3, to = part == 0 ? rate * 3 : rate * 5;
        std::vector<int16_t> piece(pcm.begin() + from * 2, pcm.begin() + to * 2);
        TAudioFile2 af;
        af.SetOggFormat(partRate, 2, 128, 0, 0, 699);
        af.SetInputFormat(rate, 2);
        const QString name = dir.filePath(QStringLiteral("part%1.ogg").arg(part));
        af.CreateWrite(name, 0);
        writeBlocks(af, piece, 2, rate / 2);
        af.Close();
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        chained += f.readAll();
    }
    const QString path = dir.filePath("chained.ogg");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(chained);
    }
    Decoded whole = decodeAll(path);
    EXPECT_EQ(whole.rate, rate);
    EXPECT_NEAR(double(whole.frames()), rate * 5.0, 512.0);
    EXPECT_EQ(whole.length, whole.frames());
    checkSeeks(path, 0);
}

TEST(Seek, AdpcmInWav) {
    // IMA and Microsoft ADPCM, read block by block: a seek finds its block by its place in the data.
    QTemporaryDir dir;
    const int rate = 44100;
    const QString source = dir.filePath("chirp.wav");
    {
        TAudioFile2 af;
        af.SetWavFormat(rate, 2, 16);
        af.CreateWrite(source, 0);
        writeBlocks(af, chirp(rate, 2, rate * 5), 2, rate / 2);
        af.Close();
    }
    for (const char* codec : {"adpcm_ima_wav", "adpcm_ms"}) {
        SCOPED_TRACE(codec);
        const QString path = dir.filePath(QStringLiteral("%1.wav").arg(QString::fromLatin1(codec)));
        ASSERT_EQ(runFfmpeg({"-i", source, "-c:a", QString::fromLatin1(codec), path}), 0);
        checkSeeks(path, 0);
        EXPECT_EQ(decodeAll(path).length, decodeAll(path).frames());
    }
}
