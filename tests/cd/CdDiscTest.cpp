// Drive list, table of contents, disc id, damaged images and media changes of the CD component.
#include "components/CdDisc.h"
#include "components/CdDriveList.h"
#include "components/CddbLookup.h"
#include "components/ComponentError.h"
#include "components/TAudioCDGrabber2.h"
#include "tests/cd/CdTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace cdtest;

namespace {

class CdDiscTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        config = dir.path() + QStringLiteral("/config");
    }
    // Lists the images and returns a grabber with the first image drive selected.
    int imageDrive(TAudioCDGrabber2& g, int imageIndex = 0) {
        g.Initialize();
        int found = 0;
        for (int i = 1; i <= g.GetDriveCount(); ++i) {
            g.SelectDrive(i);
            if (g.GetDriveVendor() == QStringLiteral("Image") && found++ == imageIndex) return i;
        }
        ADD_FAILURE() << "image drive not listed";
        return 0;
    }
    // Drive `drive` holds an image that reading refuses with a clear error, leaving it unrecognised.
    static void expectRefused(TAudioCDGrabber2& g, int drive) {
        g.SelectDrive(drive);
        try {
            g.RefreshMedia();
            ADD_FAILURE() << "no error for drive " << drive;
        } catch (const ComponentError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("disc image"))) << e.message().toStdString();
        }
        EXPECT_EQ(g.GetMediaState(), 2) << "drive " << drive;
    }

    QTemporaryDir dir;
    QString config;
};

TEST_F(CdDiscTest, DriveListFileNamesImagesWithCommentsAndRelativePaths) {
    Image a = writeImage(dir.path(), QStringLiteral("alpha"), {{300}});
    QDir().mkpath(config + QStringLiteral("/AudioCDGrabber"));
    QFile::copy(a.cuePath, config + QStringLiteral("/AudioCDGrabber/rel.cue"));
    QFile::copy(a.binPath, config + QStringLiteral("/AudioCDGrabber/alpha.bin"));
    writeDriveList(config, {QStringLiteral("# my images"), QString(), a.cuePath,
                            QStringLiteral("  rel.cue  "), dir.path() + QStringLiteral("/missing.toc")});

    const QStringList paths = CdDriveList::imagePaths();
    ASSERT_EQ(paths.size(), 3);
    EXPECT_EQ(paths[0], a.cuePath);
    EXPECT_EQ(paths[1], config + QStringLiteral("/AudioCDGrabber/rel.cue"));

    TAudioCDGrabber2 g;
    const int first = imageDrive(g);
    ASSERT_GT(first, 0);
    EXPECT_EQ(g.GetDriveId(), QStringLiteral("alpha.cue"));
    EXPECT_EQ(g.GetDriveProduct(), a.cuePath);
    EXPECT_EQ(g.GetDriveRevision(), QStringLiteral("CUE"));
    g.SelectDrive(first + 2);
    EXPECT_EQ(g.GetDriveRevision(), QStringLiteral("TOC"));
    // A listed image that does not exist is a drive without a disc.
    g.RefreshMedia();
    EXPECT_EQ(g.GetMediaState(), 0);
    EXPECT_EQ(g.GetSessionCount(), 0);

    EXPECT_THROW(g.SelectDrive(0), ComponentError);
    EXPECT_THROW(g.SelectDrive(g.GetDriveCount() + 1), ComponentError);
}

TEST_F(CdDiscTest, NoDriveListFileMeansOnlyRealDrives) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    EXPECT_TRUE(CdDriveList::imagePaths().isEmpty());
    TAudioCDGrabber2 g;
    g.Initialize();
    for (int i = 1; i <= g.GetDriveCount(); ++i) {
        g.SelectDrive(i);
        EXPECT_NE(g.GetDriveVendor(), QStringLiteral("Image"));
    }
}

TEST_F(CdDiscTest, TableOfContentsOfAudioAndDataTracks) {
    // 4:05:07 = 4*60*75 + 5*75 + 7 sectors
    const int long1 = 4 * 60 * 75 + 5 * 75 + 7;
    Image img = writeImage(dir.path(), QStringLiteral("mixed"),
                           {{long1},
                            {200},
                            {150, TrackKind::Mode1},
                            {160, TrackKind::Mode2Form1},
                            {170, TrackKind::Mode2Form2},
                            {74}});
    writeDriveList(config, {img.cuePath});
    TAudioCDGrabber2 g;
    ASSERT_GT(imageDrive(g), 0);
    EXPECT_EQ(g.GetSession() & 0x8000, 0x8000); // nothing chosen before a disc is read
    g.RefreshMedia();
    ASSERT_EQ(g.GetMediaState(), 1);
    EXPECT_EQ(g.GetSessionCount(), 1);
    EXPECT_EQ(g.GetDiscType(), 0);
    EXPECT_EQ(g.GetSession() & 0x8000, 0x8000);
    EXPECT_EQ(g.GetTrack() & 0x8000, 0x8000);
    g.SetSession(0);
    ASSERT_EQ(g.GetTrackCount(), 6);
    const int types[] = {0, 0, 1, 21, 22, 0};
    const int lengths[] = {long1, 200, 150, 160, 170, 74};
    for (int t = 0; t < 6; ++t) {
        g.SetTrack(t);
        EXPECT_EQ(g.GetTrack(), t);
        EXPECT_EQ(g.GetTrackType(), types[t]) << "track " << t;
        EXPECT_EQ(g.GetTrackBlocks(), lengths[t]) << "track " << t;
    }
    g.SetTrack(0);
    EXPECT_EQ(g.GetTrackMinutes(), 4);
    EXPECT_EQ(g.GetTrackSeconds(), 5);
    EXPECT_EQ(g.GetTrackFrames(), 7);
    g.SetTrack(5);
    EXPECT_EQ(g.GetTrackMinutes(), 0);
    EXPECT_EQ(g.GetTrackSeconds(), 0);
    EXPECT_EQ(g.GetTrackFrames(), 74);
    EXPECT_EQ(g.GetBlockSize(), 2352);

    EXPECT_THROW(g.SetTrack(6), ComponentError);
    EXPECT_THROW(g.SetTrack(-1), ComponentError);
    EXPECT_THROW(g.SetSession(1), ComponentError);
    // Lookup results are empty before any lookup.
    EXPECT_TRUE(g.GetDiscAlbum().isEmpty());
    EXPECT_TRUE(g.GetTrackTitle().isEmpty());
    EXPECT_EQ(g.GetDiscYear(), 0);
}

TEST_F(CdDiscTest, TwoSessionsFromTheCueSheet) {
    Image img =
        writeImage(dir.path(), QStringLiteral("extra"),
                   {{300, TrackKind::Audio, 1}, {310, TrackKind::Audio, 1}, {400, TrackKind::Mode2Form1, 2}});
    writeDriveList(config, {img.cuePath});
    TAudioCDGrabber2 g;
    ASSERT_GT(imageDrive(g), 0);
    g.RefreshMedia();
    ASSERT_EQ(g.GetSessionCount(), 2);
    g.SetSession(0);
    EXPECT_EQ(g.GetTrackCount(), 2);
    g.SetSession(1);
    ASSERT_EQ(g.GetTrackCount(), 1);
    g.SetTrack(0);
    EXPECT_EQ(g.GetTrackType(), 21);
    EXPECT_EQ(g.GetTrackBlocks(), 400);
    // Changing the session drops the track choice until a track of it is chosen.
    g.SetSession(0);
    EXPECT_EQ(g.GetTrack() & 0x8000, 0x8000);
}

TEST_F(CdDiscTest, FreeDbDiscIdMatchesLibcddbAndTheKnownValue) {
    Image img = writeImage(dir.path(), QStringLiteral("ids"),
                           {{75 * 100}, {75 * 61 + 30}, {75 * 2, TrackKind::Mode1}});
    writeDriveList(config, {img.cuePath});
    TAudioCDGrabber2 g;
    ASSERT_GT(imageDrive(g), 0);
    g.RefreshMedia();
    CdDriveEntry entry;
    entry.isImage = true;
    entry.source = img.cuePath;
    const CdDisc::ReadResult disc = CdDisc::readDisc(entry);
    ASSERT_EQ(disc.state, CdMediaState::Present);
    EXPECT_EQ(static_cast<uint32_t>(g.GetCddbId()), CddbLookup::libcddbDiscId(disc.toc));
    // Starts at 2 s, 102 s, 163.4 s; lead-out at 165.4 s: digit sums 2 + 3 + 10 = 15, length 163 s.
    EXPECT_EQ(static_cast<uint32_t>(g.GetCddbId()), (15u << 24) | (163u << 8) | 3u);
}

TEST_F(CdDiscTest, DamagedImagesGiveClearErrors) {
    Image good = writeImage(dir.path(), QStringLiteral("good"), {{300}, {300}, {300}});
    // A data file cut in the middle of the second track: the third track has no data.
    Image cut = writeImage(dir.path(), QStringLiteral("cut"), {{300}, {300}, {300}});
    QFile::resize(cut.binPath, 2352LL * 400);
    // A sheet that names a data file that is not there.
    Image lost = writeImage(dir.path(), QStringLiteral("lost"), {{300}});
    QFile::remove(lost.binPath);
    // Nonsense.
    const QString junk = dir.path() + QStringLiteral("/junk.cue");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x7f\x45\x4c\x46 this is no cue sheet\nTRACK banana\nINDEX -5 xx:yy\n");
    }
    const QString empty = dir.path() + QStringLiteral("/empty.cue");
    QFile(empty).open(QIODevice::WriteOnly);
    writeDriveList(config, {good.cuePath, cut.cuePath, lost.cuePath, junk, empty});

    TAudioCDGrabber2 g;
    const int first = imageDrive(g);
    ASSERT_GT(first, 0);
    for (int i = 1; i <= 4; ++i) {
        expectRefused(g, first + i);
        EXPECT_EQ(g.GetSessionCount(), 0);
        EXPECT_THROW(g.SetSession(0), ComponentError);
        EXPECT_THROW(g.StartRead(), ComponentError);
    }
    // The good image still reads after the bad ones.
    g.SelectDrive(first);
    g.RefreshMedia();
    EXPECT_EQ(g.GetMediaState(), 1);
}

// An image list names whatever the user put there, and a TOC file names its data files: a FIFO
// or a device among them would block the reading thread for ever (or never end). They are
// refused at once, as is a "sheet" too large to be one; a TOC naming plain files still reads.
TEST_F(CdDiscTest, ImagesNamingSpecialFilesAreRefusedWithoutBlocking) {
    const QString fifo = dir.path() + QStringLiteral("/pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto writeText = [&](const QString& name, const QByteArray& text) {
        QFile f(dir.path() + QLatin1Char('/') + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    };
    Image good = writeImage(dir.path(), QStringLiteral("plain"), {{300}, {450}});
    const QString goodToc =
        writeText(QStringLiteral("plain.toc"), "CD_DA\nTRACK AUDIO\nFILE \"plain.bin\" 0 00:04:00\n"
                                               "TRACK AUDIO\nFILE \"plain.bin\" 00:04:00 00:06:00\n");
    const QString fifoToc =
        writeText(QStringLiteral("fifo.toc"), "CD_DA\nTRACK AUDIO\nFILE \"pipe\" 0 00:04:00\n");
    const QString deviceToc =
        writeText(QStringLiteral("zero.toc"), "CD_DA\nTRACK AUDIO\nFILE \"/dev/zero\" 0 00:04:00\n");
    // A sheet whose data file (the sheet's name with .bin) is a FIFO.
    Image piped = writeImage(dir.path(), QStringLiteral("piped"), {{300}});
    QFile::remove(piped.binPath);
    ASSERT_TRUE(QFile::link(fifo, piped.binPath));
    const QString fifoSheet = dir.path() + QStringLiteral("/sheet.cue");
    ASSERT_TRUE(QFile::link(fifo, fifoSheet));
    const QString huge = writeText(QStringLiteral("huge.cue"), QByteArray(2 << 20, '\n'));
    writeDriveList(config, {goodToc, fifoToc, deviceToc, piped.cuePath, fifoSheet, huge});

    // Should a read block on the FIFO after all, a writer comes by and ends it, so that the
    // test fails instead of hanging.
    std::atomic<bool> stop{false};
    std::atomic<bool> unblocked{false};
    std::thread rescuer([&] {
        for (int waited = 0; !stop && waited < 3000; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        while (!stop) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                unblocked = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    TAudioCDGrabber2 g;
    const int first = imageDrive(g);
    ASSERT_GT(first, 0);
    EXPECT_EQ(g.GetDriveRevision(), QStringLiteral("TOC"));
    g.RefreshMedia();
    ASSERT_EQ(g.GetMediaState(), 1);
    g.SetSession(0);
    EXPECT_EQ(g.GetTrackCount(), 2);
    g.SetTrack(1);
    EXPECT_EQ(g.GetTrackBlocks(), 450);
    for (int i = 1; i <= 5; ++i)
        expectRefused(g, first + i);
    stop = true;
    rescuer.join();
    EXPECT_FALSE(unblocked) << "a read blocked on the FIFO";
}

// Sheets with absurd numbers either read as a sane table of contents or give a clear error.
TEST_F(CdDiscTest, SheetsWithAbsurdNumbersGiveASaneTocOrAnError) {
    const QList<QByteArray> bodies = {
        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 99999999:00:00\n",
        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:00:-5\n",
        "  TRACK 01 AUDIO\n    INDEX 01 00:02:00\n  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n",
        "  TRACK 99 AUDIO\n    INDEX 01 00:00:00\n  TRACK 01 AUDIO\n    INDEX 01 00:01:00\n",
        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n",
        "REM SESSION 4294967297\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\nREM SESSION -3\n"
        "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n",
        "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n    INDEX 02 4000000000:00:00\n",
        "  TRACK 01 AUDIO\n    PREGAP 99999999:00:00\n    INDEX 01 00:00:00\n",
    };
    QStringList sheets;
    for (int i = 0; i < bodies.size(); ++i) {
        Image img = writeImage(dir.path(), QStringLiteral("absurd%1").arg(i), {{75 * 4}});
        QFile f(img.cuePath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("FILE \"absurd" + QByteArray::number(i) + ".bin\" BINARY\n" + bodies[i]);
        sheets << img.cuePath;
    }
    writeDriveList(config, sheets);
    TAudioCDGrabber2 g;
    const int first = imageDrive(g);
    ASSERT_GT(first, 0);
    for (int i = 0; i < bodies.size(); ++i) {
        g.SelectDrive(first + i);
        try {
            g.RefreshMedia();
        } catch (const ComponentError& e) {
            EXPECT_EQ(g.GetMediaState(), 2) << "sheet " << i;
            continue;
        }
        ASSERT_EQ(g.GetMediaState(), 1) << "sheet " << i;
        int64_t blocks = 0;
        for (int s = 0; s < g.GetSessionCount(); ++s) {
            g.SetSession(s);
            for (int t = 0; t < g.GetTrackCount(); ++t) {
                g.SetTrack(t);
                EXPECT_GT(g.GetTrackBlocks(), 0) << "sheet " << i;
                blocks += g.GetTrackBlocks();
            }
        }
        EXPECT_LE(blocks, 75 * 4) << "sheet " << i;
    }
}

TEST_F(CdDiscTest, MediaChangeWhenTheImageGoesAndComesBack) {
    Image img = writeImage(dir.path(), QStringLiteral("swap"), {{300}});
    writeDriveList(config, {img.cuePath});
    TAudioCDGrabber2 g;
    ASSERT_GT(imageDrive(g), 0);
    g.RefreshMedia();
    int changes = 0;
    QObject::connect(&g, &TAudioCDGrabber2::OnMediaChange, [&] { ++changes; });
    const QString aside = img.cuePath + QStringLiteral(".aside");
    ASSERT_TRUE(QFile::rename(img.cuePath, aside));
    ASSERT_TRUE(waitFor([&] { return changes == 1; }, 4000));
    g.RefreshMedia();
    EXPECT_EQ(g.GetMediaState(), 0);
    ASSERT_TRUE(QFile::rename(aside, img.cuePath));
    ASSERT_TRUE(waitFor([&] { return changes == 2; }, 4000));
    g.RefreshMedia();
    EXPECT_EQ(g.GetMediaState(), 1);
}

TEST_F(CdDiscTest, OptionsAndTrayOnAnImage) {
    Image img = writeImage(dir.path(), QStringLiteral("opts"), {{300}});
    writeDriveList(config, {img.cuePath});
    TAudioCDGrabber2 g;
    ASSERT_GT(imageDrive(g), 0);
    for (int mode = 1; mode <= 4; ++mode) {
        g.SetGrabMode(mode);
        EXPECT_EQ(g.GetMaxRetries(), TAudioCDGrabber2::grabModeSettings(mode).maxRetries);
    }
    EXPECT_LT(TAudioCDGrabber2::grabModeSettings(2).maxRetries,
              TAudioCDGrabber2::grabModeSettings(3).maxRetries);
    EXPECT_LT(TAudioCDGrabber2::grabModeSettings(3).maxRetries,
              TAudioCDGrabber2::grabModeSettings(4).maxRetries);
    EXPECT_TRUE(TAudioCDGrabber2::grabModeSettings(4).skipAllowed);
    EXPECT_FALSE(TAudioCDGrabber2::grabModeSettings(2).skipAllowed);
    EXPECT_THROW(g.SetGrabMode(5), ComponentError);
    EXPECT_THROW(g.SetGrabMode(-1), ComponentError);
    EXPECT_THROW(g.SetReadOptionB(-1), ComponentError);
    g.SetReadOptionB(0);
    g.SetReadOptionC(1);
    // An image has no tray: the tray commands do nothing and do not fail.
    EXPECT_NO_THROW(g.LockTray());
    EXPECT_NO_THROW(g.UnlockTray());
    EXPECT_NO_THROW(g.Eject());
    EXPECT_NE(g.GetAudioFileLink(), nullptr);
}

} // namespace
