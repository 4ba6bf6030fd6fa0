// The rip job on its own, for a view that is a script (no window): a generated disc image in the
// drive list, the WAV writer, tags read back.
#include "ripper/RipJob.h"
#include "common/GlobeVar.h"
#include "components/TAudioCDGrabber2.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "ripper/RGlobeVar.h"
#include "tests/cd/CdTestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <map>

using namespace cdtest;
using Duzivuz::TRipJob;
using Duzivuz::TRipTags;
using Duzivuz::TRipTrack;

namespace {

// Answers the job as the main window would, and keeps what it is told.
class ScriptedRipView : public Duzivuz::TRipView {
public:
    TRipTrack RipTrackStarting(int row) override {
        TRipTrack track;
        track.track = row;
        track.number = QStringLiteral("%1").arg(row + 1, 2, 10, QLatin1Char('0'));
        track.title = QStringLiteral("Song %1").arg(row + 1);
        track.album = QStringLiteral("Album");
        track.artist = QStringLiteral("Artist");
        return track;
    }
    TRipTags RipTags(int row) override {
        TRipTags tags;
        tags.album = QStringLiteral("Album");
        tags.artist = QStringLiteral("Artist");
        tags.title = QStringLiteral("Song %1").arg(row + 1);
        tags.year = 1999;
        return tags;
    }
    void RipRowText(int row, const QString& text, const QString&) override { rows[row] = text; }
    void RipLog(const QString&) override {}
    void RipTotal(int) override {}
    void RipProgress(int, int, int, int) override {}
    void RipLastTrackDone() override {}
    void RipMessage(const QString& text) override { messages << text; }
    void RipEnded() override { ++ended; }

    std::map<int, QString> rows;
    QStringList messages;
    int ended = 0;
};

QString TagComment(const QString& file) {
    TagLib::FileRef ref(QFile::encodeName(file).constData());
    if (ref.isNull()) return QStringLiteral("(no tags)");
    return QString::fromStdString(ref.tag()->comment().to8Bit(true));
}

QStringList Ripped(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

} // namespace

// A run takes the settings as they were when it started. A cancel while a track's tags are written
// keeps that track, tagged and in place, and starts no other; a job destroyed then (its window
// closed) still puts the track in place, and nothing of it reaches the view any more.
TEST(RipJob, KeepsItsStartSettingsAndEndsSafelyWhileTagging) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Image image =
        writeImage(dir.path(), QStringLiteral("disc"), {{75 * 2}, {75 * 2 + 5}, {75 * 2 + 9}});
    writeDriveList(dir.path() + QStringLiteral("/config"), {image.cuePath});
    TAudioCDGrabber2 grabber;
    grabber.Initialize();
    ASSERT_GE(grabber.GetDriveCount(), 1);
    grabber.SelectDrive(1);
    grabber.RefreshMedia();
    ASSERT_EQ(grabber.GetMediaState(), 1);
    TAudioFile2 file;
    TAudioFile2LameEnc lame;
    file.ConnectTo(grabber.GetAudioFileLink());
    GlobeVar::WavFreq = 44100, GlobeVar::WavChannels = 2, GlobeVar::WavSampleRate = 16;
    const QString out = dir.path() + QStringLiteral("/out/");
    RGlobeVar::ROutPutPath = out;
    ASSERT_TRUE(QDir().mkpath(out));
    RGlobeVar::ROutputFilename = 4; // artist / album / number.title
    RGlobeVar::RUseAll = true;
    RGlobeVar::RComments = QStringLiteral("as the run began");

    ScriptedRipView view;
    auto job = std::make_unique<TRipJob>(&view, &grabber, &file, &lame);
    // Connected after the job: a track's 100 % has started its tagging when this runs.
    int tagging = 0;
    std::function<void()> whileTagging;
    QObject::connect(&grabber, &TAudioCDGrabber2::OnOperationProgress, [&](double p) {
        if (p == 100 && ++tagging && whileTagging) whileTagging();
    });

    whileTagging = [&] {
        if (tagging != 2) return;
        ASSERT_TRUE(job->Busy());
        job->Cancel();
        EXPECT_TRUE(job->Running()) << "the run ends after the track being tagged";
    };
    job->Start({0, 1, 2}, 3, 1, 1);
    // Options changed once the run is under way apply from the next run.
    RGlobeVar::RComments = QStringLiteral("changed during the run");
    RGlobeVar::ROutputFilename = 0;
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/elsewhere/");
    ASSERT_TRUE(waitFor([&] { return view.ended == 1; }, 30000));
    EXPECT_FALSE(job->Running());
    EXPECT_EQ(Ripped(out), (QStringList{"Artist/Album/01.Song 1.wav", "Artist/Album/02.Song 2.wav"}));
    EXPECT_EQ(TagComment(out + "Artist/Album/01.Song 1.wav"), QStringLiteral("as the run began"));
    EXPECT_EQ(TagComment(out + "Artist/Album/02.Song 2.wav"), QStringLiteral("as the run began"));
    EXPECT_EQ(view.rows[1], QStringLiteral("100%"));
    EXPECT_EQ(view.rows[2], QStringLiteral("0%"));
    EXPECT_TRUE(view.messages.isEmpty()) << view.messages.join('|').toStdString();

    // The next run reads the settings as they are now; its job goes while the track is tagged.
    RGlobeVar::ROutputFilename = 4;
    RGlobeVar::ROutPutPath = out;
    view.rows.clear();
    whileTagging = [&] { job.reset(); };
    job->Start({2}, 1, 1, 1);
    ASSERT_TRUE(waitFor([&] { return !job; }, 30000));
    EXPECT_TRUE(QFile::exists(out + "Artist/Album/03.Song 3.wav"));
    EXPECT_EQ(TagComment(out + "Artist/Album/03.Song 3.wav"), QStringLiteral("changed during the run"));
    waitFor([] { return false; }, 100);
    EXPECT_EQ(view.ended, 1) << "nothing of the destroyed job's end reaches the view";
    EXPECT_EQ(Ripped(out).size(), 3) << Ripped(out).join('|').toStdString();
}
