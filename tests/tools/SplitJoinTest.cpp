#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "platform/PendingFile.h"
#include "platform/WindowMessages.h"
#include "tests/audiofile/AudioTestUtil.h"
#include "tests/support/ChildRun.h"
#include "tests/tools/ToolTestFiles.h"
#include "tools/Convertor.h"
#include "tools/Joiner.h"
#include "tools/JoinerThread.h"
#include "tools/Splitter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace audiotest;
using namespace tooltest;

namespace {

// Stands in for the window: collects the progress messages.
class ProgressWindow : public QObject {
public:
    std::vector<std::pair<qintptr, qintptr>> progress;

protected:
    void customEvent(QEvent* event) override {
        if (event->type() != WindowMessageEvent::eventType()) return;
        auto* message = static_cast<WindowMessageEvent*>(event);
        if (message->id() == WindowMessageId::SplitJoinProgress)
            progress.emplace_back(message->wParam(), message->lParam());
    }
};

TSplitResult Split(
    const QString& source, const std::vector<int64_t>& cuts, ProgressWindow& window,
    std::function<bool()> cancel = [] { return false; }) {
    TAudioFile2 in, out;
    TAudioFile2LameEnc lame;
    TSplitResult result =
        RunSplit(in, out, lame, source, cuts, TSplitSettings::FromGlobals(), &window, cancel);
    QCoreApplication::sendPostedEvents(&window); // the progress the run posted
    return result;
}

} // namespace

// Marks at 0, 3, 7.5 and 12 s with the middle section unticked: two files, 0-7.5 s and 7.5-12 s, in
// the source's format; every piece decodes to its cut's length within one codec frame and WAV
// pieces put together are the source exactly. Names already taken get " New", and a folder stored
// without its trailing "/" still gets one.
TEST(SplitRun, CutsEveryFormatAtItsMarks) {
    QTemporaryDir dir;
    UseTestSettings();
    GlobeVar::SplitOutputPath = dir.path() + QStringLiteral("/out");
    ASSERT_TRUE(QDir().mkpath(GlobeVar::SplitOutputPath));
    const std::vector<int> rows = SplitCutRows({true, false, true, true});
    ASSERT_EQ(rows, (std::vector<int>{0, 2, 3}));
    const std::vector<int64_t> marks{0, 3000, 7500, 12000};
    std::vector<int64_t> cuts;
    for (int row : rows)
        cuts.push_back(marks[row]);
    for (const QString& word :
         {QStringLiteral("WAV"), QStringLiteral("MP3"), QStringLiteral("OGG"), QStringLiteral("WMA")}) {
        SCOPED_TRACE(word.toStdString());
        const QString ext = word.toLower();
        const QString source = dir.filePath(QStringLiteral("src.") + ext);
        MakeSource(source, word, 12.0, 440.0);
        QFile taken(GlobeVar::SplitOutputPath + QStringLiteral("/src-Splitted0.") + ext);
        ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
        taken.close();
        ProgressWindow window;
        const TSplitResult result = Split(source, cuts, window);
        EXPECT_EQ(result.message, QStringLiteral("Split finished"));
        ASSERT_EQ(result.written.size(), 2);
        EXPECT_EQ(result.written[0], GlobeVar::SplitOutputPath + QStringLiteral("/src-Splitted0 New.") + ext);
        EXPECT_EQ(result.written[1], GlobeVar::SplitOutputPath + QStringLiteral("/src-Splitted1.") + ext);
        EXPECT_FALSE(window.progress.empty());
        EXPECT_EQ(window.progress.back(), (std::pair<qintptr, qintptr>(1, 100)));
        const Decoded whole = decodeAll(source);
        std::vector<int16_t> joined;
        for (int k = 0; k < 2; ++k) {
            const Decoded piece = decodeAll(result.written[k]);
            ASSERT_GT(piece.frames(), 0);
            const int64_t expected = (cuts[k + 1] - cuts[k]) * 44100 / 1000;
            EXPECT_NEAR(double(piece.frames()), double(expected), 2048.0);
            EXPECT_NEAR(frequency(piece.samples, piece.channels, piece.rate), 440.0, 4.4);
            joined.insert(joined.end(), piece.samples.begin(), piece.samples.end());
        }
        if (word == QLatin1String("WAV")) {
            EXPECT_TRUE(joined == whole.samples);
        }
        for (const QString& f : result.written)
            QFile::remove(f);
        QFile::remove(taken.fileName());
    }
}

// Files whose length only the audio tells: a chained OGG (3 s of 440 Hz, then 2 s of 880 Hz, one
// stream after the other) split at a third and two thirds, and an IMA ADPCM WAV with a damaged
// block split in two. The pieces add up to what the source decodes to, each in its place.
TEST(SplitRun, ChainedAndDamagedSourcesAreCutOverAllTheirAudio) {
    QTemporaryDir dir;
    UseTestSettings(dir.path());
    const QString first = dir.filePath(QStringLiteral("first.ogg")),
                  second = dir.filePath(QStringLiteral("second.ogg"));
    MakeSource(first, QStringLiteral("OGG"), 3.0, 440.0);
    MakeSource(second, QStringLiteral("OGG"), 2.0, 880.0);
    const QString chained = dir.filePath(QStringLiteral("chained.ogg"));
    {
        QFile out(chained), a(first), b(second);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && a.open(QIODevice::ReadOnly) &&
                    b.open(QIODevice::ReadOnly));
        out.write(a.readAll() + b.readAll());
    }
    TAudioInformation2 ai;
    ai.SetFileName(chained);
    EXPECT_EQ(ai.GetDuration(), 5000);
    const Decoded whole = decodeAll(chained);
    EXPECT_EQ(whole.length, whole.frames());
    ProgressWindow window;
    const int duration = ai.GetDuration();
    TSplitResult result = Split(chained, {0, duration / 3, duration * 2 / 3, duration}, window);
    EXPECT_EQ(result.message, QStringLiteral("Split finished"));
    ASSERT_EQ(result.written.size(), 3);
    int64_t total = 0;
    for (int k = 0; k < 3; ++k) {
        const Decoded piece = decodeAll(result.written[k]);
        EXPECT_NEAR(double(piece.frames()), whole.frames() / 3.0, 1024.0) << "piece " << k;
        total += piece.frames();
        // The first piece lies in the first stream, the last in the second.
        if (k != 1)
            EXPECT_NEAR(frequency(piece.samples, piece.channels, piece.rate), k == 0 ? 440.0 : 880.0, 8.8)
                << "piece " << k;
    }
    EXPECT_NEAR(double(total), double(whole.frames()), 3 * 512.0);

    // IMA ADPCM in 1024-byte blocks, one of them with an impossible step index.
    const QString pcm = dir.filePath(QStringLiteral("pcm.wav")),
                  adpcm = dir.filePath(QStringLiteral("adpcm.wav"));
    MakeSource(pcm, QStringLiteral("WAV"), 4.0, 440.0);
    ASSERT_EQ(runFfmpeg({"-i", pcm, "-c:a", "adpcm_ima_wav", adpcm}), 0);
    QFile damaged(adpcm);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    const qint64 data = damaged.readAll().indexOf("data") + 8;
    ASSERT_TRUE(damaged.seek(data + 10 * 1024 + 2));
    damaged.write("\xff", 1);
    damaged.close();
    const Decoded source = decodeAll(adpcm);
    EXPECT_GE(source.frames(), 4 * 44100 - 2 * 1017);
    ai.SetFileName(adpcm);
    result = Split(adpcm, {0, 1000, ai.GetDuration()}, window);
    EXPECT_EQ(result.message, QStringLiteral("Split finished"));
    ASSERT_EQ(result.written.size(), 2);
    const Decoded before = decodeAll(result.written[0]), after = decodeAll(result.written[1]);
    EXPECT_NEAR(double(before.frames() + after.frames()), double(source.frames()), 64.0);
    EXPECT_NEAR(frequency(after.samples, after.channels, after.rate), 440.0, 4.4);
}

// A missing source, an output folder that cannot be written and no ticked section each stop the
// run with one message and leave nothing behind; a cancel keeps the piece being written and starts
// no other.
TEST(SplitRun, FailuresAndCancelLeaveNothingHalfDone) {
    QTemporaryDir dir;
    UseTestSettings();
    GlobeVar::SplitOutputPath = dir.path() + QStringLiteral("/missing/folder");
    ProgressWindow window;
    const QString absent = dir.filePath(QStringLiteral("absent.wav"));
    TSplitResult result = Split(absent, {0, 1000}, window);
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.message.startsWith(QStringLiteral("Unable to open ") + absent))
        << result.message.toStdString();

    const QString source = dir.filePath(QStringLiteral("s.wav"));
    MakeSource(source, QStringLiteral("WAV"), 6.0, 440.0);
    result = Split(source, {0, 3000, 6000}, window);
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.message.startsWith(QStringLiteral("Unable to create ") + GlobeVar::SplitOutputPath))
        << result.message.toStdString();
    EXPECT_TRUE(result.written.isEmpty());

    // A full disk: the piece being written is deleted and the run stops with its name.
    GlobeVar::SplitOutputPath = dir.path();
    {
        const FileSizeLimit full(200000);
        result = Split(source, {0, 3000, 6000}, window);
    }
    const QString first = dir.filePath(QStringLiteral("s-Splitted0.wav"));
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.message.startsWith(QStringLiteral("Unable to write ") + first))
        << result.message.toStdString();
    EXPECT_FALSE(QFile::exists(first));

    // A source of no audio (a bare header): the run fails naming it, and no piece is left.
    const QString bare = dir.filePath(QStringLiteral("bare.wav"));
    ASSERT_TRUE(writeHeaderOnlyWav(bare));
    result = Split(bare, {0, 1000, 2000}, window);
    EXPECT_TRUE(result.failed);
    EXPECT_TRUE(result.message.startsWith(QStringLiteral("Unable to split ") + bare))
        << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(QStringLiteral("no audio"))) << result.message.toStdString();
    EXPECT_TRUE(result.written.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*bare*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("bare.wav")});

    const std::vector<int> none = SplitCutRows({false, false, false});
    EXPECT_EQ(none.size(), 1u);
    result = Split(source, {6000}, window);
    EXPECT_EQ(result.message, QStringLiteral("No section selected"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("s-Splitted0.wav"))));

    // Cancelled once the first block has been copied.
    int asked = 0;
    result = Split(source, {0, 3000, 6000}, window, [&] { return ++asked > 2; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.cancelledCut, 0);
    EXPECT_NE(result.message, QStringLiteral("Split finished"));
    ASSERT_EQ(result.written.size(), 1);
    const Decoded kept = decodeAll(result.written[0]);
    EXPECT_GT(kept.frames(), 0);
    EXPECT_LT(kept.frames(), 3 * 44100);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("s-Splitted1.wav"))));
}

namespace {

struct MergeRun {
    ProgressWindow window;
    QString message;
    bool ended = false;
};

void Merge(MergeRun& run, const QStringList& files, const QString& output, const QString& word) {
    TAudioFile2LameEnc lame;
    TAudioFile2 in, out;
    ConfigureConvertTarget(out, lame, word);
    TPendingFile pending;
    ASSERT_EQ(pending.Begin(output), "");
    out.CreateWrite(pending.TempName(), 0);
    ASSERT_EQ(out.GetLastError(), 0) << out.GetLastErrorText().toStdString();
    TJoinerThread thread(&in, int(files.size()) - 1, files, &run.window, &out, [&] { run.ended = true; });
    QTRY_VERIFY_WITH_TIMEOUT(run.ended, 60000);
    run.message = FinishMerge(thread, pending);
}

} // namespace

// Files of different formats, rates and channel counts merge into every output format: the output
// is as long as the inputs together and each input's part keeps its own tone.
TEST(MergeThread, JoinsDifferentFormatsRatesAndChannels) {
    QTemporaryDir dir;
    UseTestSettings();
    const QString a = dir.filePath(QStringLiteral("a.wav")), b = dir.filePath(QStringLiteral("b.ogg")),
                  c = dir.filePath(QStringLiteral("c.mp3"));
    GlobeVar::WavFreq = 22050, GlobeVar::WavChannels = 1;
    MakeSource(a, QStringLiteral("WAV"), 2.0, 300.0, 22050, 1);
    GlobeVar::OggFreq = 48000;
    MakeSource(b, QStringLiteral("OGG"), 2.0, 700.0, 48000, 2);
    MakeSource(c, QStringLiteral("MP3"), 2.0, 1500.0);
    UseTestSettings();
    for (const QString& word :
         {QStringLiteral("WAV"), QStringLiteral("MP3"), QStringLiteral("OGG"), QStringLiteral("WMA")}) {
        SCOPED_TRACE(word.toStdString());
        const QString output = dir.filePath(QStringLiteral("joined.") + word.toLower());
        MergeRun run;
        Merge(run, {a, b, c}, output, word);
        EXPECT_TRUE(run.message.isEmpty()) << run.message.toStdString();
        const Decoded d = decodeAll(output);
        ASSERT_GT(d.frames(), 0);
        EXPECT_NEAR(double(d.frames()) / d.rate, 6.0, 0.1);
        const double hz[] = {300.0, 700.0, 1500.0};
        for (int part = 0; part < 3; ++part) {
            const int64_t from = int64_t(d.rate) * (2 * part) + d.rate / 4;
            std::vector<int16_t> slice(d.samples.begin() + from * d.channels,
                                       d.samples.begin() + (from + d.rate * 3 / 2) * d.channels);
            EXPECT_NEAR(frequency(slice, d.channels, d.rate), hz[part], hz[part] * 0.02) << "part " << part;
        }
        EXPECT_EQ(run.window.progress.back(), (std::pair<qintptr, qintptr>(2, 100)));
    }
}

// A damaged input stops the merge with a message naming it; the output is deleted and the end
// handler still runs. Output names join the stored folder with one "/".
TEST(MergeThread, DamagedInputFailsAndDeletesTheOutput) {
    QTemporaryDir dir;
    UseTestSettings();
    const QString good = dir.filePath(QStringLiteral("good.wav")),
                  bad = dir.filePath(QStringLiteral("bad.mp3"));
    MakeSource(good, QStringLiteral("WAV"), 1.0, 440.0);
    QFile damaged(bad);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4000, '\x5a'));
    damaged.close();
    GlobeVar::JoinOutputPath = dir.path(); // stored without its trailing "/"
    GlobeVar::JoinPreName = QStringLiteral(" Merged "), GlobeVar::JoinPosName.clear();
    const QDateTime at(QDate(2024, 3, 5), QTime(7, 8, 9));
    const QString output = JoinerOutputName(QStringLiteral("mp3"), at);
    EXPECT_EQ(output, dir.path() + QStringLiteral("/Merged 2024-03-05 07-08-09.mp3"));
    MergeRun run;
    Merge(run, {good, bad}, output, QStringLiteral("MP3"));
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(run.message.contains(bad)) << run.message.toStdString();
    EXPECT_FALSE(QFile::exists(output));

    // Inputs that hold no audio (bare headers): the merge fails naming the first, nothing is left.
    const QString bare1 = dir.filePath(QStringLiteral("bare1.wav")),
                  bare2 = dir.filePath(QStringLiteral("bare2.wav"));
    ASSERT_TRUE(writeHeaderOnlyWav(bare1));
    ASSERT_TRUE(writeHeaderOnlyWav(bare2));
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& word : {QStringLiteral("WAV"), QStringLiteral("OGG")}) {
        SCOPED_TRACE(word.toStdString());
        MergeRun empty;
        const QString joined = dir.filePath(QStringLiteral("joined.") + word.toLower());
        Merge(empty, {bare1, bare2}, joined, word);
        EXPECT_TRUE(empty.ended);
        EXPECT_EQ(empty.message, QStringLiteral("Unable to merge %1: it holds no audio").arg(bare1));
        EXPECT_FALSE(QFile::exists(joined));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    }
}
