// The ripper's main window driven through its own handlers, end to end: a generated disc image in
// the drive list, a CDDB server on 127.0.0.1, real encoders, files decoded and tags read back.
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/TAudioCDGrabber2.h"
#include "components/TAudioPlayer2.h"
#include "components/TFreeDBInformation2.h"
#include "components/TWMAFile2.h"
#include "platform/Application.h"
#include "platform/FormResource.h"
#include "platform/UserMessages.h"
#include "ripper/About.h"
#include "ripper/Main.h"
#include "ripper/Options.h"
#include "ripper/OptionsSettings.h"
#include "ripper/RGlobeVar.h"
#include "ripper/RProgress.h"
#include "ripper/RipperWindows.h"
#include "skin/SKButton.h"
#include "skin/SKPageControl.h"
#include "skin/SKTrackBar.h"
#include "tests/cd/CdTestSupport.h"
#include "tests/support/ChildRun.h"
#include "tests/support/PictureCompare.h"
#include "tools/PlayerOwner.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <unistd.h>

using namespace cdtest;
using Duzivuz::TfrmMain;
using Duzivuz::TfrmRProgress;

namespace {

// A choice from a drop-down list as the user makes it: the index, then the list's activation.
void Choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

class RipperWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        RegisterRipperWindows();
        // Every question the window asks is answered Yes.
        script.Otherwise = true;
        image = writeImage(dir.path(), QStringLiteral("disc"),
                           {{75 * 2 + 10}, {75 * 3 + 1}, {150, TrackKind::Mode1}, {75 * 2 + 33}});
        // A second drive holds a disc of one 20-second track.
        longImage = writeImage(dir.path(), QStringLiteral("long"), {{75 * 20}});
        writeDriveList(dir.path() + QStringLiteral("/config"), {image.cuePath, longImage.cuePath});
        // The player plays into a file.
        played = dir.filePath(QStringLiteral("played.raw"));
        QFile conf(dir.filePath(QStringLiteral("asound.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("pcm.null { type null }\n"
                                  "pcm.speaker { type file slave.pcm null file \"%1\" format \"raw\""
                                  " hint { show on description \"Test speaker\" } }\n")
                       .arg(played)
                       .toUtf8());
        conf.close();
        qputenv("ALSA_CONFIG_PATH", dir.filePath(QStringLiteral("asound.conf")).toUtf8());
        snd_config_update_free_global();
        Duzivuz::TRipperOptions options = Duzivuz::SetDefaultOptions();
        Duzivuz::ApplyRipperOptionsToGlobals(options);
        main = std::make_unique<TfrmMain>();
        progress = std::make_unique<TfrmRProgress>(main.get());
        progress->SetMainWindow(main.get());
        main->SetProgressWindow(progress.get());
        main->create();
        progress->create();
        GlobeVar::SettingsPath = dir.path() + QLatin1Char('/');
        GlobeVar::CfgFileName = QStringLiteral("DuzivuzCfg.ini");
        RGlobeVar::ROutputFilename = 4; // pattern 5: artist / album / number.title
        RGlobeVar::RUseAll = false;
        RGlobeVar::RComments = QStringLiteral("not written");
        lv = NativeList(main->findChild<QObject*>(QStringLiteral("lvTracks")));
        grabber = main->findChild<TAudioCDGrabber2*>(QStringLiteral("ACDG"));
    }
    void TearDown() override {
        progress.reset();
        main.reset();
        qunsetenv("ALSA_CONFIG_PATH");
        snd_config_update_free_global();
    }

    QString cell(int row, int column) const { return lv->topLevelItem(row)->text(column); }
    // Extract, then the window's events until the rip has ended.
    void rip() {
        main->btnExtractClick();
        ASSERT_TRUE(waitFor([this] { return !main->Ripping(); }, 60000));
    }
    QString logText() const {
        return main->findChild<QPlainTextEdit*>(QStringLiteral("moList"))->toPlainText();
    }
    void format(int index) {
        Choose(NativeCombo(main->findChild<QObject*>(QStringLiteral("cboxROutputFormat"))), index);
    }
    void lookUp() {
        auto* info = main->findChild<TFreeDBInformation2*>(QStringLiteral("FreeDBInfo"));
        info->SelectServer(3);
        info->SetPort(server.port());
        server.addEntry(static_cast<uint32_t>(grabber->GetCddbId()), "rock",
                        LookedUpEntry(grabber->GetCddbId()));
        main->btnGetInfoClick();
        ASSERT_TRUE(
            waitFor([this] { return main->TitleList.value(0) == QStringLiteral("AC/DC Ünïcode"); }, 5000));
    }

    QTemporaryDir dir;
    TScriptedMessages script;
    Image image, longImage;
    QString played;
    CddbServer server{CddbServer::Mode::Http};
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TfrmRProgress> progress;
    QTreeWidget* lv = nullptr;
    TAudioCDGrabber2* grabber = nullptr;
};

// Refresh, lookup, Extract in each format: names from the looked-up texts made safe, WAV equal to
// the image's samples, the other formats as long as the track, tags read back.
TEST_F(RipperWindowTest, LookedUpDiscRipsInEveryFormatWithSafeNamesAndTags) {
    // The list and its header take the dark colours the window's description gives them.
    EXPECT_EQ(lv->palette().color(QPalette::Base), QColor(0x2F, 0x2B, 0x28));
    EXPECT_EQ(lv->header()->palette().color(QPalette::Disabled, QPalette::Text), QColor(0x8A, 0x81, 0x78));
    // Only the audio tracks have rows; the keys keep the real track indices.
    ASSERT_EQ(lv->topLevelItemCount(), 3);
    EXPECT_EQ(main->TrackKeys, (QStringList{"0,0,", "0,1,", "0,3,"}));
    EXPECT_EQ(cell(2, 0), QStringLiteral("04"));
    EXPECT_EQ(cell(0, 3), QStringLiteral("AUDIO"));
    EXPECT_EQ(cell(1, 4), QStringLiteral("00:03:01"));
    EXPECT_EQ(main->TitleList[0], QStringLiteral("Session1_Track1"));

    lookUp();
    EXPECT_EQ(NativeEdit(main->findChild<QObject*>(QStringLiteral("edAlbum")))->text(),
              QStringLiteral("Ñoño / Live"));
    EXPECT_EQ(NativeEdit(main->findChild<QObject*>(QStringLiteral("edYear")))->text(),
              QStringLiteral("1987"));
    EXPECT_EQ(main->TitleList, (QStringList{"AC/DC Ünïcode", "..", "Session1_Track4"}));
    EXPECT_EQ(main->TrackKeys.size(), lv->topLevelItemCount());
    EXPECT_EQ(main->AlbumList.size(), lv->topLevelItemCount());

    // The last row's title emptied by the user: the file is named "Title".
    lv->setCurrentItem(lv->topLevelItem(2));
    NativeEdit(main->findChild<QObject*>(QStringLiteral("edTitle")))->setText(QString());
    EXPECT_EQ(main->TitleList[2], QString());
    lv->setCurrentItem(lv->topLevelItem(0));

    const QStringList extensions{".wav", ".mp3", ".ogg", ".wma"};
    const int tracks[] = {0, 1, 3};
    for (int f = 0; f < 4; ++f) {
        SCOPED_TRACE(extensions[f].toStdString());
        RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/out%1").arg(f); // no final "/"
        QDir().mkpath(RGlobeVar::ROutPutPath);
        format(f);
        EXPECT_EQ(main->RipFormat, f + 1);
        rip();
        EXPECT_FALSE(main->Busy());
        EXPECT_TRUE(script.All().filter(QStringLiteral("not ripped")).isEmpty())
            << script.All().join('|').toStdString();
        const QString folder = RGlobeVar::ROutPutPath + QStringLiteral("/Cräftsmen/Ñoño _ Live/");
        const QStringList names{"01.AC_DC Ünïcode", "02._", "04.Title"};
        for (int r = 0; r < 3; ++r) {
            const QString file = folder + names[r] + extensions[f];
            ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
            EXPECT_EQ(cell(r, 5), QStringLiteral("100%"));
            const int sectors = image.tracks[tracks[r]].sectors;
            if (f == 0) {
                EXPECT_TRUE(readWav(file) == trackAudio(tracks[r], sectors)) << file.toStdString();
            } else {
                const int64_t frames = decodedFrames(file);
                EXPECT_NEAR(double(frames), sectors * 588.0, 2048.0) << file.toStdString();
            }
            TagLib::FileRef ref(QFile::encodeName(file).constData());
            ASSERT_FALSE(ref.isNull());
            EXPECT_EQ(QString::fromStdString(ref.tag()->album().to8Bit(true)), QStringLiteral("Ñoño / Live"));
            EXPECT_EQ(QString::fromStdString(ref.tag()->artist().to8Bit(true)), QStringLiteral("Cräftsmen"));
            EXPECT_EQ(QString::fromStdString(ref.tag()->title().to8Bit(true)), main->TitleList[r]);
            EXPECT_EQ(ref.tag()->year(), 1987u);
            EXPECT_EQ(QString::fromStdString(ref.tag()->genre().to8Bit(true)),
                      QStringLiteral("Progressive Rock"));
            EXPECT_TRUE(ref.tag()->comment().isEmpty()) << "the extra texts only when \"use all\"";
        }
    }
    EXPECT_TRUE(script.Errors().isEmpty()) << script.Errors().join('\n').toStdString();

    // A year that is not a number gives no year tag, and the rip goes on.
    NativeEdit(main->findChild<QObject*>(QStringLiteral("edYear")))->setText(QStringLiteral("late 80s"));
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/noyear/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    format(0);
    rip();
    TagLib::FileRef ref(
        QFile::encodeName(RGlobeVar::ROutPutPath + "Cräftsmen/Ñoño _ Live/01.AC_DC Ünïcode.wav").constData());
    ASSERT_FALSE(ref.isNull());
    EXPECT_EQ(ref.tag()->year(), 0u);
    EXPECT_EQ(QString::fromStdString(ref.tag()->album().to8Bit(true)), QStringLiteral("Ñoño / Live"));

    // A title's underscore shows above the row's grid line.
    main->show();
    QApplication::processEvents();
    const QRect titleCell = lv->visualRect(lv->model()->index(2, 2));
    lv->topLevelItem(2)->setText(2, QStringLiteral("_"));
    const QImage underscored = lv->viewport()->grab(titleCell).toImage();
    lv->topLevelItem(2)->setText(2, QString());
    EXPECT_GE(StrongDifferences(underscored, lv->viewport()->grab(titleCell).toImage()), 3);
}

// The extra texts chosen with "use all", in a WAV whose artist and title are as long as a name can
// take: the file is made under its shortened name (its hidden temporary name fits the folder too),
// and the copyright and encoded-by tags are in it as another program reads them.
TEST_F(RipperWindowTest, LongNamedWavGetsEveryExtraTag) {
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/long/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    RGlobeVar::ROutputFilename = 1; // pattern 2: artist-title
    RGlobeVar::RUseAll = true;
    RGlobeVar::RComments = QStringLiteral("Cömment");
    RGlobeVar::RCopyRight = QStringLiteral("© 1987 Cräftsmen");
    RGlobeVar::RUrl = QStringLiteral("https://example.org/");
    RGlobeVar::REncodeBy = QStringLiteral("Ëncoder");
    format(0);
    lv->setCurrentItem(lv->topLevelItem(0));
    NativeEdit(main->findChild<QObject*>(QStringLiteral("edArtist")))->setText(QString(125, u'ä'));
    NativeEdit(main->findChild<QObject*>(QStringLiteral("edTitle")))
        ->setText(QString(125, u'é')); // 250 bytes
    rip();
    EXPECT_TRUE(script.All().isEmpty()) << script.All().join('|').toStdString();
    // Each part cut to 200 bytes, the name to 240, never inside a character.
    const QString file = RGlobeVar::ROutPutPath + QString(100, u'ä') + u'-' + QString(19, u'é') + ".wav";
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(cell(0, 5), QStringLiteral("100%"));
    EXPECT_EQ(QDir(RGlobeVar::ROutPutPath).entryList(QDir::Files | QDir::Hidden).size(), 3);

    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {"-v", "error", "-show_entries", "format_tags", "-of", "json", file});
    ASSERT_TRUE(probe.waitForFinished(30000));
    ASSERT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
    const QJsonObject tags =
        QJsonDocument::fromJson(probe.readAllStandardOutput())["format"]["tags"].toObject();
    QMap<QString, QString> read;
    for (auto it = tags.begin(); it != tags.end(); ++it)
        read[it.key().toLower()] = it.value().toString();
    EXPECT_EQ(read.value("copyright"), RGlobeVar::RCopyRight);
    EXPECT_EQ(read.value("encoded_by"), RGlobeVar::REncodeBy);
    EXPECT_EQ(read.value("comment"), RGlobeVar::RComments);
    EXPECT_EQ(read.value("title"), QString(125, u'é'));
}

// Closing the progress window during the first of several tracks: the grab stops, its partial file
// goes, its row shows "0%", no further track starts, and the window is ready for the next rip.
TEST_F(RipperWindowTest, CancelDuringTheFirstTrackStopsTheRun) {
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/cancel/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    format(0);
    bool closed = false;
    QObject::connect(grabber, &TAudioCDGrabber2::OnOperationProgress, progress.get(), [&](double p) {
        if (!closed && p < 100) {
            closed = true;
            progress->close();
        }
    });
    rip();
    ASSERT_TRUE(closed);
    EXPECT_FALSE(main->Busy());
    EXPECT_FALSE(grabber->IsGrabbing());
    EXPECT_EQ(cell(0, 5), QStringLiteral("0%"));
    EXPECT_EQ(cell(1, 5), QStringLiteral("0%"));
    const QString folder = RGlobeVar::ROutPutPath + QStringLiteral("Artist/Album/");
    EXPECT_FALSE(QFileInfo::exists(folder + "01.Session1_Track1.wav"));
    EXPECT_FALSE(QFileInfo::exists(folder + "02.Session1_Track2.wav"));
    EXPECT_FALSE(QFileInfo::exists(folder + "04.Session1_Track4.wav"));

    // The next rip runs whole, and closing its progress window after the last track cancels nothing.
    rip();
    EXPECT_TRUE(QFileInfo::exists(folder + "04.Session1_Track4.wav"));
    EXPECT_EQ(cell(2, 5), QStringLiteral("100%"));
    EXPECT_FALSE(progress->isVisible());
}

// The ripper closed and destroyed while a track's tags are written (the 20-second track): the track
// is kept, tagged and in place, and the tag writer touches nothing of the window that went (the
// sanitizer build checks it).
TEST_F(RipperWindowTest, ClosedWhileATrackIsTaggedKeepsTheTrack) {
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/closed/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    Choose(NativeCombo(main->findChild<QObject*>(QStringLiteral("cboxDevice"))), 1);
    format(0);
    bool closing = false;
    // Connected after the rip job: at the track's 100 % its tags are being written.
    QObject::connect(grabber, &TAudioCDGrabber2::OnOperationProgress, [&](double p) {
        if (closing || p < 100) return;
        closing = true;
        QTimer::singleShot(0, [&] {
            main->close();
            progress.reset();
            main.reset();
        });
    });
    main->btnExtractClick();
    ASSERT_TRUE(waitFor([&] { return !main; }, 60000));
    const QString file = RGlobeVar::ROutPutPath + QStringLiteral("Artist/Album/01.Session1_Track1.wav");
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(readWav(file).size(), size_t(75 * 20 * 1176));
    TagLib::FileRef ref(QFile::encodeName(file).constData());
    ASSERT_FALSE(ref.isNull());
    EXPECT_EQ(QString::fromStdString(ref.tag()->title().to8Bit(true)), QStringLiteral("Session1_Track1"));
    EXPECT_TRUE(script.Errors().isEmpty()) << script.Errors().join('\n').toStdString();
}

// A disc image whose data file lost the middle of its last track, ripped in "Precision grab": each
// retry is logged, the scratched-disc box shows once in the program run (one box for the fault: no
// error box, no summary), "Read disc error." is logged, and the track's file is kept with what was
// read, tagged, its row saying so. The other tracks are ripped whole.
TEST_F(RipperWindowTest, ReadErrorKeepsAndTagsTheFileWithOneBox) {
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/broken/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    format(0);
    Choose(NativeCombo(main->findChild<QObject*>(QStringLiteral("cboxPriority"))), 1);
    QFile::resize(image.binPath, 2352LL * (image.starts[3] + 75));
    rip();
    EXPECT_FALSE(main->Busy());
    EXPECT_EQ(cell(0, 5), QStringLiteral("100%"));
    EXPECT_EQ(cell(1, 5), QStringLiteral("100%"));
    EXPECT_EQ(cell(2, 5), QStringLiteral("Read disc error."));
    EXPECT_EQ(script.All().size(), 1) << script.All().join('|').toStdString();
    EXPECT_TRUE(script.All().value(0).startsWith(
        QStringLiteral("AudioCDGrabber detects that this CD may be scratched")));
    EXPECT_TRUE(script.Errors().isEmpty()) << script.Errors().join('\n').toStdString();
    const QString log = logText();
    EXPECT_TRUE(log.contains(
        QStringLiteral("Attempt 1/20 attempts of reading the track sector %1").arg(image.starts[3] + 75)))
        << log.toStdString();
    EXPECT_EQ(log.count(QStringLiteral("Read disc error.")), 1);
    const QString folder = RGlobeVar::ROutPutPath + QStringLiteral("Artist/Album/");
    const QString kept = folder + QStringLiteral("04.Session1_Track4.wav");
    ASSERT_TRUE(QFileInfo::exists(kept));
    EXPECT_TRUE(readWav(kept) == trackAudio(3, 75)) << "what was read before the lost sectors";
    TagLib::FileRef ref(QFile::encodeName(kept).constData());
    ASSERT_FALSE(ref.isNull());
    EXPECT_EQ(QString::fromStdString(ref.tag()->title().to8Bit(true)), QStringLiteral("Session1_Track4"));
    EXPECT_TRUE(readWav(folder + QStringLiteral("01.Session1_Track1.wav")) ==
                trackAudio(0, image.tracks[0].sectors));
    // No file is left under any other name in the folder.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);

    // The same fault again in this program run: no box at all.
    script.Clear();
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/again/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    rip();
    EXPECT_TRUE(script.All().isEmpty()) << script.All().join('|').toStdString();
    EXPECT_EQ(cell(2, 5), QStringLiteral("Read disc error."));
}

// Ripping onto a disk that takes no more (here the file-size limit): the failure is a write
// failure, shown once, naming the file; the rip stops, no track blames the disc, and nothing is
// left under a track's name.
TEST_F(RipperWindowTest, AWriteFailureStopsTheRipWithOneMessage) {
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/full/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    format(0);
    bool ended = false;
    {
        const FileSizeLimit full(200000);
        main->btnExtractClick();
        ended = waitFor([this] { return !main->Ripping(); }, 60000);
    }
    ASSERT_TRUE(ended);
    ASSERT_EQ(script.All().size(), 1) << script.All().join('|').toStdString();
    const QString folder = RGlobeVar::ROutPutPath + QStringLiteral("Artist/Album/");
    EXPECT_TRUE(script.All()[0].startsWith(QStringLiteral("The rip stopped: a file could not be written.")))
        << script.All()[0].toStdString();
    EXPECT_TRUE(script.All()[0].contains(folder + QStringLiteral("01.Session1_Track1.wav")))
        << script.All()[0].toStdString();
    EXPECT_FALSE(script.All()[0].contains(QStringLiteral("Read disc error")));
    EXPECT_EQ(cell(0, 5), QStringLiteral("Write error"));
    EXPECT_EQ(cell(1, 5), QStringLiteral("0%")) << "no further track starts";
    EXPECT_EQ(cell(2, 5), QStringLiteral("0%"));
    EXPECT_FALSE(logText().contains(QStringLiteral("Read disc error.")));
    EXPECT_TRUE(script.Errors().isEmpty()) << script.Errors().join('\n').toStdString();
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A rip killed outright in the middle of a track leaves no file under the track's name: the track
// is written under a hidden temporary name until its tags are written. (The rip runs in a child
// process that stops itself in the middle of the track, and is killed there.)
TEST_F(RipperWindowTest, AKilledRipLeavesNoFileUnderATracksName) {
    progress.reset();
    main.reset(); // the child starts from this thread alone
    const QString out = dir.path() + QStringLiteral("/killed/");
    QDir().mkpath(out);
    const QString marker = dir.filePath(QStringLiteral("half-way"));
    const pid_t child = startChild([&] {
        TfrmMain ripper;
        ripper.create();
        RGlobeVar::ROutPutPath = out;
        RGlobeVar::ROutputFilename = 4;
        auto* grabber = ripper.findChild<TAudioCDGrabber2*>(QStringLiteral("ACDG"));
        QObject::connect(grabber, &TAudioCDGrabber2::OnOperationProgress, [&](double p) {
            if (p < 50) return;
            QFile(marker).open(QIODevice::WriteOnly);
            for (;;)
                pause(); // killed here, half-way through the track
        });
        Choose(NativeCombo(ripper.findChild<QObject*>(QStringLiteral("cboxDevice"))), 1);
        ripper.btnExtractClick();
        QEventLoop().exec();
    });
    ASSERT_GT(child, 0);
    ChildReaper reaper{child};
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(marker); }, 30000)) << "the child did not rip";
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    reaper.pid = -1;
    const QString folder = out + QStringLiteral("Artist/Album/");
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("01.Session1_Track1.wav")));
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty())
        << QDir(folder).entryList(QDir::Files).join('|').toStdString();
}

// The output folder removed while a track is written: the track fails naming its file (nothing is
// reported as ripped that is not there); the next tracks, whose folder is made again, are ripped.
TEST_F(RipperWindowTest, ATrackWhoseFileVanishedFailsNamingIt) {
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/vanishing/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    format(1);
    const QString folder = RGlobeVar::ROutPutPath + QStringLiteral("Artist/Album/");
    bool removed = false;
    QObject::connect(grabber, &TAudioCDGrabber2::OnOperationProgress, main.get(), [&](double p) {
        if (!removed && p < 100)
            removed = QDir(RGlobeVar::ROutPutPath + QStringLiteral("Artist")).removeRecursively();
    });
    rip();
    ASSERT_TRUE(removed);
    const QString lost = folder + QStringLiteral("01.Session1_Track1.mp3");
    EXPECT_EQ(cell(0, 5), QStringLiteral("Failed"));
    EXPECT_TRUE(lv->topLevelItem(0)->toolTip(5).contains(lost))
        << lv->topLevelItem(0)->toolTip(5).toStdString();
    const QStringList summary = script.All().filter(QStringLiteral("These tracks were not ripped"));
    ASSERT_EQ(summary.size(), 1) << script.All().join('|').toStdString();
    EXPECT_TRUE(summary[0].contains(QStringLiteral("Track 01: ")) && summary[0].contains(lost))
        << summary[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(lost));
    EXPECT_EQ(cell(1, 5), QStringLiteral("100%"));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("02.Session1_Track2.mp3")));
}

} // namespace

namespace {

// A media change during a rip leaves the rows (and the lists the loop reads) alone until the run
// ends; then the disc is read again.
TEST_F(RipperWindowTest, MediaChangeDuringARipIsAppliedAfterIt) {
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/media/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    format(0);
    QTreeWidgetItem* first = lv->topLevelItem(0);
    bool sent = false, rowsKept = true;
    QObject::connect(grabber, &TAudioCDGrabber2::OnOperationProgress, main.get(), [&](double) {
        if (!sent) {
            sent = true;
            Q_EMIT grabber->OnMediaChange();
        }
        rowsKept = rowsKept && lv->topLevelItem(0) == first && main->TrackKeys.size() == 3;
    });
    rip();
    ASSERT_TRUE(sent);
    EXPECT_TRUE(rowsKept);
    const QString folder = RGlobeVar::ROutPutPath + QStringLiteral("Artist/Album/");
    for (const char* name : {"01.Session1_Track1.wav", "02.Session1_Track2.wav", "04.Session1_Track4.wav"})
        EXPECT_TRUE(QFileInfo::exists(folder + QLatin1String(name))) << name;
    // Read again after the rip: fresh rows.
    ASSERT_EQ(lv->topLevelItemCount(), 3);
    EXPECT_EQ(cell(0, 5), QStringLiteral("0%"));
    EXPECT_TRUE(script.All().filter(QStringLiteral("not ripped")).isEmpty());
}

} // namespace

namespace {

// The options window: the first run writes the file with the defaults; port and time-out take
// digits only within their ranges; "&Ok" sets the rip folder so the next rip goes there; Cancel
// puts the format pages back but keeps the server.
TEST_F(RipperWindowTest, OptionsWindowFirstRunOkAndCancel) {
    auto* info = main->LookupObject();
    Duzivuz::TfrmOptions options(main.get());
    options.SetLookupObject(info);
    options.create();
    const QString cfg = GlobeVar::CfgFilePath();
    ASSERT_TRUE(QFileInfo::exists(cfg)) << "the first run writes the file";
    auto edit = [&](const char* name) {
        return NativeEdit(options.findChild<QObject*>(QLatin1String(name)));
    };
    auto combo = [&](const char* name) {
        return NativeCombo(options.findChild<QObject*>(QLatin1String(name)));
    };
    const Duzivuz::TRipperOptions shown = options.ReadControls();
    EXPECT_EQ(shown.shared.number[Videzeva::WmaFormat], 14);
    EXPECT_EQ(shown.freeDBServer, 1);
    EXPECT_EQ(shown.freeDBPort, 80);
    EXPECT_EQ(shown.freeDBTimeOut, 7000);

    options.show();
    // Letters never reach the port; a port out of range keeps the window open and changes nothing.
    edit("edtFreeDBPort")->clear();
    QTest::keyClicks(edit("edtFreeDBPort"), QStringLiteral("8x0"));
    EXPECT_EQ(edit("edtFreeDBPort")->text(), QStringLiteral("80"));
    edit("edtFreeDBPort")->setText(QStringLiteral("70000"));
    options.btnOptionOkClick();
    EXPECT_FALSE(options.OkPressed);
    EXPECT_EQ(script.All().filter(QStringLiteral("1 to 65535")).size(), 1)
        << script.All().join('|').toStdString();
    edit("edtFreeDBPort")->setText(QString::number(server.port()));
    combo("cmbFreeDBServer")->setCurrentIndex(3);
    QDir().mkpath(dir.path() + QStringLiteral("/chosen"));
    edit("edOutputFolder")->setText(dir.path() + QStringLiteral("/chosen"));
    combo("cmbROutputFilename")->setCurrentIndex(0);
    options.btnOptionOkClick();
    EXPECT_TRUE(options.OkPressed);
    EXPECT_EQ(info->port(), server.port());
    EXPECT_EQ(info->selectedServer(), 3);
    EXPECT_TRUE(RGlobeVar::ROutPutPath.startsWith(dir.path() + QStringLiteral("/chosen")));

    // The next rip uses the folder just chosen and pattern 1.
    lv->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    lv->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    format(0);
    rip();
    EXPECT_TRUE(QFileInfo::exists(dir.path() + QStringLiteral("/chosen/track01.wav")));

    // Cancel: the MP3 bit rate comes back, the server stays.
    options.show();
    combo("cboxMP3BitRate")->setCurrentIndex(2);
    combo("cmbFreeDBServer")->setCurrentIndex(4);
    options.btnOptionCancelClick();
    EXPECT_EQ(combo("cboxMP3BitRate")->currentIndex(), 6);
    EXPECT_EQ(combo("cmbFreeDBServer")->currentIndex(), 4);
}

// The pattern list names the parts of each name, and the WMA list is the WMA component's own, as
// the recorder shows it: the profiles the encoder writes at its lowest rate say 24 kbps.
TEST_F(RipperWindowTest, OptionsListsShowThePatternsAndTheProfilesWritten) {
    Duzivuz::TfrmOptions options(main.get());
    options.SetLookupObject(main->LookupObject());
    options.create();
    auto items = [&](const char* name) {
        QStringList texts;
        QComboBox* box = NativeCombo(options.findChild<QObject*>(QLatin1String(name)));
        for (int i = 0; i < box->count(); ++i)
            texts << box->itemText(i);
        return texts;
    };
    EXPECT_EQ(
        items("cmbROutputFilename"),
        (QStringList{"track <number>", "<artist> - <title>", "<artist> - <album>/<number>. <title>",
                     "<artist> - <album>/<number> - <title>", "<artist>/<album>/<number>. <title>",
                     "<artist>/<album>/<number> - <title>", "<album>/<number>. <artist> - <title>",
                     "<album>/<number> - <artist> - <title>", "<number>. <title>", "<number> - <title>",
                     "<artist> - <album> - <number> - <title>", "<title>", "<artist> - <album>", "<album>"}));
    QStringList written;
    TWMAFile2 wma;
    for (int p = 1; p <= wma.GetProfileCount(); ++p) {
        wma.SelectProfile(p);
        written << wma.GetProfileName();
    }
    const QStringList shown = items("cboxWmaFormat");
    EXPECT_EQ(shown, written);
    EXPECT_EQ(shown.size(), 15);
    EXPECT_EQ(shown.value(0), QStringLiteral("8000Hz,mono,24kbps"));
    EXPECT_EQ(shown.value(14), QStringLiteral("44100Hz,stereo,128kbps"));
}

// A lookup that fails or is refused puts back what the window held before it: album, artist,
// year, genre, every row's title and check, not the default "Session1_Track1" texts.
TEST_F(RipperWindowTest, AFailedOrRefusedLookupKeepsTheUsersTexts) {
    lookUp();
    auto edit = [&](const char* name) { return NativeEdit(main->findChild<QObject*>(QLatin1String(name))); };
    auto* genre = NativeCombo(main->findChild<QObject*>(QStringLiteral("cboxGenre")));
    lv->setCurrentItem(lv->topLevelItem(1));
    edit("edTitle")->setText(QStringLiteral("Typed title"));
    edit("edAlbum")->setText(QStringLiteral("Typed album"));
    edit("edArtist")->setText(QStringLiteral("Typed artist"));
    edit("edYear")->setText(QStringLiteral("2001"));
    genre->setEditText(QStringLiteral("Own genre"));
    lv->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    lv->setCurrentItem(lv->topLevelItem(0));
    const QStringList albums = main->AlbumList, artists = main->ArtistList, titles = main->TitleList;
    ASSERT_EQ(titles[1], QStringLiteral("Typed title"));

    auto* info = main->findChild<TFreeDBInformation2*>(QStringLiteral("FreeDBInfo"));
    CddbServer empty(CddbServer::Mode::Http); // knows no disc: the lookup is refused
    int closedPort = 0;
    {
        CddbServer probe(CddbServer::Mode::Http);
        closedPort = probe.port();
    }
    const struct {
        int port;
        const char* box;
    } lookups[] = {{empty.port(), "No FreeDB information"}, {closedPort, "Connection failed!"}};
    for (const auto& l : lookups) {
        SCOPED_TRACE(l.box);
        info->SetPort(l.port);
        script.Clear();
        main->btnGetInfoClick();
        ASSERT_TRUE(waitFor([&] { return !script.All().filter(QLatin1String(l.box)).isEmpty(); }, 5000));
        EXPECT_EQ(main->AlbumList, albums);
        EXPECT_EQ(main->ArtistList, artists);
        EXPECT_EQ(main->TitleList, titles);
        EXPECT_EQ(cell(1, 2), QStringLiteral("Typed title"));
        EXPECT_EQ(cell(1, 1), QStringLiteral("Typed artist"));
        EXPECT_EQ(lv->topLevelItem(2)->checkState(0), Qt::Unchecked);
        EXPECT_EQ(edit("edAlbum")->text(), albums[0]);
        EXPECT_EQ(edit("edYear")->text(), QStringLiteral("2001"));
        EXPECT_EQ(genre->currentText(), QStringLiteral("Own genre"));
    }
}

// Without a disc there is no genre (an editable list would show its first one).
TEST_F(RipperWindowTest, WithoutADiscTheGenreIsEmpty) {
    for (const QStringList& drives :
         {QStringList(), QStringList{dir.filePath(QStringLiteral("absent.cue"))}}) {
        writeDriveList(dir.path() + QStringLiteral("/config"), drives);
        TfrmMain other;
        other.create();
        auto* genre = NativeCombo(other.findChild<QObject*>(QStringLiteral("cboxGenre")));
        EXPECT_EQ(genre->currentIndex(), -1) << drives.size();
        EXPECT_TRUE(genre->currentText().isEmpty()) << genre->currentText().toStdString();
        EXPECT_GT(genre->count(), 100);
    }
}

} // namespace

namespace {

// The preview plays the selected track from the disc into the player's device. Holding the
// position slider does not end it (the player is fed on); releasing it at 500 plays on from the
// middle of the track, so the device receives the start of the track, then the track from its
// middle to the end. A rip afterwards reads in the grab mode chosen in the window, not the
// preview's.
TEST_F(RipperWindowTest, PreviewPlaysTheTrackAndSeeksWhileTheSliderIsHeld) {
    auto* device = NativeCombo(main->findChild<QObject*>(QStringLiteral("cboxDevice")));
    ASSERT_EQ(device->count(), 2);
    Choose(device, 1);
    ASSERT_EQ(lv->topLevelItemCount(), 1);
    Choose(NativeCombo(main->findChild<QObject*>(QStringLiteral("cboxPriority"))), 3);
    lv->setCurrentItem(lv->topLevelItem(0));
    auto* bar = main->findChild<TskTrackBar*>(QStringLiteral("tbarPlayProgress"));
    auto* player = main->findChild<TAudioPlayer2*>(QStringLiteral("AP"));

    int blocksPlayed = 0, shownAtRelease = -1, shownAfter = -1;
    bool playingWhileHeld = false;
    QObject::connect(player, &TAudioPlayer2::OnEndArrayPlay, main.get(), [&] {
        ++blocksPlayed;
        if (blocksPlayed == 2) main->tbarPlayProgressMouseDown();
        if (blocksPlayed == 8) {
            playingWhileHeld = main->Previewing();
            bar->SetPosition(500);
            main->tbarPlayProgressMouseUp();
            shownAtRelease = bar->Position();
        }
    });
    QObject::connect(player, &TAudioPlayer2::OnTimer, main.get(), [&] {
        if (shownAtRelease >= 0 && shownAfter < 0) shownAfter = bar->Position();
    });
    main->btnPlayClick();
    ASSERT_TRUE(main->Previewing());
    main->btnPlayClick(); // a second Play while one runs changes nothing
    ASSERT_TRUE(waitFor([&] { return !main->Previewing(); }, 20000));
    EXPECT_TRUE(playingWhileHeld) << "the preview ended while the slider was held";
    EXPECT_EQ(shownAtRelease, 500);
    EXPECT_GE(shownAfter, 500);
    EXPECT_LT(shownAfter, 600);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_TRUE(script.All().isEmpty()) << script.All().join('|').toStdString();

    QFile f(played);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    std::vector<int16_t> out(size_t(bytes.size()) / 2);
    memcpy(out.data(), bytes.constData(), out.size() * 2);
    const std::vector<int16_t> track = trackAudio(0, 75 * 20);
    const size_t seekPoint = size_t(75 * 20 / 2) * 1176; // block 750
    const size_t tail = track.size() - seekPoint;
    ASSERT_GT(out.size(), tail);
    const size_t head = out.size() - tail;
    EXPECT_GE(head, size_t(8 * 26 * 1176)) << "what was played before the seek";
    EXPECT_LT(head, seekPoint);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + ptrdiff_t(head), track.begin()));
    EXPECT_TRUE(std::equal(out.begin() + ptrdiff_t(head), out.end(), track.begin() + ptrdiff_t(seekPoint)));

    // The preview read in mode 0; the rip goes back to the window's "Grab on scratched CD".
    EXPECT_EQ(grabber->GetGrabMode(), 0);
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/after/");
    QDir().mkpath(RGlobeVar::ROutPutPath);
    format(0);
    rip();
    EXPECT_EQ(grabber->GetGrabMode(), 4);
    EXPECT_EQ(grabber->GetMaxRetries(), TAudioCDGrabber2::grabModeSettings(4).maxRetries);
    EXPECT_TRUE(QFileInfo::exists(RGlobeVar::ROutPutPath + "Artist/Album/01.Session1_Track1.wav"));
}

} // namespace

namespace {

// What the main window asks of the player window, recorded.
struct FakePlayer : Videzeva::TRecorderPlayerWindow {
    int shown = 0;
    void AddFileToList(const QString&, bool) override {}
    int ConvertingRow() const override { return -1; }
    void CancelConversion() override {}
    void ShowPlayer() override { ++shown; }
    void HidePlayer() override {}
};

// The volume slider and the player window's stay in step through the shared playback level without
// echoes: a move from the player goes no further, also when it names the position the slider
// already has, and the user's next move reaches the player. Mute goes both ways, and "Switch to
// player" reaches the player window.
TEST_F(RipperWindowTest, VolumeFollowsThePlayerWindowWithoutEcho) {
    FakePlayer player;
    main->SetPlayerWindow(&player);
    main->show();
    TPlaybackLevel& level = main->PlaybackLevel();
    QList<int> volumes;
    QList<bool> mutes;
    QObject::connect(&level, &TPlaybackLevel::VolumeChanged, [&](int volume) { volumes << volume; });
    QObject::connect(&level, &TPlaybackLevel::MutedChanged, [&](bool muted) { mutes << muted; });
    auto* volume = main->findChild<TskTrackBar*>(QStringLiteral("tbarVolume"));
    level.SetVolume(1000); // the player's slider
    EXPECT_EQ(volume->Position(), 1000);
    level.SetVolume(1000);
    EXPECT_EQ(volumes, QList<int>{1000});
    volume->SetPosition(2000);
    EXPECT_EQ(volumes, QList<int>({1000, 2000}));
    main->findChild<TskCheckBox*>(QStringLiteral("cboxMute"))->SetChecked(true);
    main->cboxMuteMouseUp();
    EXPECT_EQ(mutes, QList<bool>{true});
    // The player's own mute moves the box.
    level.SetMuted(false);
    EXPECT_FALSE(main->findChild<TskCheckBox*>(QStringLiteral("cboxMute"))->Checked());
    EXPECT_EQ(mutes, QList<bool>({true, false}));
    main->btnPlayerClick();
    EXPECT_EQ(player.shown, 1);
    main->SetPlayerWindow(nullptr);
}

} // namespace

// The main window's shape leaves out its corners and keeps its edges.
TEST_F(RipperWindowTest, ShapeLeavesOutTheCorners) {
    main->show();
    const QRegion shape = main->mask();
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(698, 501)));
    EXPECT_TRUE(shape.contains(QPoint(350, 250)));
    EXPECT_TRUE(shape.contains(QPoint(698, 250)));
}
