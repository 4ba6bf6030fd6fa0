#include "tools/Convertor.h"
#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "platform/PendingFile.h"
#include "platform/WindowMessages.h"
#include "tests/audiofile/AudioTestUtil.h"
#include "tests/support/ChildRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace audiotest;

namespace {

// Stands in for the window: collects the progress messages.
class ProgressWindow : public QObject {
public:
    std::vector<qintptr> percents;
    bool finished = false;

protected:
    void customEvent(QEvent* event) override {
        if (event->type() != WindowMessageEvent::eventType()) return;
        auto* message = static_cast<WindowMessageEvent*>(event);
        if (message->id() == WindowMessageId::ConvertProgress) percents.push_back(message->lParam());
    }
};

void UseTestSettings(const QString& outputPath) {
    using namespace GlobeVar;
    WavFreq = 44100, WavChannels = 2, WavSampleRate = 16;
    MP3Freq = 44100, MP3Channels = 2, MP3BitRate = 128, MP3MaxBitRate = 320, MP3EncoderQuality = 5;
    MP3VBRQuality = 2, MP3VBREnable = true, MP3VBRHeader = true;
    OggFreq = 44100, OggChannels = 2, OggBitRate = 699;
    WmaFormat = 15;
    ConvertSaveToOriginal = true;
    ConvertOutputPath = outputPath;
    ConvertOverwrite = false;
}

// Writes `seconds` of a 440 Hz tone (left) and 1 kHz (right) at 44.1 kHz stereo in `word`'s format.
void MakeSource(const QString& file, const QString& word, int seconds) {
    TAudioFile2LameEnc lame;
    TAudioFile2 out;
    ConfigureConvertTarget(out, lame, word);
    out.CreateWrite(file, 0);
    ASSERT_EQ(out.GetLastError(), 0) << out.GetLastErrorText().toStdString();
    out.SetInputFormat(44100, 2);
    std::vector<int16_t> left = tone(44100, 1, 44100LL * seconds, 440.0, 0.4);
    std::vector<int16_t> right = tone(44100, 1, 44100LL * seconds, 1000.0, 0.2);
    std::vector<int16_t> both(left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i)
        both[2 * i] = left[i], both[2 * i + 1] = right[i];
    writeBlocks(out, both, 2, 11025);
    out.Close();
}

struct ConversionRun {
    QString message; // of PrepareConversion, then of FinishConversion
    ProgressWindow window;
};

// Converts through the same calls the player window makes; `cancelAt` terminates the thread
// after the first progress message at or above that percentage.
void Convert(ConversionRun& run, const QString& source, const QString& target, const QString& word,
             int cancelAt = -1) {
    TAudioFile2LameEnc lame;
    TAudioFile2 in, out;
    ConfigureConvertTarget(out, lame, word);
    TPendingFile output;
    run.message = PrepareConversion(in, out, source, target, output);
    if (!run.message.isEmpty()) return;
    bool done = false;
    TConvertor convertor(
        &in, &run.window, &out, [&] { done = true; }, source);
    QElapsedTimer clock;
    clock.start();
    bool cancelled = false;
    while (!done && clock.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (cancelAt >= 0 && !cancelled && !run.window.percents.empty() &&
            run.window.percents.back() >= cancelAt && run.window.percents.back() < 100) {
            cancelled = true;
            convertor.Terminate();
        }
    }
    ASSERT_TRUE(done);
    QCoreApplication::processEvents();
    run.message = FinishConversion(convertor, cancelled, output);
}

double Seconds(const Decoded& d) {
    return d.rate ? double(d.frames()) / d.rate : 0;
}

} // namespace

TEST(Convertor, EachFormatIntoEachOtherKeepsLengthAndContent) {
    QTemporaryDir dir;
    UseTestSettings(dir.path());
    const QStringList words{"WAV", "MP3", "OGG", "WMA"};
    for (const QString& from : words) {
        const QString source = dir.filePath("song." + from.toLower());
        MakeSource(source, from, 3);
        const Decoded original = decodeAll(source);
        ASSERT_GT(original.frames(), 44100 * 2);
        for (const QString& to : words) {
            if (to == from) continue;
            SCOPED_TRACE((from + " -> " + to).toStdString());
            const QString target = ConvertTargetName(source, to);
            ConversionRun run;
            Convert(run, source, target, to);
            EXPECT_TRUE(run.message.isEmpty()) << run.message.toStdString();
            ASSERT_FALSE(run.window.percents.empty());
            EXPECT_EQ(run.window.percents.back(), 100);
            EXPECT_TRUE(std::is_sorted(run.window.percents.begin(), run.window.percents.end()));
            const Decoded converted = decodeAll(target);
            ASSERT_EQ(converted.channels, 2);
            // Lengths: WMA ends on a packet boundary (up to 2048 frames).
            EXPECT_NEAR(Seconds(converted), Seconds(original), to == "WMA" || from == "WMA" ? 0.1 : 0.002);
            EXPECT_NEAR(frequency(converted.samples, 2, converted.rate, 0), 440.0, 2.0);
            EXPECT_NEAR(frequency(converted.samples, 2, converted.rate, 1), 1000.0, 4.0);
            EXPECT_NEAR(level(converted.samples, 2, 0), level(original.samples, 2, 0), 0.03);
            EXPECT_NEAR(level(converted.samples, 2, 1), level(original.samples, 2, 1), 0.03);
            if (to == "WAV") {
                // Lossless: the samples are the decoded source's.
                ASSERT_EQ(converted.samples.size(), original.samples.size());
                EXPECT_TRUE(converted.samples == original.samples);
            }
        }
    }
}

TEST(Convertor, TargetNamesGetNewAndNeverNameTheSource) {
    QTemporaryDir dir;
    UseTestSettings(dir.path() + "/out");
    const QString song = dir.filePath("song.wav");
    MakeSource(song, "WAV", 1);
    EXPECT_EQ(ConvertTargetName(song, "MP3"), dir.filePath("song.mp3"));
    QFile(dir.filePath("song.mp3")).open(QIODevice::WriteOnly);
    EXPECT_EQ(ConvertTargetName(song, "MP3"), dir.filePath("song New.mp3"));
    QFile(dir.filePath("song New.mp3")).open(QIODevice::WriteOnly);
    EXPECT_EQ(ConvertTargetName(song, "MP3"), dir.filePath("song New New.mp3"));
    GlobeVar::ConvertOverwrite = true;
    EXPECT_EQ(ConvertTargetName(song, "MP3"), dir.filePath("song.mp3"));
    // A WAV file named .mp3: converting it to MP3 must not write over itself.
    const QString disguised = dir.filePath("tune.mp3");
    ASSERT_TRUE(QFile::copy(song, disguised));
    EXPECT_EQ(ConvertTargetName(disguised, "MP3"), dir.filePath("tune New.mp3"));
    GlobeVar::ConvertOverwrite = false;
    EXPECT_EQ(ConvertTargetName(disguised, "MP3"), dir.filePath("tune New.mp3"));
    // Into the converter folder (without its trailing "/" too).
    GlobeVar::ConvertSaveToOriginal = false;
    EXPECT_EQ(ConvertTargetName(song, "OGG"), dir.path() + "/out/song.ogg");
    GlobeVar::ConvertOutputPath = dir.path() + "/";
    EXPECT_EQ(ConvertTargetName(song, "MP3"), dir.filePath("song New New.mp3"));
    // The source itself reached through the converter folder counts as existing too.
    EXPECT_EQ(ConvertTargetName(disguised, "MP3"), dir.filePath("tune New.mp3"));
}

TEST(Convertor, CancelFailuresAndFullDiskLeaveNoTarget) {
    QTemporaryDir dir;
    UseTestSettings(dir.path());
    const QString source = dir.filePath("long.wav");
    MakeSource(source, "WAV", 30);

    {
        SCOPED_TRACE("cancel half-way");
        ConversionRun run;
        const QString target = dir.filePath("long.mp3");
        Convert(run, source, target, "MP3", 40);
        EXPECT_TRUE(run.message.isEmpty());
        EXPECT_LT(run.window.percents.back(), 100);
        EXPECT_FALSE(QFile::exists(target));
    }
    {
        SCOPED_TRACE("source cannot be opened");
        ConversionRun run;
        const QString missing = dir.filePath("missing.wav");
        Convert(run, missing, dir.filePath("missing.mp3"), "MP3");
        EXPECT_TRUE(run.message.contains(missing)) << run.message.toStdString();
        EXPECT_TRUE(run.window.percents.empty());
        EXPECT_FALSE(QFile::exists(dir.filePath("missing.mp3")));
    }
    {
        SCOPED_TRACE("target cannot be created");
        ConversionRun run;
        const QString target = dir.filePath("no such folder/long.ogg");
        Convert(run, source, target, "OGG");
        EXPECT_TRUE(run.message.contains(target)) << run.message.toStdString();
        EXPECT_TRUE(run.window.percents.empty());
    }
    {
        SCOPED_TRACE("disk full during the conversion");
        // A file size limit stands in for a disk that fills up half-way.
        const QString target = dir.filePath("long copy.wav");
        ConversionRun run;
        {
            const FileSizeLimit full(1000000);
            Convert(run, source, target, "WAV");
        }
        EXPECT_TRUE(run.message.contains(target)) << run.message.toStdString();
        EXPECT_LT(run.window.percents.back(), 100);
        EXPECT_FALSE(QFile::exists(target));
    }
    {
        // Sources that hold a header and no audio: a 44-byte WAV, and what oggenc makes of it.
        // Each conversion fails naming the source, and no target (nor its temporary) is left.
        const QString empty = dir.filePath("header only.wav");
        ASSERT_TRUE(writeHeaderOnlyWav(empty));
        QStringList sources{empty};
        const QString oggenc = QStandardPaths::findExecutable("oggenc");
        if (!oggenc.isEmpty()) {
            const QString ogg = dir.filePath("header only ogg.ogg");
            ASSERT_EQ(QProcess::execute(oggenc, {"-Q", "-o", ogg, empty}), 0);
            ASSERT_GT(QFileInfo(ogg).size(), 1000);
            sources << ogg;
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& from : sources) {
            for (const QString& to : {"WAV", "MP3", "OGG", "WMA"}) {
                if (from.endsWith(QString(to).toLower())) continue;
                SCOPED_TRACE((from + " -> " + to).toStdString());
                ConversionRun run;
                const QString target = ConvertTargetName(from, to);
                Convert(run, from, target, to);
                EXPECT_TRUE(run.message.contains(from) && run.message.contains("no audio"))
                    << run.message.toStdString();
                EXPECT_FALSE(QFile::exists(target));
            }
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    }
    // The source is untouched by all of it.
    EXPECT_EQ(decodeAll(source).frames(), 44100 * 30);
}
