// WAV writing and reading, the read API (block sizes, end of stream, seeking), input conversion,
// and the writer's life cycle (Close, failed CreateWrite, a writer killed mid-way).
#include "AudioTestUtil.h"

#include "components/ComponentError.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace audiotest;

namespace {

QString writeWav(const QString& path, int rate, int channels, int bits, const std::vector<int16_t>& pcm) {
    TAudioFile2 af;
    af.EnableWMA(0);
    af.SetWavFormat(rate, channels, bits);
    af.CreateWrite(path, 0);
    EXPECT_EQ(af.GetLastError(), 0) << af.GetLastErrorText().toStdString();
    writeBlocks(af, pcm, channels, rate / 3);
    af.Close();
    return path;
}

} // namespace

TEST(WavFile, RoundTripEveryFrequencyChannelCountAndSampleSize) {
    QTemporaryDir dir;
    for (int rate : {8000, 11025, 22050, 24000, 32000, 44100, 48000}) {
        for (int channels : {1, 2}) {
            for (int bits : {8, 16}) {
                SCOPED_TRACE(testing::Message() << rate << " Hz " << channels << " ch " << bits << " bit");
                const int64_t frames = rate / 2 + 7; // not a multiple of the block size
                std::vector<int16_t> pcm = tone(rate, channels, frames, 440.0, 0.5);
                QString path = writeWav(dir.filePath("t.wav"), rate, channels, bits, pcm);
                EXPECT_EQ(QFileInfo(path).size(),
                          44 + frames * channels * bits / 8 + (frames * channels * bits / 8) % 2);
                Decoded d = decodeAll(path);
                ASSERT_EQ(d.rate, rate);
                ASSERT_EQ(d.channels, channels);
                EXPECT_EQ(d.length, frames);
                ASSERT_EQ(d.frames(), frames);
                if (bits == 16) {
                    EXPECT_EQ(d.samples, pcm);
                } else {
                    for (std::size_t i = 0; i < pcm.size(); ++i)
                        ASSERT_NEAR(d.samples[i], pcm[i], 256) << i;
                }
                EXPECT_NEAR(frequency(d.samples, channels, rate), 440.0, 2.0);
                EXPECT_NEAR(level(d.samples, channels), 0.5 / std::sqrt(2.0), 0.01);
            }
        }
    }
}

TEST(WavFile, ReadArrayCountsFramesAndEndsWithEmptyBlocks) {
    QTemporaryDir dir;
    const int rate = 8000;
    std::vector<int16_t> pcm = tone(rate, 2, 1000, 300.0);
    QString path = writeWav(dir.filePath("b.wav"), rate, 2, 16, pcm);
    TAudioFile2 af;
    af.OpenRead(path, 0, 1);
    ASSERT_EQ(af.GetLastError(), 0);
    EXPECT_EQ(af.GetElementsPerPosition(), 2);
    EXPECT_EQ(af.GetSampleFormat1(), 8000);
    EXPECT_EQ(af.GetSampleFormat2(), 2);
    EXPECT_EQ(af.GetFormatString(), "PCM, 8000 Hz, 16 bit, stereo");
    // 1000 frames in blocks of 300 frames: 600, 600, 600 and 200 elements.
    std::vector<int> sizes;
    for (int i = 0; i < 6; ++i)
        sizes.push_back(af.ReadArray(300).upperBound() + 1);
    EXPECT_EQ(sizes, (std::vector<int>{600, 600, 600, 200, 0, 0}));
    EXPECT_EQ(af.ReadArray(0).upperBound(), -1);
}

TEST(WavFile, SeekIsExactAndClamped) {
    QTemporaryDir dir;
    const int rate = 22050;
    std::vector<int16_t> pcm = noise(2, rate * 3);
    QString path = writeWav(dir.filePath("s.wav"), rate, 2, 16, pcm);
    TAudioFile2 af;
    af.OpenRead(path, 0, 1);
    ASSERT_EQ(af.GetLength(), rate * 3);
    for (int64_t pos :
         {int64_t(12345), int64_t(100), int64_t(rate * 2 + 17), int64_t(5), int64_t(rate * 3 - 10)}) {
        EXPECT_EQ(af.Seek(pos, 3), pos);
        AudioBlock b = af.ReadArray(10);
        ASSERT_EQ(b.samples.size(), 20u);
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(b.samples[std::size_t(i)], pcm[std::size_t(pos * 2 + i)]) << pos;
    }
    EXPECT_EQ(af.Seek(-500, 3), 0);
    EXPECT_EQ(af.ReadArray(1).samples[0], pcm[0]);
    EXPECT_EQ(af.Seek(rate * 10, 3), rate * 3);
    EXPECT_EQ(af.ReadArray(100).upperBound(), -1);
}

TEST(WavFile, InputFormatIsConvertedToTheOutputFormat) {
    QTemporaryDir dir;
    // 44.1 kHz stereo input into an 8-bit 22.05 kHz mono file, the input format given after
    // CreateWrite as the converter does.
    TAudioFile2 af;
    af.SetWavFormat(22050, 1, 8);
    af.CreateWrite(dir.filePath("c.wav"), 0);
    ASSERT_EQ(af.GetLastError(), 0);
    af.SetInputFormat(44100, 2);
    writeBlocks(af, tone(44100, 2, 44100 * 2, 1000.0, 0.5), 2, 44100 / 5);
    af.Close();
    Decoded d = decodeAll(dir.filePath("c.wav"));
    EXPECT_EQ(d.rate, 22050);
    EXPECT_EQ(d.channels, 1);
    EXPECT_NEAR(double(d.frames()), 44100.0, 64.0);
    EXPECT_NEAR(frequency(d.samples, 1, 22050), 1000.0, 3.0);
    EXPECT_NEAR(level(d.samples, 1), 0.354, 0.02);

    // Without SetInputFormat the input is taken in the output format.
    TAudioFile2 plain;
    plain.SetWavFormat(16000, 1, 16);
    plain.CreateWrite(dir.filePath("p.wav"), 0);
    writeBlocks(plain, tone(16000, 1, 16000, 500.0), 1, 4000);
    plain.Close();
    EXPECT_EQ(decodeAll(dir.filePath("p.wav")).frames(), 16000);
}

TEST(WavFile, ConvertsSourcesAtRatesItDoesNotWrite) {
    // The converter passes a source's own format to SetInputFormat: a WAV at a rate no settings
    // list offers plays, so it converts too.
    QTemporaryDir dir;
    for (int rate : {6000, 352800}) {
        SCOPED_TRACE(rate);
        std::vector<int16_t> pcm = tone(rate, 1, rate, 500.0);
        QByteArray file(44, '\0');
        auto put32 = [&file](int at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                file[at + i] = char(v >> (8 * i));
        };
        auto put16 = [&file](int at, uint16_t v) {
            file[at] = char(v);
            file[at + 1] = char(v >> 8);
        };
        std::memcpy(file.data(), "RIFF", 4);
        put32(4, uint32_t(36 + pcm.size() * 2));
        std::memcpy(file.data() + 8, "WAVEfmt ", 8);
        put32(16, 16);
        put16(20, 1);
        put16(22, 1);
        put32(24, uint32_t(rate));
        put32(28, uint32_t(rate * 2));
        put16(32, 2);
        put16(34, 16);
        std::memcpy(file.data() + 36, "data", 4);
        put32(40, uint32_t(pcm.size() * 2));
        file.append(reinterpret_cast<const char*>(pcm.data()), qsizetype(pcm.size() * 2));
        QFile source(dir.filePath("odd.wav"));
        ASSERT_TRUE(source.open(QIODevice::WriteOnly | QIODevice::Truncate));
        source.write(file);
        source.close();

        TAudioFile2 in, out;
        in.OpenRead(source.fileName(), 0, 1);
        ASSERT_EQ(in.GetLastError(), 0);
        ASSERT_EQ(in.GetSampleFormat1(), rate);
        out.SetWavFormat(44100, 2, 16);
        out.CreateWrite(dir.filePath("converted.wav"), 0);
        ASSERT_EQ(out.GetLastError(), 0);
        ASSERT_NO_THROW(out.SetInputFormat(in.GetSampleFormat1(), in.GetSampleFormat2()));
        for (;;) {
            AudioBlock b = in.ReadArray(in.GetSampleFormat1() * in.GetSampleFormat2());
            if (b.upperBound() < 0) break;
            out.WriteArray(b);
        }
        out.Close();
        Decoded d = decodeAll(dir.filePath("converted.wav"));
        EXPECT_NEAR(double(d.frames()), 44100.0, 64.0);
        EXPECT_NEAR(frequency(d.samples, 2, 44100), 500.0, 2.0);
        EXPECT_NEAR(level(d.samples, 2), 0.354, 0.02);
    }
    TAudioFile2 af;
    EXPECT_THROW(af.SetInputFormat(0, 2), ComponentError);
    EXPECT_THROW(af.SetInputFormat(44100, 0), ComponentError);
}

TEST(WavFile, CloseIsHarmlessAndFailedCreateLeavesNothing) {
    QTemporaryDir dir;
    TAudioFile2 af;
    af.Close();
    af.Close();
    EXPECT_EQ(af.GetLength(), 0);
    EXPECT_EQ(af.ReadArray(100).upperBound(), -1);
    EXPECT_EQ(af.Seek(100, 3), 0);
    EXPECT_THROW(af.WriteArray(AudioBlock(std::vector<int16_t>(10), 2)), ComponentError);

    QString bad = dir.filePath("missing-folder/x.wav");
    af.SetWavFormat(44100, 2, 16);
    af.CreateWrite(bad, 0);
    EXPECT_NE(af.GetLastError(), 0);
    EXPECT_FALSE(af.GetLastErrorText().isEmpty());
    af.Close();
    af.Close();
    EXPECT_FALSE(QFile::exists(bad));

    // A good create after the failed one works and clears the error.
    af.CreateWrite(dir.filePath("ok.wav"), 0);
    EXPECT_EQ(af.GetLastError(), 0);
    af.Close();
    // A WAV file without samples opens, with nothing to read.
    TAudioFile2 empty;
    empty.OpenRead(dir.filePath("ok.wav"), 0, 1);
    EXPECT_EQ(empty.GetLastError(), 0);
    EXPECT_EQ(empty.GetLength(), 0);
    EXPECT_EQ(empty.ReadArray(100).upperBound(), -1);

    // Never a pipe, a device or a folder: they are neither written nor removed.
    QString fifo = dir.filePath("pipe.wav"), folder = dir.filePath("folder.wav");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir().mkdir(folder);
    for (const QString& target : {fifo, folder}) {
        af.CreateWrite(target, 0);
        EXPECT_NE(af.GetLastError(), 0) << target.toStdString();
        af.Close();
        EXPECT_TRUE(QFileInfo::exists(target)) << target.toStdString();
    }

    EXPECT_THROW(af.SetWavFormat(44100, 2, 24), ComponentError);
    EXPECT_THROW(af.SetWavFormat(44100, 3, 16), ComponentError);
}

TEST(WavFile, WriterKilledMidWayLeavesAPlayableFile) {
    QTemporaryDir dir;
    QString path = dir.filePath("killed.wav");
    const int rate = 44100;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TAudioFile2 af;
        af.SetWavFormat(rate, 2, 16);
        af.CreateWrite(path, 0);
        for (int64_t frame = 0;; frame += rate / 10) {
            af.WriteArray(AudioBlock(tone(rate, 2, rate / 10, 440.0, 0.5, frame), 2));
            usleep(2000);
        }
    }
    // Let it write a few blocks, then kill it without warning.
    for (int i = 0; i < 500 && QFileInfo(path).size() < 200000; ++i)
        usleep(10000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_GE(QFileInfo(path).size(), 200000);
    Decoded d = decodeAll(path);
    ASSERT_EQ(d.rate, rate);
    EXPECT_GE(d.frames(), 200000 / 4 - rate / 10);
    EXPECT_EQ(d.length, d.frames());
    EXPECT_EQ(d.frames() % (rate / 10), 0) << "whole blocks only";
    EXPECT_NEAR(frequency(d.samples, 2, rate), 440.0, 1.0);
    // The sample sequence is unbroken up to the end.
    std::vector<int16_t> expected = tone(rate, 2, d.frames(), 440.0);
    EXPECT_EQ(d.samples, expected);
}

TEST(WavFile, CompressedWritersKilledMidWayKeepTheirBlocks) {
    QTemporaryDir dir;
    const int rate = 44100;
    for (const char* ext : {"mp3", "ogg", "wma"}) {
        SCOPED_TRACE(ext);
        QString path = dir.filePath(QStringLiteral("killed.%1").arg(QString::fromLatin1(ext)));
        int pipeFd[2];
        ASSERT_EQ(pipe(pipeFd), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TAudioFile2LameEnc lame;
            TAudioFile2 af;
            af.SetLameEncoder(&lame);
            if (QString::fromLatin1(ext) == "mp3")
                af.SetMp3Format(rate, 128, 2);
            else if (QString::fromLatin1(ext) == "ogg")
                af.SetOggFormat(rate, 2, 128, 0, 0, 499);
            else
                af.SetWmaFormat(15);
            af.CreateWrite(path, 0);
            for (int64_t block = 0;; ++block) {
                af.WriteArray(AudioBlock(tone(rate, 2, rate * 4 / 10, 440.0, 0.5, block * rate * 4 / 10), 2));
                if (block == 10) {
                    char c = 1; // four seconds are written
                    (void)!write(pipeFd[1], &c, 1);
                }
                usleep(1000);
            }
        }
        close(pipeFd[1]);
        char c = 0;
        (void)!read(pipeFd[0], &c, 1);
        close(pipeFd[0]);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        Decoded d = decodeAll(path);
        ASSERT_EQ(d.rate, rate);
        EXPECT_GE(d.frames(), rate * 4);
        EXPECT_NEAR(frequency(d.samples, 2, rate), 440.0, 2.0);
        // The length reported is what plays, though no header was completed.
        EXPECT_NEAR(double(d.length), double(d.frames()), QString::fromLatin1(ext) == "wma" ? 0.0 : 1152.0);
    }
}

TEST(WavFile, WritersOnAFullDiskSayItAndLeaveNoEmptyFile) {
    // A file size limit stands in for a disk that is full from the start (0 bytes) or fills up
    // during the recording. Each writer runs in a child process of its own.
    QTemporaryDir dir;
    const int rate = 44100;
    for (const char* ext : {"wav", "mp3", "ogg", "wma"}) {
        for (long limit : {0L, 30000L}) {
            SCOPED_TRACE(testing::Message() << ext << ", room for " << limit << " bytes");
            const QString e = QString::fromLatin1(ext);
            const QString path = dir.filePath(QStringLiteral("full%1.%2").arg(limit).arg(e));
            pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                signal(SIGXFSZ, SIG_IGN);
                struct rlimit rl {
                    rlim_t(limit), rlim_t(limit)
                };
                setrlimit(RLIMIT_FSIZE, &rl);
                TAudioFile2LameEnc lame;
                TAudioFile2 af;
                af.SetLameEncoder(&lame);
                if (e == "wav")
                    af.SetWavFormat(rate, 2, 16);
                else if (e == "mp3")
                    af.SetMp3Format(rate, 128, 2);
                else if (e == "ogg")
                    af.SetOggFormat(rate, 2, 128, 0, 0, 599);
                else
                    af.SetWmaFormat(15);
                af.CreateWrite(path, 0);
                // Exit code: 0 when the failure was reported (by CreateWrite, WriteArray or Close).
                bool reported = af.GetLastError() != 0;
                try {
                    for (int i = 0; i < 50 && !reported; ++i)
                        af.WriteArray(AudioBlock(
                            tone(rate, 2, rate * 4 / 10, 440.0, 0.5, int64_t(i) * rate * 4 / 10), 2));
                } catch (const ComponentError&) {
                    reported = true;
                }
                try {
                    af.Close();
                } catch (const ComponentError&) {
                    reported = true;
                }
                _exit(reported ? 0 : 1);
            }
            int status = 0;
            waitpid(child, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 0) << "the full disk was not reported";
            if (limit == 0) {
                EXPECT_FALSE(QFile::exists(path)) << "an empty file was left behind";
            } else {
                // What fitted plays.
                Decoded d = decodeAll(path);
                EXPECT_GT(d.frames(), rate / 10);
                EXPECT_NEAR(frequency(d.samples, 2, rate), 440.0, 3.0);
            }
        }
    }
}

TEST(WavFile, FormatStringDescribesTheWriterAndStaysAfterClose) {
    QTemporaryDir dir;
    TAudioFile2 af;
    af.SetWavFormat(32000, 1, 8);
    EXPECT_EQ(af.GetFormatString(), "PCM, 32000 Hz, 8 bit, mono");
    af.CreateWrite(dir.filePath("f.wav"), 0);
    writeBlocks(af, tone(32000, 1, 3200, 100.0), 1, 3200);
    af.Close();
    EXPECT_EQ(af.GetFormatString(), "PCM, 32000 Hz, 8 bit, mono");
    af.SetOggFormat(48000, 2, 128, 0, 0, 399);
    EXPECT_EQ(af.GetFormatString(), "Ogg Vorbis, 48000 Hz, quality 3, stereo");
    EXPECT_EQ(af.GetSampleFormat1(), 48000);
    EXPECT_EQ(af.GetSampleFormat2(), 2);

    // A file that does not open is described by nothing: not by the file before it, not by the
    // output format (the window shows this text for the file it tried to play).
    af.OpenRead(dir.filePath("f.wav"), 0, 1);
    EXPECT_EQ(af.GetFormatString(), "PCM, 32000 Hz, 8 bit, mono");
    af.OpenRead(dir.filePath("gone.wav"), 0, 1);
    ASSERT_NE(af.GetLastError(), 0);
    EXPECT_EQ(af.GetFormatString(), "");
    af.Close();
    EXPECT_EQ(af.GetFormatString(), "");
    // A create that fails describes the format it was to write, not the file read before.
    af.OpenRead(dir.filePath("f.wav"), 0, 1);
    af.SetWavFormat(8000, 2, 16);
    af.CreateWrite(dir.filePath("no-folder/x.wav"), 0);
    ASSERT_NE(af.GetLastError(), 0);
    EXPECT_EQ(af.GetFormatString(), "PCM, 8000 Hz, 16 bit, stereo");
}

TEST(WavFile, ReaderWhoseFileVanishesEndsQuietly) {
    QTemporaryDir dir;
    QString path = writeWav(dir.filePath("v.wav"), 8000, 1, 16, tone(8000, 1, 80000, 200.0));
    TAudioFile2 af;
    af.OpenRead(path, 0, 1);
    ASSERT_EQ(af.GetLastError(), 0);
    EXPECT_EQ(af.ReadArray(100).frames(), 100u);
    QFile::remove(path);
    // The open file still reads; going back to the start needs the file again and fails cleanly.
    EXPECT_EQ(af.ReadArray(100).frames(), 100u);
    EXPECT_THROW(af.Seek(0, 3), ComponentError);
    EXPECT_EQ(af.ReadArray(100).upperBound(), -1);
    af.Close();
}
