#include "components/TAudioFile2.h"
#include "platform/WindowMessages.h"
#include "recorder/GlobeVar.h"
#include "recorder/Main.h"
#include "recorder/OptionsSettings.h"
#include "recorder/RecorderWindows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <cmath>

using Videzeva::TfrmMain;

namespace {

// A file-backed capture device reading `raw` (interleaved 16-bit stereo at 44.1 kHz) and a
// playback device writing into `played`, in an ALSA configuration of the test's own.
class RecorderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterRecorderWindows();
        ASSERT_TRUE(dir.isValid());
        raw = dir.filePath("input.raw");
        played = dir.filePath("played.raw");
        source = Sine(44100 * 3, 441.0);
        QFile f(raw);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(source.data()), qint64(source.size() * 2));
        f.close();
        QFile conf(dir.filePath("asound.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral(
                       "pcm.null { type null }\n"
                       "pcm.line { type file slave.pcm null file \"/dev/null\" infile \"%1\" format \"raw\""
                       " hint { show on description \"Test line\" } }\n"
                       "pcm.speaker { type file slave.pcm null file \"%2\" format \"raw\""
                       " hint { show on description \"Test speaker\" } }\n")
                       .arg(raw, played)
                       .toUtf8());
        conf.close();
        qputenv("ALSA_CONFIG_PATH", dir.filePath("asound.conf").toUtf8());
        snd_config_update_free_global();

        Videzeva::ApplyOptionsToGlobals(Videzeva::DefaultOptionsValues());
        GlobeVar::PreName = "Recorded";
        GlobeVar::PosName = "";
        GlobeVar::VolumeStop = GlobeVar::TimeStop = false;
        GlobeVar::StartUse1 = GlobeVar::StartUse2 = GlobeVar::StopUse1 = GlobeVar::StopUse2 = false;
        window = std::make_unique<TfrmMain>();
        window->create();
        // The window's creation puts the output folder at the program folder, as at start-up.
        QDir().mkpath(dir.filePath("out"));
        GlobeVar::OutputPath = dir.filePath("out") + "/";
        window->show();
    }
    void TearDown() override {
        window.reset();
        qunsetenv("ALSA_CONFIG_PATH");
        snd_config_update_free_global();
    }

    static std::vector<int16_t> Sine(int frames, double hz) {
        std::vector<int16_t> out(size_t(frames) * 2);
        for (int i = 0; i < frames; ++i)
            out[size_t(i) * 2] = out[size_t(i) * 2 + 1] =
                int16_t(std::lrint(12000 * std::sin(2 * M_PI * hz * i / 44100)));
        return out;
    }

    // Records until the capture has passed the source's end, then stops.
    void RecordSource() {
        window->btnRecordClick();
        ASSERT_TRUE(window->Recording());
        QTest::qWait(1500); // the file device reads faster than real time
        window->btnStopClick();
        ASSERT_FALSE(window->Recording());
    }

    std::vector<int16_t> Decode(const QString& file) {
        TAudioFile2 reader;
        reader.OpenRead(file);
        EXPECT_EQ(reader.GetLastError(), 0) << file.toStdString();
        std::vector<int16_t> all;
        for (;;) {
            AudioBlock b = reader.ReadArray(44100);
            if (b.isEmpty()) break;
            all.insert(all.end(), b.samples.begin(), b.samples.end());
        }
        return all;
    }

    // The best normalised correlation of the decoded left channel with the source's over a second,
    // within a few milliseconds of lag (encoders delay their output a little).
    double Correlation(const std::vector<int16_t>& decoded) const {
        double best = 0;
        for (int lag = 0; lag < 3000; lag += 1) {
            double xy = 0, xx = 0, yy = 0;
            for (int i = 22050; i < 22050 + 44100 && size_t(i + lag) * 2 < decoded.size(); ++i) {
                const double x = source[size_t(i) * 2], y = decoded[size_t(i + lag) * 2];
                xy += x * y;
                xx += x * x;
                yy += y * y;
            }
            if (xx > 0 && yy > 0) best = std::max(best, xy / std::sqrt(xx * yy));
        }
        return best;
    }

    QTemporaryDir dir;
    QString raw, played;
    std::vector<int16_t> source;
    std::unique_ptr<TfrmMain> window;
};

// Closes whatever modal box the window opens, and counts them.
struct BoxCloser {
    int seen = 0;
    QTimer timer;
    BoxCloser() {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                ++seen;
                box->close();
            }
        });
        timer.start();
    }
};

} // namespace

class RecordEachFormat : public RecorderFixture, public ::testing::WithParamInterface<int> {};

// A fresh window per format: the file device reads its input once from the start.
TEST_P(RecordEachFormat, RecordsTheLineThroughTheWindow) {
    const char* radios[] = {"rbOutputWav", "rbOutputMp3", "rbOutputOgg", "rbOutputWma"};
    const int format = GetParam();
    window->findChild<QObject*>(radios[format])->setProperty("Checked", true);
    RecordSource();
    const QString file = window->RecordFileName();
    ASSERT_TRUE(file.startsWith(GlobeVar::OutputPath)) << file.toStdString();
    ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
    const std::vector<int16_t> decoded = Decode(file);
    // Everything the device delivered before the stop is in the file: at least the source, less
    // at most one block.
    EXPECT_GE(decoded.size() + 44100 * 2 * 4 / 10, source.size()) << file.toStdString();
    EXPECT_GT(Correlation(decoded), 0.95) << file.toStdString();
    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    QTreeWidgetItem* row = list->topLevelItem(0);
    EXPECT_EQ(row->text(0), QString(radios[format] + 8).toUpper());
    EXPECT_EQ(row->text(2), "Done");
    EXPECT_FALSE(row->text(4).trimmed().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordEachFormat, ::testing::Values(0, 1, 2, 3));

TEST_F(RecorderFixture, AFolderThatCannotBeWrittenStartsNothingAndSaysSoOnce) {
    GlobeVar::OutputPath = dir.filePath("missing/folder") + "/";
    BoxCloser boxes;
    window->btnRecordClick();
    QTest::qWait(300);
    EXPECT_FALSE(window->Recording());
    EXPECT_EQ(window->findChild<QTreeWidget*>("lvRecordList")->topLevelItemCount(), 0);
    EXPECT_EQ(boxes.seen, 1);
}

TEST_F(RecorderFixture, SameSecondAddsNoRowAndNamesTheSecondFileNew) {
    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    QString first, second;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QTest::qWait(1000 - QTime::currentTime().msec() + 20); // just after a second begins
        window->btnRecordClick();
        first = window->RecordFileName();
        window->btnStopClick();
        window->btnRecordClick();
        second = window->RecordFileName();
        window->btnStopClick();
        if (QFileInfo(first).completeBaseName().left(28) == QFileInfo(second).completeBaseName().left(28))
            break;
    }
    EXPECT_EQ(QFileInfo(second).completeBaseName(), QFileInfo(first).completeBaseName() + " New");
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

TEST_F(RecorderFixture, SilenceAndTimeLimitsFollowTheTickCount) {
    uint32_t now = 1000;
    window->SetTickSource([&] { return now; });
    GlobeVar::VolumeStop = true;
    GlobeVar::VolumeLevel = 5;
    GlobeVar::VolumeTime = 3;
    window->btnRecordClick();
    window->ARTimer(0, 4, 6); // average 5: silent, the count starts
    now += 2000;
    window->ARTimer(0, 50, 50); // one loud tick restarts it
    now += 100;
    window->ARTimer(0, 4, 6);
    now += 2999;
    window->ARTimer(0, 0, 0);
    EXPECT_TRUE(window->Recording());
    now += 1;
    window->ARTimer(0, 0, 0);
    EXPECT_FALSE(window->Recording());

    // A time limit of 0:00 is no limit; 0:02 with a new file starts the next recording at once.
    GlobeVar::VolumeStop = false;
    GlobeVar::TimeStop = true;
    GlobeVar::TimeNewRecord = true;
    GlobeVar::TimeMinute = GlobeVar::TimeSecond = 0;
    window->btnRecordClick();
    now += 100000;
    window->ARTimer(0, 50, 50);
    EXPECT_TRUE(window->Recording());
    window->btnStopClick();
    GlobeVar::TimeSecond = 2;
    QTest::qWait(1100);
    window->btnRecordClick();
    const QString before = window->RecordFileName();
    now += 2000;
    window->ARTimer(0, 50, 50);
    EXPECT_TRUE(window->Recording());
    now += 1;
    QTest::qWait(1100);
    window->ARTimer(0, 50, 50);
    EXPECT_TRUE(window->Recording());
    EXPECT_NE(window->RecordFileName(), before);
    window->btnStopClick();
}

TEST_F(RecorderFixture, HotKeyMessagesStartAndStop) {
    QCoreApplication::postEvent(window.get(), new WindowMessageEvent(WindowMessageId::HotkeyDetected, 0, 0));
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_TRUE(window->Recording());
    QCoreApplication::postEvent(window.get(), new WindowMessageEvent(WindowMessageId::HotkeyDetected, 1, 0));
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_FALSE(window->Recording());
}

// Pictures of the window in its main states, for people to look at.
TEST_F(RecorderFixture, GalleryPictures) {
    const QString folder = QStringLiteral(SUITE_BUILD_DIR) + "/gallery/windows";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(window->grab().save(folder + "/Videzeva-Main-idle.png"));
    // A longer tone, so the meters and the spectrum still move when the picture is taken.
    window.reset();
    source = Sine(44100 * 120, 441.0);
    QFile f(raw);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(source.data()), qint64(source.size() * 2));
    f.close();
    window = std::make_unique<TfrmMain>();
    window->create();
    GlobeVar::OutputPath = dir.filePath("out") + "/";
    window->show();

    window->findChild<QObject*>("rbOutputMp3")->setProperty("Checked", true);
    window->btnRecordClick();
    QTest::qWait(1100);
    window->btnStopClick();
    window->findChild<QObject*>("rbOutputWav")->setProperty("Checked", true);
    window->btnRecordClick();
    QTest::qWait(300); // meters and spectrum follow the tone
    ASSERT_TRUE(window->grab().save(folder + "/Videzeva-Main-recording.png"));
    window->btnStopClick();

    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    list->setCurrentItem(list->topLevelItem(1)); // the long recording: still playing when pictured
    window->btnPlayClick();
    ASSERT_TRUE(window->Playing());
    QTest::qWait(150);
    ASSERT_TRUE(window->Playing());
    ASSERT_TRUE(window->grab().save(folder + "/Videzeva-Main-playing.png"));
    window->btnStopClick();
    EXPECT_FALSE(window->Playing());
}

// The window's shape leaves out the white outside of its corner pictures.
TEST_F(RecorderFixture, ShapeLeavesOutTheCorners) {
    const QRegion shape = window->mask();
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_TRUE(shape.contains(QPoint(300, 200)));
    EXPECT_TRUE(shape.contains(QPoint(5, 5)));
    for (QPoint corner : {QPoint(0, 0), QPoint(606, 0), QPoint(0, 430), QPoint(606, 430)})
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
}

// What a recording has on disk while it runs is what a killed recorder leaves behind: a WAV that
// plays up to its last written block.
TEST_F(RecorderFixture, AWavCutOffMidRecordingPlaysToItsLastBlock) {
    window->findChild<QObject*>("rbOutputWav")->setProperty("Checked", true);
    window->btnRecordClick();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFileInfo(window->RecordFileName()).size() > 44100 * 4; }, 5000));
    const QString left = dir.filePath("left-behind.wav");
    ASSERT_TRUE(QFile::copy(window->RecordFileName(), left));
    window->btnStopClick();
    const qint64 onDisk = QFileInfo(left).size();
    const std::vector<int16_t> decoded = Decode(left);
    // Every whole block on disk decodes (the header is at most a few dozen bytes).
    EXPECT_GE(qint64(decoded.size()) * 2, onDisk - 100);
    EXPECT_GT(Correlation(decoded), 0.95);
}
