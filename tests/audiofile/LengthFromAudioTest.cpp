// Lengths follow the audio that decodes: chained Ogg files, damaged blocks, damaged WMA headers and
// packets, FLAC files cut short. The inputs other than this suite's own formats are made with ffmpeg.
#include "AudioTestUtil.h"

#include "components/ComponentError.h"
#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace audiotest;

namespace {

void writeWav(const QString& path, const std::vector<int16_t>& pcm, int rate, int channels) {
    TAudioFile2 af;
    af.SetWavFormat(rate, channels, 16);
    af.CreateWrite(path, 0);
    ASSERT_EQ(af.GetLastError(), 0);
    writeBlocks(af, pcm, channels, rate / 4);
    af.Close();
}

// The length the information component reports, -1 when it refuses the file.
int64_t analysedLength(const QString& path, int* durationMs = nullptr) {
    TAudioInformation2 ai;
    try {
        ai.SetFileName(path);
    } catch (const ComponentError&) {
        return -1;
    }
    if (durationMs) *durationMs = ai.GetDuration();
    return ai.GetLength();
}

} // namespace

TEST(LengthFromAudio, DamagedAdpcmBlocksAreSkippedAndTheRestPlays) {
    // IMA ADPCM, 1024-byte blocks (1017 frames each at 22.05 kHz stereo), with an impossible step
    // index in three block headers: those blocks are lost, every other one plays.
    QTemporaryDir dir;
    const int rate = 22050;
    const QString source = dir.filePath("source.wav"), adpcm = dir.filePath("adpcm.wav");
    writeWav(source, tone(rate, 2, rate * 2, 440.0), rate, 2);
    ASSERT_EQ(runFfmpeg({"-i", source, "-c:a", "adpcm_ima_wav", adpcm}), 0);
    const Decoded whole = decodeAll(adpcm);
    ASSERT_GT(whole.frames(), rate * 2 - 1100);
    QByteArray bytes = readBytes(adpcm);
    const int data = int(bytes.indexOf("data")) + 8;
    ASSERT_GT(data, 8);
    for (int block : {2, 9, 30})
        bytes[data + block * 1024 + 2] = char(0xFF);
    const QString damaged = dir.filePath("damaged.wav");
    ASSERT_TRUE(writeBytes(damaged, bytes));
    const Decoded d = decodeAll(damaged);
    EXPECT_GE(d.frames(), whole.frames() - 3 * 1017);
    EXPECT_GE(d.length, d.frames());
    EXPECT_LE(d.length, whole.length);
    std::vector<int16_t> after(d.samples.begin() + std::ptrdiff_t(d.samples.size() / 2), d.samples.end());
    EXPECT_NEAR(frequency(after, 2, rate), 440.0, 2.0) << "the audio after the damage";
}

TEST(LengthFromAudio, FlacCutShortHasTheLengthThatDecodes) {
    // A FLAC file whose header states 3 s, cut at several places and named .wav: the length is what
    // decodes, not the header's; the whole file keeps its exact length.
    QTemporaryDir dir;
    const int rate = 44100;
    std::vector<int16_t> pcm = tone(rate, 2, rate * 3, 440.0, 0.3);
    const std::vector<int16_t> hiss = noise(2, rate * 3, 0.2);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = int16_t(pcm[i] + hiss[i]);
    const QString source = dir.filePath("source.wav"), flac = dir.filePath("whole.flac");
    writeWav(source, pcm, rate, 2);
    ASSERT_EQ(runFfmpeg({"-i", source, "-c:a", "flac", "-f", "flac", flac}), 0);
    EXPECT_EQ(analysedLength(flac), rate * 3);
    EXPECT_EQ(decodeAll(flac).frames(), rate * 3);
    const QByteArray bytes = readBytes(flac);
    for (int percent : {12, 35, 60, 85, 97}) {
        SCOPED_TRACE(testing::Message() << "cut at " << percent << " %");
        const QString cut = dir.filePath("cut.wav");
        ASSERT_TRUE(writeBytes(cut, bytes.left(bytes.size() * percent / 100)));
        const Decoded d = decodeAll(cut);
        ASSERT_GT(d.frames(), 0);
        EXPECT_LT(d.frames(), rate * 3);
        int ms = 0;
        EXPECT_EQ(analysedLength(cut, &ms), d.frames());
        EXPECT_EQ(ms, int(d.frames() * 1000 / rate));
        EXPECT_EQ(d.length, d.frames());
        // The position bar's end is reached by a seek as well.
        TAudioFile2 af;
        af.OpenRead(cut, 0, 1);
        EXPECT_EQ(af.Seek(d.frames() - 100, 3), d.frames() - 100);
        EXPECT_EQ(af.ReadArray(1000).frames(), 100u);
    }
}

TEST(LengthFromAudio, DamagedWmaStaysWithinTheFileAndOpensWhereFfmpegDecodes) {
    // One changed byte anywhere in a 1 s WMA file (headers, packet headers with their time stamps,
    // audio): the length is what decodes, never more than the undamaged file's, and a file is only
    // refused where ffmpeg decodes nothing of it either.
    QTemporaryDir dir;
    const QString path = dir.filePath("w.wma");
    {
        TAudioFile2 af;
        af.SetWmaFormat(15);
        af.CreateWrite(path, 0);
        ASSERT_EQ(af.GetLastError(), 0);
        writeBlocks(af, tone(44100, 2, 43000, 440.0), 2, 11025);
        af.Close();
    }
    const int64_t whole = analysedLength(path);
    ASSERT_GT(whole, 0);
    const QByteArray bytes = readBytes(path);
    const QString bad = dir.filePath("bad.wma");
    // Every fifth byte of the headers, every 71st after them, and the byte of each header object's
    // size that makes it reach terabytes beyond the end.
    std::vector<int> places;
    for (int at = 0; at < bytes.size(); at += at < 700 ? 5 : 71)
        places.push_back(at);
    for (qint64 at = 30; at + 24 <= qMin<qint64>(bytes.size(), 700);) {
        places.push_back(int(at) + 21);
        qint64 size = 0;
        for (int i = 7; i >= 0; --i)
            size = size << 8 | uchar(bytes[int(at) + 16 + i]);
        if (size < 24) break;
        at += size;
    }
    int refused = 0, opened = 0;
    for (int at : places) {
        for (char value : {char(0xFF), char(0x00)}) {
            if (bytes[at] == value || (at < 700 && value == 0)) continue;
            SCOPED_TRACE(testing::Message() << "byte " << at << " := " << int(uchar(value)));
            QByteArray damaged = bytes;
            damaged[at] = value;
            ASSERT_TRUE(writeBytes(bad, damaged));
            const int64_t length = analysedLength(bad);
            if (length < 0) {
                ++refused;
                EXPECT_EQ(ffmpegFrames(bad), 0) << "refused, but ffmpeg decodes it";
                continue;
            }
            ++opened;
            // Damaged audio loses a frame (2048 samples) here and there; a damaged first time
            // stamp may move the start by a frame.
            const Decoded d = decodeAll(bad);
            EXPECT_LE(length, std::max(whole, d.frames()) + 2048);
            EXPECT_GE(length, d.frames() - 2048);
        }
    }
    EXPECT_GT(opened, refused * 4);
}
