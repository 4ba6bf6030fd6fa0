// Grabbing tracks through the audio-file link, aborting, read errors and preview reading.
#include "components/ComponentError.h"
#include "components/TAudioCDGrabber2.h"
#include "platform/Application.h"
#include "tests/cd/CdTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace cdtest;

namespace {

class CdGrabTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        errors.clear();
    }

    // Writes the image, lists it, and returns a grabber reading it with the test sink bound.
    void load(const std::vector<TrackLayout>& tracks, const QString& name = QStringLiteral("disc")) {
        image = writeImage(dir.path(), name, tracks);
        writeDriveList(dir.path() + QStringLiteral("/config"), {image.cuePath});
        grabber = std::make_unique<TAudioCDGrabber2>();
        grabber->Initialize();
        grabber->SelectDrive(grabber->GetDriveCount()); // the image comes after any real drive
        grabber->RefreshMedia();
        grabber->GetAudioFileLink()->connect(&sink);
        QObject::connect(grabber.get(), &TAudioCDGrabber2::OnOperationProgress, [this](double p) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            progress.push_back(p);
            closedAtEvent.push_back(!sink.open.load());
        });
        // A grab that fails says so once, through its signal (and nothing reaches the error handler).
        QObject::connect(grabber.get(), &TAudioCDGrabber2::OnGrabFailed,
                         [this](int kind, const QString& why) {
                             failureKinds.push_back(kind);
                             errors << why;
                         });
        QObject::connect(grabber.get(), &TAudioCDGrabber2::OnGrabRetry, [this](int16_t retry, int sector) {
            EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
            retries.push_back(retry);
            retrySectors.push_back(sector);
        });
    }

    // Grabs the chosen track into `file` and returns the file's name once the grab has ended.
    QString grab(const QString& file) {
        progress.clear();
        grabber->StartGrab(file);
        EXPECT_TRUE(waitForEnd());
        return file;
    }

    void choose(int session, int track) {
        grabber->SetSession(session);
        grabber->SetTrack(track);
    }

    bool waitForEnd(int timeoutMs = 20000) {
        return waitFor(
            [this] {
                return !progress.empty() && !grabber->IsGrabbing() &&
                       (progress.back() >= 100 || !errors.isEmpty());
            },
            timeoutMs);
    }

    QTemporaryDir dir;
    Image image;
    WavSink sink;
    std::unique_ptr<TAudioCDGrabber2> grabber;
    std::vector<double> progress;
    std::vector<bool> closedAtEvent;
    std::vector<int> retries;
    std::vector<int> retrySectors;
    std::vector<int> failureKinds;
    QStringList errors;
};

TEST_F(CdGrabTest, EveryTrackGrabsToExactlyTheImageSamples) {
    load({{75 * 3 + 11}, {75 * 2}, {150, TrackKind::Mode1}, {75 * 4 + 1}});
    const int audioTracks[] = {0, 1, 3};
    for (int t : audioTracks) {
        progress.clear();
        closedAtEvent.clear();
        choose(0, t);
        const QString file = dir.path() + QStringLiteral("/track%1.wav").arg(t);
        grabber->StartGrab(file);
        ASSERT_TRUE(waitForEnd()) << "track " << t;
        ASSERT_FALSE(progress.empty());
        EXPECT_DOUBLE_EQ(progress.back(), 100.0);
        EXPECT_TRUE(closedAtEvent.back()) << "the file must be closed when 100 arrives";
        for (size_t i = 1; i < progress.size(); ++i)
            EXPECT_LT(progress[i - 1], progress[i]);
        EXPECT_EQ(std::count(progress.begin(), progress.end(), 100.0), 1);
        int rate = 0, channels = 0;
        const auto samples = readWav(file, &rate, &channels);
        EXPECT_EQ(rate, 44100);
        EXPECT_EQ(channels, 2);
        const auto expected = trackAudio(t, image.tracks[t].sectors);
        ASSERT_EQ(samples.size(), expected.size()) << "track " << t;
        EXPECT_TRUE(samples == expected) << "track " << t;
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(retries.empty());
}

TEST_F(CdGrabTest, CdrdaoTocImageReadsAndGrabsLikeItsCueSheet) {
    image = writeImage(dir.path(), QStringLiteral("toc"), {{75 * 4 + 2}, {75 * 3 + 9}});
    // cdrdao keeps raw audio big-endian.
    {
        QFile bin(image.binPath);
        ASSERT_TRUE(bin.open(QIODevice::ReadWrite));
        QByteArray bytes = bin.readAll();
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
            std::swap(bytes[i], bytes[i + 1]);
        bin.seek(0);
        bin.write(bytes);
    }
    const QString toc = dir.path() + QStringLiteral("/toc.toc");
    {
        QFile f(toc);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Text));
        f.write("CD_DA\n\nTRACK AUDIO\nFILE \"toc.bin\" 0 00:04:02\n\nTRACK AUDIO\nFILE \"toc.bin\" 00:04:02 "
                "00:03:09\n");
    }
    writeDriveList(dir.path() + QStringLiteral("/config"), {toc});
    grabber = std::make_unique<TAudioCDGrabber2>();
    grabber->Initialize();
    grabber->SelectDrive(grabber->GetDriveCount());
    EXPECT_EQ(grabber->GetDriveRevision(), QStringLiteral("TOC"));
    grabber->RefreshMedia();
    ASSERT_EQ(grabber->GetMediaState(), 1);
    grabber->GetAudioFileLink()->connect(&sink);
    QObject::connect(grabber.get(), &TAudioCDGrabber2::OnOperationProgress,
                     [this](double p) { progress.push_back(p); });
    grabber->SetSession(0);
    ASSERT_EQ(grabber->GetTrackCount(), 2);
    grabber->SetTrack(1);
    EXPECT_EQ(grabber->GetTrackType(), 0);
    EXPECT_EQ(grabber->GetTrackSeconds(), 3);
    EXPECT_EQ(grabber->GetTrackFrames(), 9);
    grabber->SetGrabMode(2);
    const QString file = dir.path() + QStringLiteral("/toc2.wav");
    grabber->StartGrab(file);
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(readWav(file) == trackAudio(1, 75 * 3 + 9));
}

TEST_F(CdGrabTest, EveryGrabModeGivesTheSameSamples) {
    load({{75 * 2 + 40}, {75 * 5 + 3}});
    const auto expected = trackAudio(1, image.tracks[1].sectors);
    for (int mode = 0; mode <= 4; ++mode) {
        progress.clear();
        grabber->SetGrabMode(mode);
        choose(0, 1);
        const QString file = dir.path() + QStringLiteral("/mode%1.wav").arg(mode);
        grabber->StartGrab(file);
        ASSERT_TRUE(waitForEnd()) << "mode " << mode;
        EXPECT_DOUBLE_EQ(progress.back(), 100.0);
        EXPECT_TRUE(readWav(file) == expected) << "mode " << mode;
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(CdGrabTest, AbortHalfWayClosesTheFileBeforeTheLastProgress) {
    load({{75 * 60}});
    sink.delayPerBlockMs = 5; // about 0.7 s for the track: time enough to abort in the middle
    grabber->SetGrabMode(2);
    choose(0, 0);
    const QString file = dir.path() + QStringLiteral("/aborted.wav");
    grabber->StartGrab(file);
    ASSERT_TRUE(grabber->IsGrabbing());
    ASSERT_TRUE(waitFor([this] { return !progress.empty() && progress.back() >= 30; }, 10000));
    grabber->AbortGrab();
    // AbortGrab returns with the worker gone and the file closed.
    EXPECT_FALSE(grabber->IsGrabbing());
    EXPECT_FALSE(sink.open.load());
    EXPECT_EQ(sink.closeCount.load(), 1);
    const size_t before = progress.size();
    ASSERT_TRUE(waitFor([&] { return progress.size() > before; }, 2000)) << "no progress after the abort";
    EXPECT_LT(progress.back(), 100.0);
    EXPECT_TRUE(closedAtEvent.back());
    // The caller deletes the partial file; nothing writes it any more.
    ASSERT_TRUE(QFile::remove(file));
    waitFor([] { return false; }, 300);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(progress.size(), before + 1);
    EXPECT_TRUE(errors.isEmpty());

    // The grabber grabs again after an abort.
    progress.clear();
    sink.delayPerBlockMs = 0;
    grabber->StartGrab(file);
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(readWav(file) == trackAudio(0, image.tracks[0].sectors));
}

// A grab that waits in a call that does not come back (here a write of 2 s; on a drive, a read)
// is abandoned: AbortGrab and the grabber's destructor return within about a second, the grab
// ends with an error, and the worker closes and removes the partial file when the call returns.
TEST_F(CdGrabTest, AbortReturnsInBoundedTimeWhateverTheGrabWaitsFor) {
    load({{75 * 10}});
    choose(0, 0);
    const QString file = dir.path() + QStringLiteral("/stuck.wav");
    sink.delayPerBlockMs = 2000;
    sink.armWriteLatch();
    grabber->StartGrab(file);
    ASSERT_TRUE(sink.waitForWrite(5000)); // the worker is in its first write
    QElapsedTimer timer;
    timer.start();
    grabber->AbortGrab();
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_FALSE(grabber->IsGrabbing());
    ASSERT_TRUE(waitFor([this] { return !errors.isEmpty(); }, 1000));
    EXPECT_TRUE(errors[0].contains(QStringLiteral("did not answer"))) << errors[0].toStdString();
    EXPECT_EQ(failureKinds, std::vector<int>{TAudioCDGrabber2::GrabStopped});
    ASSERT_FALSE(progress.empty());
    EXPECT_LT(progress.back(), 100.0);
    // The stuck worker still holds the audio file: no new grab until it is back.
    EXPECT_THROW(grabber->StartGrab(dir.path() + QStringLiteral("/next.wav")), ComponentError);
    sink.delayPerBlockMs = 0;
    ASSERT_TRUE(waitFor([this] { return sink.closeCount.load() == 1; }, 5000));
    ASSERT_TRUE(waitFor([&] { return !QFileInfo::exists(file); }, 1000)) << "the partial file is removed";
    const size_t events = progress.size() + static_cast<size_t>(errors.size());
    waitFor([] { return false; }, 200);
    EXPECT_EQ(progress.size() + static_cast<size_t>(errors.size()), events)
        << "an abandoned grab sends nothing";
    EXPECT_TRUE(readWav(grab(file)) == trackAudio(0, 75 * 10)) << "the grabber grabs again";

    // The grabber goes while its worker is stuck, after an abort gave up on it or by itself: it
    // does not wait for it (again).
    for (bool abortFirst : {true, false}) {
        if (!grabber) load({{75 * 10}}, QStringLiteral("again"));
        choose(0, 0);
        sink.delayPerBlockMs = 2000;
        const QString gone = dir.path() + QStringLiteral("/gone%1.wav").arg(abortFirst);
        const int closed = sink.closeCount.load();
        sink.armWriteLatch();
        grabber->StartGrab(gone);
        ASSERT_TRUE(sink.waitForWrite(5000));
        timer.restart();
        if (abortFirst) grabber->AbortGrab();
        grabber.reset();
        EXPECT_LT(timer.elapsed(), 1500);
        sink.delayPerBlockMs = 0;
        ASSERT_TRUE(waitFor([&] { return sink.closeCount.load() == closed + 1; }, 5000));
        ASSERT_TRUE(waitFor([&] { return !QFileInfo::exists(gone); }, 1000));
    }
}

TEST_F(CdGrabTest, AbortWithoutAGrabDoesNothing) {
    load({{300}});
    grabber->AbortGrab();
    waitFor([] { return false; }, 100);
    EXPECT_TRUE(progress.empty());
}

// A sector that cannot be read ends the grab there in modes 1 to 3: the file keeps what was read
// before it, closed, and the failure says it was a read error.
TEST_F(CdGrabTest, UnreadableSectorsEndTheGrabKeepingWhatWasRead) {
    load({{75 * 4}, {75 * 4}});
    // The data file loses the end of the last track after the table of contents was read.
    QFile::resize(image.binPath, 2352LL * (75 * 4 + 75 * 2));
    const auto expected = trackAudio(1, 75 * 4);
    const int modes[] = {2, 1, 0};
    for (int mode : modes) {
        progress.clear();
        errors.clear();
        failureKinds.clear();
        grabber->SetGrabMode(mode);
        choose(0, 1);
        const QString file = dir.path() + QStringLiteral("/broken%1.wav").arg(mode);
        grabber->StartGrab(file);
        ASSERT_TRUE(waitForEnd(30000)) << "mode " << mode;
        ASSERT_EQ(errors.size(), 1) << "mode " << mode;
        EXPECT_TRUE(errors[0].contains(QStringLiteral("Read error on track 2"))) << errors[0].toStdString();
        ASSERT_FALSE(progress.empty());
        EXPECT_LT(progress.back(), 100.0) << "mode " << mode;
        EXPECT_EQ(std::count(progress.begin(), progress.end(), 100.0), 0);
        EXPECT_EQ(failureKinds, std::vector<int>{TAudioCDGrabber2::GrabReadError});
        EXPECT_FALSE(sink.open.load());
        const auto kept = readWav(file);
        ASSERT_EQ(kept.size(), size_t(75 * 2) * 1176) << "mode " << mode;
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), expected.begin())) << "mode " << mode;
    }
}

TEST_F(CdGrabTest, SectorsThatFailDuringTheGrabAreRetriedThenEndTheGrab) {
    load({{75 * 60}});
    const int modes[] = {2, 1};
    for (int mode : modes) {
        QFile::resize(image.binPath, 2352LL * 75 * 60);
        progress.clear();
        retries.clear();
        retrySectors.clear();
        errors.clear();
        failureKinds.clear();
        sink.delayPerBlockMs = 3;
        grabber->SetGrabMode(mode);
        choose(0, 0);
        const QString file = dir.path() + QStringLiteral("/failing%1.wav").arg(mode);
        grabber->StartGrab(file);
        ASSERT_TRUE(waitFor([this] { return !progress.empty() && progress.back() >= 10; }, 10000));
        // The data goes away under the running grab: paranoia's reads of the rest fail.
        QFile::resize(image.binPath, 2352LL * 75 * 30);
        ASSERT_TRUE(waitForEnd(30000)) << "mode " << mode;
        ASSERT_EQ(errors.size(), 1) << "mode " << mode;
        EXPECT_TRUE(errors[0].contains(QStringLiteral("Read error on track 1"))) << errors[0].toStdString();
        EXPECT_LT(progress.back(), 100.0);
        EXPECT_EQ(std::count(progress.begin(), progress.end(), 100.0), 0);
        ASSERT_FALSE(retries.empty()) << "mode " << mode;
        EXPECT_EQ(retries.back(), grabber->GetMaxRetries()) << "mode " << mode;
        EXPECT_EQ(retries.front(), 1); // counted per sector from 1
        // The sectors named are those that went away.
        EXPECT_GE(*std::min_element(retrySectors.begin(), retrySectors.end()), 75 * 30);
        EXPECT_LT(*std::max_element(retrySectors.begin(), retrySectors.end()), 75 * 60);
        EXPECT_EQ(failureKinds, std::vector<int>{TAudioCDGrabber2::GrabReadError});
        // The file holds the track up to the first sector that went away.
        const auto kept = readWav(file);
        const auto expected = trackAudio(0, 75 * 30);
        EXPECT_TRUE(kept == expected) << "mode " << mode << ": " << kept.size() << " values";
    }
}

TEST_F(CdGrabTest, ScratchedDiscModeSkipsWhatCannotBeReadAndFinishes) {
    load({{75 * 20}});
    sink.delayPerBlockMs = 3;
    grabber->SetGrabMode(4);
    choose(0, 0);
    const QString file = dir.path() + QStringLiteral("/skipped.wav");
    grabber->StartGrab(file);
    ASSERT_TRUE(waitFor([this] { return !progress.empty() && progress.back() >= 10; }, 10000));
    QFile::resize(image.binPath, 2352LL * (75 * 20 - 40)); // the last 40 sectors go away
    ASSERT_TRUE(waitForEnd(30000));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_DOUBLE_EQ(progress.back(), 100.0);
    ASSERT_FALSE(retries.empty());
    EXPECT_EQ(retries.back(), grabber->GetMaxRetries());
    // The file keeps the track's length; what could be read is the image's audio.
    const auto samples = readWav(file);
    const auto expected = trackAudio(0, 75 * 20);
    ASSERT_EQ(samples.size(), expected.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.begin() + 1176 * 75 * 10, expected.begin()));
}

// The preview sets mode 0 and its read options before it reads, and the ripper sets the chosen
// mode again only when the user changes it: the next grab still reads as chosen.
TEST_F(CdGrabTest, APreviewDoesNotChangeHowTheNextGrabReads) {
    load({{75 * 20}});
    grabber->SetGrabMode(4);
    choose(0, 0);
    grabber->SetGrabMode(0);
    grabber->SetReadOptionB(0);
    grabber->SetReadOptionC(0);
    grabber->StartRead();
    EXPECT_EQ(grabber->ReadBlocks(26).upperBound() + 1, 26 * 1176);
    grabber->StopRead();
    EXPECT_EQ(grabber->GetMaxRetries(), 100);

    // As in mode 4, sectors that cannot be read are skipped and the grab completes.
    sink.delayPerBlockMs = 3;
    const QString file = dir.path() + QStringLiteral("/after-preview.wav");
    grabber->StartGrab(file);
    ASSERT_TRUE(waitFor([this] { return !progress.empty() && progress.back() >= 10; }, 10000));
    QFile::resize(image.binPath, 2352LL * (75 * 20 - 40));
    ASSERT_TRUE(waitForEnd(30000));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_DOUBLE_EQ(progress.back(), 100.0);
    ASSERT_FALSE(retries.empty());
    EXPECT_EQ(retries.back(), 100);
}

TEST_F(CdGrabTest, ASourceThatNoLongerMatchesItsTableOfContentsDoesNotStart) {
    load({{75 * 4}, {75 * 4}});
    // The data file loses the end of the first track and all of the second after the table of
    // contents was read: the grab fails at its start and leaves no file.
    QFile::resize(image.binPath, 2352LL * (75 * 2));
    grabber->SetGrabMode(2);
    choose(0, 0);
    const QString file = dir.path() + QStringLiteral("/cut.wav");
    EXPECT_THROW(grabber->StartGrab(file), ComponentError);
    EXPECT_FALSE(grabber->IsGrabbing());
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(sink.closeCount.load(), 0);
}

TEST_F(CdGrabTest, AFailingWriteEndsTheGrabWithThatError) {
    load({{75 * 3}});
    sink.failWrites = true;
    choose(0, 0);
    const QString file = dir.path() + QStringLiteral("/refused.wav");
    grabber->StartGrab(file);
    ASSERT_TRUE(waitForEnd());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("refuses to write")));
    EXPECT_EQ(failureKinds, std::vector<int>{TAudioCDGrabber2::GrabWriteError});
    EXPECT_LT(progress.back(), 100.0);
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(CdGrabTest, GrabsThatCannotStartRaiseAtOnce) {
    load({{300}, {150, TrackKind::Mode1}});
    EXPECT_THROW(grabber->StartGrab(dir.path() + QStringLiteral("/x.wav")),
                 ComponentError); // no track chosen
    choose(0, 1);
    EXPECT_THROW(grabber->StartGrab(dir.path() + QStringLiteral("/data.wav")), ComponentError);
    choose(0, 0);
    EXPECT_THROW(grabber->StartGrab(dir.path() + QStringLiteral("/no/such/folder/x.wav")), std::exception);
    EXPECT_FALSE(grabber->IsGrabbing());
    grabber->GetAudioFileLink()->disconnect(&sink);
    EXPECT_THROW(grabber->StartGrab(dir.path() + QStringLiteral("/nosink.wav")), ComponentError);
    grabber->GetAudioFileLink()->connect(&sink);

    sink.delayPerBlockMs = 20;
    grabber->StartGrab(dir.path() + QStringLiteral("/busy.wav"));
    EXPECT_THROW(grabber->StartGrab(dir.path() + QStringLiteral("/second.wav")), ComponentError);
    EXPECT_THROW(grabber->RefreshMedia(), ComponentError);
    EXPECT_THROW(grabber->Initialize(), ComponentError);
    grabber->AbortGrab();
    EXPECT_TRUE(progress.empty() || progress.back() < 100.0);
}

TEST_F(CdGrabTest, DestroyingTheGrabberStopsARunningGrab) {
    load({{75 * 30}});
    sink.delayPerBlockMs = 10;
    choose(0, 0);
    grabber->StartGrab(dir.path() + QStringLiteral("/gone.wav"));
    waitFor([this] { return !progress.empty(); }, 5000);
    grabber.reset();
    EXPECT_FALSE(sink.open.load());
    EXPECT_EQ(sink.closeCount.load(), 1);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/gone.wav")))
        << "the partial file is removed";
}

TEST_F(CdGrabTest, PreviewReadingReturnsTheTrackSamples) {
    load({{75 * 2}, {1000}});
    const auto expected = trackAudio(1, 1000);
    choose(0, 1);
    EXPECT_THROW(grabber->ReadBlocks(26), ComponentError); // not started
    grabber->SetGrabMode(0);
    grabber->SetReadOptionB(0);
    grabber->SetReadOptionC(0);
    grabber->StartRead();
    const int total = grabber->GetTrackBlocks() * grabber->GetBlockSize() / 4;
    EXPECT_EQ(total, 1000 * 588);

    AudioBlock first = grabber->ReadBlocks(26);
    ASSERT_EQ(first.samples.size(), 26u * 1176);
    EXPECT_TRUE(std::equal(first.samples.begin(), first.samples.end(), expected.begin()));
    AudioBlock second = grabber->ReadBlocks(26);
    EXPECT_TRUE(std::equal(second.samples.begin(), second.samples.end(), expected.begin() + 26 * 1176));

    // Slider at 500 of 1000: reading goes on at the middle block.
    const int block = grabber->GetTrackBlocks() * 500 / 1000;
    grabber->SeekBlock(block, 1);
    AudioBlock middle = grabber->ReadBlocks(26);
    EXPECT_TRUE(std::equal(middle.samples.begin(), middle.samples.end(), expected.begin() + block * 1176));

    // The end of the track: a short block, then an empty one.
    grabber->SeekBlock(990, 1);
    AudioBlock tail = grabber->ReadBlocks(26);
    EXPECT_EQ(tail.samples.size(), 10u * 1176);
    EXPECT_TRUE(std::equal(tail.samples.begin(), tail.samples.end(), expected.begin() + 990 * 1176));
    EXPECT_EQ(grabber->ReadBlocks(26).upperBound(), -1);

    EXPECT_THROW(grabber->SeekBlock(1001, 1), ComponentError);
    EXPECT_THROW(grabber->SeekBlock(-1, 1), ComponentError);
    EXPECT_THROW(grabber->SeekBlock(10, 0), ComponentError);
    grabber->StopRead();
    EXPECT_THROW(grabber->ReadBlocks(26), ComponentError);
    grabber->StopRead(); // harmless twice
}

} // namespace
