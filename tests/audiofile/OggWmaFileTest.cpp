// OGG Vorbis and WMA writing: qualities, every WMA profile, and the lengths read back.
#include "AudioTestUtil.h"

#include "components/ComponentError.h"
#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "components/TWMAFile2.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace audiotest;

namespace {

QString encodeOgg(const QString& path, const std::vector<int16_t>& pcm, int rate, int channels,
                  int listIndex) {
    TAudioFile2 af;
    af.EnableWMA(0);
    af.SetOggFormat(rate, channels, 128, 0, 0, int16_t(listIndex * 100 + 99));
    af.CreateWrite(path, 0);
    EXPECT_EQ(af.GetLastError(), 0) << af.GetLastErrorText().toStdString();
    writeBlocks(af, pcm, channels, rate * 4 / 10);
    af.Close();
    return path;
}

} // namespace

TEST(OggFile, QualitiesZeroAndNineRoundTrip) {
    QTemporaryDir dir;
    const int rate = 44100;
    const int64_t frames = rate * 2 + 333;
    std::vector<int16_t> music = tone(rate, 2, frames, 1000.0);
    std::vector<int16_t> hiss = noise(2, frames, 0.3);
    qint64 sizes[2] = {};
    int k = 0;
    for (int index : {0, 9}) {
        SCOPED_TRACE(testing::Message() << "list index " << index);
        QString path = encodeOgg(dir.filePath(QStringLiteral("q%1.ogg").arg(index)), music, rate, 2, index);
        Decoded d = decodeAll(path);
        ASSERT_EQ(d.rate, rate);
        ASSERT_EQ(d.channels, 2);
        // Vorbis keeps the exact length (FFmpeg's decoder may trim up to one short block at the end).
        EXPECT_NEAR(double(d.frames()), double(frames), 256.0);
        EXPECT_NEAR(double(d.length), double(d.frames()), 256.0);
        EXPECT_NEAR(frequency(d.samples, 2, rate), 1000.0, 5.0);
        EXPECT_NEAR(level(d.samples, 2), 0.354, 0.02);
        sizes[k++] = QFileInfo(encodeOgg(dir.filePath("n.ogg"), hiss, rate, 2, index)).size();
    }
    EXPECT_GT(sizes[1], sizes[0] * 2) << "a higher list index is a higher quality";

    TAudioFile2 reader;
    reader.OpenRead(dir.filePath("q9.ogg"), 0, 1);
    EXPECT_TRUE(reader.GetFormatString().startsWith("Ogg Vorbis, 44100 Hz, "))
        << reader.GetFormatString().toStdString();
    EXPECT_TRUE(reader.GetFormatString().endsWith(" kbps, stereo"));
}

TEST(OggFile, MonoAtOtherRates) {
    QTemporaryDir dir;
    for (int rate : {32000, 48000}) {
        QString path = encodeOgg(dir.filePath("m.ogg"), tone(rate, 1, rate, 440.0), rate, 1, 6);
        Decoded d = decodeAll(path);
        EXPECT_EQ(d.rate, rate);
        EXPECT_EQ(d.channels, 1);
        EXPECT_NEAR(double(d.frames()), double(rate), 256.0);
        EXPECT_NEAR(double(d.length), double(d.frames()), 256.0);
        EXPECT_NEAR(frequency(d.samples, 1, rate), 440.0, 2.0);
    }
}

TEST(WmaFile, ProfileListHasTheDefaultAndHonestNames) {
    TWMAFile2 awf;
    ASSERT_GE(awf.GetProfileCount(), 15);
    awf.SelectProfile(15);
    EXPECT_EQ(awf.GetProfileName(), "44100Hz,stereo,128kbps");
    awf.SelectProfile(1);
    EXPECT_TRUE(awf.GetProfileName().startsWith("8000Hz,mono,"));
    EXPECT_THROW(awf.SelectProfile(0), ComponentError);
    EXPECT_THROW(awf.SelectProfile(awf.GetProfileCount() + 1), ComponentError);
    TAudioFile2 af;
    EXPECT_THROW(af.SetWmaFormat(0), ComponentError);
}

TEST(WmaFile, EveryProfileEncodesWhatItsNameSays) {
    QTemporaryDir dir;
    TWMAFile2 awf;
    for (int k = 1; k <= awf.GetProfileCount(); ++k) {
        awf.SelectProfile(k);
        QString name = awf.GetProfileName();
        SCOPED_TRACE(name.toStdString());
        QStringList parts = name.split(',');
        ASSERT_EQ(parts.size(), 3);
        const int rate = parts[0].chopped(2).toInt();
        const int channels = parts[1] == "mono" ? 1 : 2;
        const int kbps = parts[2].chopped(4).toInt();

        TAudioFile2 af;
        af.EnableWMA(-1);
        af.SetWmaFormat(k);
        EXPECT_EQ(af.GetSampleFormat1(), rate);
        EXPECT_EQ(af.GetSampleFormat2(), channels);
        QString path = dir.filePath(QStringLiteral("p%1.wma").arg(k));
        af.CreateWrite(path, 0);
        ASSERT_EQ(af.GetLastError(), 0) << af.GetLastErrorText().toStdString();
        const int64_t frames = rate * 2;
        writeBlocks(af, tone(rate, channels, frames, 440.0), channels, rate * 4 / 10);
        af.Close();
        // The same profile for six seconds: the difference is the audio's own bit rate.
        QString longer = dir.filePath(QStringLiteral("l%1.wma").arg(k));
        af.CreateWrite(longer, 0);
        writeBlocks(af, tone(rate, channels, frames * 3, 440.0), channels, rate * 4 / 10);
        af.Close();
        // ASF pads its fixed-size packets, which adds up to a fifth on top of the audio.
        double realKbps = (QFileInfo(longer).size() - QFileInfo(path).size()) * 8.0 / 4.0 / 1000.0;
        EXPECT_GE(realKbps, kbps * 0.95);
        EXPECT_LE(realKbps, kbps * 1.25 + 2);

        Decoded d = decodeAll(path);
        ASSERT_EQ(d.rate, rate);
        ASSERT_EQ(d.channels, channels);
        // All of the input comes back, plus at most the encoder's last two frames.
        EXPECT_GE(d.frames(), frames);
        EXPECT_LE(d.frames(), frames + 4096);
        EXPECT_EQ(d.length, d.frames()) << "the length is what decodes, at every frame size";
        EXPECT_NEAR(frequency(d.samples, channels, rate), 440.0, 3.0);
        EXPECT_NEAR(level(d.samples, channels), 0.354, 0.06);

        TAudioInformation2 ai;
        ai.SetFileName(path);
        EXPECT_EQ(ai.GetFormatString(), QStringLiteral("Windows Media Audio 2, %1 Hz, %2 kbps, %3")
                                            .arg(rate)
                                            .arg(kbps)
                                            .arg(channels == 1 ? "mono" : "stereo"));
    }
}
