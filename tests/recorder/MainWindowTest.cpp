#include "common/Confirm.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "common/OptionsSettings.h"
#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/ProfileFile.h"
#include "platform/WindowMessages.h"
#include "recorder/Main.h"
#include "recorder/Options.h"
#include "recorder/RecorderWindows.h"
#include "skin/SKButton.h"
#include "skin/SKTrackBar.h"
#include "tests/devices/FakeMixer.h"
#include "tests/recorder/FreshProgramFolder.h"
#include "tests/recorder/LineAndSpeaker.h"
#include "tests/recorder/UnpluggedDevices.h"
#include "tests/support/ChildRun.h"
#include "tools/FolderScan.h"
#include "tools/Player.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <cmath>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
        ASSERT_TRUE(WriteLineAndSpeaker(dir.filePath("asound.conf"), raw, played));
        qputenv("ALSA_CONFIG_PATH", dir.filePath("asound.conf").toUtf8());
        snd_config_update_free_global();

        UseQuietRecorderDefaults();
        window = std::make_unique<TfrmMain>();
        UseTestClock(*window);
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

    // File names and rows read this clock; NextSecond() moves it on.
    void UseTestClock(TfrmMain& w) {
        w.SetClock([this] { return clock; });
    }
    void NextSecond() { clock = clock.addSecs(1); }

    // Records until the capture has passed the source's end, then stops. The Size cell fills
    // while recording (every second), not only at the stop.
    void RecordSource() {
        window->btnRecordClick();
        ASSERT_TRUE(window->Recording());
        QTest::qWait(1500); // the file device reads faster than real time
        auto* list = window->findChild<QTreeWidget*>("lvRecordList");
        ASSERT_EQ(list->topLevelItemCount(), 1);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !list->topLevelItem(0)->text(4).isEmpty(); }, 5000));
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

    QDateTime clock{QDate(2026, 3, 14), QTime(10, 0, 0)};
    QTemporaryDir dir;
    QString raw, played;
    std::vector<int16_t> source;
    std::unique_ptr<TfrmMain> window;
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
    // The length is the file's, as the player's list shows it (the device reads faster than the
    // clock, so the time elapsed is shorter).
    TAudioInformation2 info;
    EXPECT_EQ(row->text(3), AudioDurationText(info, file));
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordEachFormat, ::testing::Values(0, 1, 2, 3));

TEST_F(RecorderFixture, AFolderThatCannotBeWrittenStartsNothingAndSaysSoOnce) {
    GlobeVar::OutputPath = dir.filePath("missing/folder") + "/";
    TScriptedMessages boxes;
    window->btnRecordClick();
    QTest::qWait(300);
    EXPECT_FALSE(window->Recording());
    EXPECT_EQ(window->findChild<QTreeWidget*>("lvRecordList")->topLevelItemCount(), 0);
    EXPECT_EQ(boxes.Log.size(), 1);
}

// Recordings started in the same second: the second WAV is named " New", an MP3 after them keeps
// the plain name; each has its own row with its own format and path, and each row says what its
// own recording does.
TEST_F(RecorderFixture, SameSecondGivesEachRecordingItsOwnRowAndNamesTheSecondNew) {
    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    auto* paths = window->findChild<QTreeWidget*>("lvRecordListShadow");
    window->findChild<QObject*>("rbOutputWav")->setProperty("Checked", true);
    QStringList files;
    for (const char* format : {"rbOutputWav", "rbOutputWav", "rbOutputMp3"}) {
        window->findChild<QObject*>(format)->setProperty("Checked", true);
        window->btnRecordClick();
        files << window->RecordFileName();
        ASSERT_EQ(list->topLevelItemCount(), files.size());
        EXPECT_EQ(list->topLevelItem(int(files.size()) - 1)->text(2), "Recording...");
        for (int row = 0; row + 1 < files.size(); ++row)
            EXPECT_EQ(list->topLevelItem(row)->text(2), "Done");
        window->btnStopClick();
    }
    EXPECT_EQ(QFileInfo(files[0]).fileName(), "Recorded 2026-03-14 10-00-00.wav");
    EXPECT_EQ(QFileInfo(files[1]).fileName(), "Recorded 2026-03-14 10-00-00 New.wav");
    EXPECT_EQ(QFileInfo(files[2]).fileName(), "Recorded 2026-03-14 10-00-00.mp3");
    ASSERT_EQ(paths->topLevelItemCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(paths->topLevelItem(row)->text(0), files[row]);
        EXPECT_EQ(list->topLevelItem(row)->text(0), QFileInfo(files[row]).suffix().toUpper());
        EXPECT_EQ(list->topLevelItem(row)->text(1), "2026-03-14 10:00:00");
        EXPECT_EQ(list->topLevelItem(row)->text(2), "Done");
    }
    // Grid lines under every row and down the first column's edge, also below the rows.
    const QImage picture = list->viewport()->grab().toImage();
    const QRect first = list->visualItemRect(list->topLevelItem(0));
    const QRgb grid = QColor(0xE0, 0xE0, 0xE0).rgb();
    const int edge = list->columnWidth(0) - 1;
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(picture.pixel(edge / 2, first.top() + row * first.height() - 1), grid) << "row " << row;
    EXPECT_EQ(picture.pixel(edge, picture.height() - 1), grid);
    NextSecond();
    window->btnRecordClick();
    window->btnStopClick();
    EXPECT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(QFileInfo(window->RecordFileName()).fileName(), "Recorded 2026-03-14 10-00-01.mp3");
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
    NextSecond();
    window->btnRecordClick();
    const QString before = window->RecordFileName();
    now += 2000;
    window->ARTimer(0, 50, 50);
    EXPECT_TRUE(window->Recording());
    now += 1;
    NextSecond();
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

// The window's shape leaves out the white outside of its corner pictures; pressing on its title
// or background lands on the shape, and moving the mouse with the button down drags the window.
TEST_F(RecorderFixture, ShapeLeavesOutTheCornersAndItsTitleDragsTheWindow) {
    const QRegion shape = window->mask();
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_EQ(shape.boundingRect(), QRect(0, 0, 607, 431)) << "the whole window its description gives";
    EXPECT_TRUE(shape.contains(QPoint(300, 200)));
    EXPECT_TRUE(shape.contains(QPoint(5, 5)));
    for (QPoint corner : {QPoint(0, 0), QPoint(606, 0), QPoint(0, 430), QPoint(606, 430)})
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();

    for (QPoint spot : {QPoint(15, 15), QPoint(100, 15), QPoint(400, 15), QPoint(3, 200)})
        EXPECT_TRUE(window->childAt(spot)->inherits("TskSkinForm")) << spot.x() << "," << spot.y();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QPoint start = window->pos();
    QWindow* handle = window->windowHandle();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(100, 15));
    QTest::mouseMove(handle, QPoint(160, 45));
    EXPECT_EQ(window->pos(), start + QPoint(60, 30));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(100, 15)); // where the mouse now is
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

// A player window that only remembers what the main window asked of it.
struct PlayerStandIn : Videzeva::TRecorderPlayerWindow {
    QStringList added;
    void AddFileToList(const QString& fileName, bool) override { added << fileName; }
    int ConvertingRow() const override { return -1; }
    void CancelConversion() override {}
    void ShowPlayer() override {}
    void HidePlayer() override {}
};

// A move of the playback slider reaches the player through the shared playback level; a move the
// player made moves the slider and goes no further, even when the slider was already there; the
// mute box's click mutes the level, and the player's mute checks the box.
TEST_F(RecorderFixture, PlaybackVolumeAndMuteKeepInStepWithThePlayer) {
    TPlaybackLevel& level = window->PlaybackLevel();
    QList<int> volumes;
    QList<bool> mutes;
    QObject::connect(&level, &TPlaybackLevel::VolumeChanged, [&](int volume) { volumes << volume; });
    QObject::connect(&level, &TPlaybackLevel::MutedChanged, [&](bool muted) { mutes << muted; });
    auto* volume = window->findChild<TskTrackBar*>("tbPlayBackVolume");
    volume->SetPosition(1000);
    level.SetVolume(2000); // the player's slider
    EXPECT_EQ(volume->Position(), 2000);
    level.SetVolume(2000);
    volume->SetPosition(3000);
    EXPECT_EQ(volumes, QList<int>({1000, 2000, 3000}));

    auto* mute = window->findChild<TskCheckBox*>("cboxMute");
    QTest::mouseClick(mute, Qt::LeftButton, {}, QPoint(5, mute->height() / 2));
    EXPECT_TRUE(mute->Checked());
    EXPECT_EQ(mutes, QList<bool>({true}));
    level.SetMuted(false); // the player's mute button
    EXPECT_FALSE(mute->Checked());
    EXPECT_EQ(mutes, QList<bool>({true, false}));
}

// A mailed recording is handed to the mail client once, when it stops: not by a later stop, and
// not for the new file a time limit starts after it.
TEST_F(RecorderFixture, AMailedRecordingIsMailedOnceWhenItStops) {
    const QString bin = dir.filePath("bin");
    QDir().mkpath(bin);
    QFile script(bin + "/xdg-email");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"" + dir.filePath("mails").toUtf8() + "\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ":" + oldPath);
    auto mails = [&] {
        QFile f(dir.filePath("mails"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)
                                           : QStringList();
    };
    uint32_t now = 1000;
    window->SetTickSource([&] { return now; });

    window->btnMailClick();
    const QString first = window->RecordFileName();
    window->btnStopClick();
    window->btnStopClick();
    window->btnRecordClick();
    window->btnStopClick();
    ASSERT_EQ(mails().size(), 1);
    EXPECT_TRUE(mails()[0].endsWith("--attach " + first)) << mails()[0].toStdString();

    GlobeVar::TimeStop = GlobeVar::TimeNewRecord = true;
    GlobeVar::TimeMinute = 0;
    GlobeVar::TimeSecond = 2;
    NextSecond(); // a new file name
    window->btnMailClick();
    const QString second = window->RecordFileName();
    now += 2001;
    window->ARTimer(0, 50, 50);
    ASSERT_TRUE(window->Recording());
    EXPECT_NE(window->RecordFileName(), second);
    window->btnStopClick();
    ASSERT_EQ(mails().size(), 2);
    EXPECT_TRUE(mails()[1].endsWith("--attach " + second)) << mails()[1].toStdString();
    qputenv("PATH", oldPath);
}

// The device and line loops try one index past each count and keep only what the component calls
// valid: the settings window lists each capture device once, the source list each line once, and
// the saved device and line are chosen with the line's volume.
TEST_F(RecorderFixture, DeviceAndLineListsHoldOnlyValidEntries) {
    window.reset();
    window = std::make_unique<TfrmMain>();
    window->create();
    UseFreshProgramFolder(dir.path() + "/");
    auto* capture = window->findChild<TAudioRecord2*>("AR");
    auto lines = makeFakeState({"Mic", "Line In", "CD"});
    lines->volumes = {100, 40000, 300};
    capture->SetMixerFactory([lines](const AudioDeviceInfo&, bool) -> std::unique_ptr<AudioMixer> {
        return std::make_unique<FakeMixer>(lines);
    });
    const int devices = capture->GetDeviceCount();
    ASSERT_GE(devices, 2); // the default and the line at least
    capture->SelectDevice(1);
    const QString saved = capture->GetDeviceName();
    {
        ProfileFile ini(GlobeVar::CfgFilePath());
        ini.writeString("Device", "InputDevice", " " + saved + " ");
        ini.writeString("Device", "InputLine", "Line In");
    }
    // A saved playback device that is no longer there (even the first index past the end) falls
    // back to the first.
    auto* player = window->findChild<TAudioPlayer2*>("AP");
    player->SetDevice(player->GetDeviceCount());
    auto* options = new Videzeva::TfrmOptions(window.get());
    options->create();
    window->SetOptionsWindow(options);
    GlobeVar::OutputPath = dir.filePath("out") + "/";
    window->show();

    QComboBox* deviceList = NativeCombo(options->findChild<QObject*>("cboxInputDevice"));
    ASSERT_NE(deviceList, nullptr);
    EXPECT_EQ(deviceList->count(), devices);
    EXPECT_EQ(deviceList->currentText(), saved);
    QComboBox* sources = NativeCombo(window->findChild<QObject*>("comboxSource"));
    ASSERT_NE(sources, nullptr);
    QStringList names;
    for (int i = 0; i < sources->count(); ++i)
        names << sources->itemText(i);
    EXPECT_EQ(names, QStringList({"Mic", "Line In", "CD"}));
    EXPECT_EQ(sources->currentIndex(), 1);
    EXPECT_EQ(window->findChild<TskTrackBar*>("tbRecordVolume")->Position(), 40000);
    EXPECT_EQ(lines->source, std::vector<bool>({false, true, false}));
    EXPECT_EQ(player->GetDevice(), 0);
    window.reset();
}

// A stored WMA profile index past the profile list loads as the default: WMA recordings work from
// the start, without a visit to the settings window.
TEST_F(RecorderFixture, AStoredWmaProfilePastTheListLoadsAsTheDefault) {
    window.reset();
    window = std::make_unique<TfrmMain>();
    window->create();
    UseFreshProgramFolder(dir.path() + "/");
    {
        ProfileFile ini(GlobeVar::CfgFilePath());
        ini.writeInteger("OutputFormat", "WmaFormat", 60);
    }
    auto* options = new Videzeva::TfrmOptions(window.get());
    options->create();
    window->SetOptionsWindow(options);
    GlobeVar::OutputPath = dir.filePath("out") + "/";
    window->show();
    EXPECT_EQ(GlobeVar::WmaFormat, 1);
    EXPECT_EQ(NativeCombo(options->findChild<QObject*>("cboxWmaFormat"))->currentIndex(), 0);
    window->findChild<QObject*>("rbOutputWma")->setProperty("Checked", true);
    RecordSource();
    EXPECT_EQ(window->findChild<QTreeWidget*>("lvRecordList")->topLevelItem(0)->text(2), "Done");
    // Profile 1 (8000 Hz mono): about three seconds of it.
    EXPECT_GT(Decode(window->RecordFileName()).size(), size_t(8000 * 2.5));
    window.reset();
}

// A recording played back reaches the playback device whole: what the device wrote is the decoded
// recording, sample for sample, and the row says "Done" when it has played out.
TEST_F(RecorderFixture, PlaybackWritesTheRecordingToTheDevice) {
    // A short recording (the file device reads far faster than real time, playback does not): it
    // stops at its first finished block.
    window->findChild<QObject*>("rbOutputWav")->setProperty("Checked", true);
    auto* capture = window->findChild<TAudioRecord2*>("AR");
    QObject::connect(capture, &TAudioRecord2::OnEndArrayRecord, window.get(), [&] {
        if (window->Recording()) window->btnStopClick();
    });
    window->btnRecordClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Recording(); }, 5000));
    QObject::disconnect(capture, &TAudioRecord2::OnEndArrayRecord, window.get(), nullptr);
    const std::vector<int16_t> decoded = Decode(window->RecordFileName());
    ASSERT_GE(decoded.size(), 44100u * 2 * 4 / 10);
    const size_t compared = std::min(decoded.size(), source.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.begin() + long(compared), source.begin()));
    QFile::remove(played);

    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    list->setCurrentItem(list->topLevelItem(0));
    window->btnPlayClick();
    ASSERT_TRUE(window->Playing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Playing(); }, 20000));
    EXPECT_EQ(list->topLevelItem(0)->text(2), "Done");

    QFile out(played);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray bytes = out.readAll();
    std::vector<int16_t> written(size_t(bytes.size()) / 2);
    memcpy(written.data(), bytes.constData(), written.size() * 2);
    // The device plays out with silence after the last block, nothing else.
    ASSERT_GE(written.size(), decoded.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), written.begin()));
    EXPECT_TRUE(
        std::all_of(written.begin() + long(decoded.size()), written.end(), [](int16_t v) { return v == 0; }));
}

// While a recording runs the list keeps its selection on the recording's row: a click elsewhere
// neither moves it nor plays anything. Once stopped, a click plays the row clicked.
TEST_F(RecorderFixture, TheListSelectionStaysLockedWhileRecording) {
    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    window->btnRecordClick();
    // Something to play: the file device reads far faster than real time.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFileInfo(window->RecordFileName()).size() > 44100 * 4; }, 5000));
    window->btnStopClick();
    window->btnRecordClick();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QPoint first = list->visualItemRect(list->topLevelItem(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_TRUE(window->Recording());
    EXPECT_FALSE(window->Playing());

    window->btnStopClick();
    TScriptedMessages boxes; // the clicked row's format
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_TRUE(window->Playing());
    window->btnStopClick();
}

// A start that could not create its file leaves no row; a start in the same second after it gets
// its own row, not the row of the earlier recording.
TEST_F(RecorderFixture, AFailedStartLendsNoRowToTheNextStart) {
    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    auto* paths = window->findChild<QTreeWidget*>("lvRecordListShadow");
    window->btnRecordClick();
    window->btnStopClick();
    const QString good = GlobeVar::OutputPath;
    NextSecond();
    TScriptedMessages boxes;
    GlobeVar::OutputPath = dir.filePath("missing") + "/";
    window->btnRecordClick();
    ASSERT_FALSE(window->Recording());
    GlobeVar::OutputPath = good;
    window->btnRecordClick();
    ASSERT_TRUE(window->Recording());
    window->btnStopClick();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(paths->topLevelItem(1)->text(0), window->RecordFileName());
    EXPECT_EQ(list->topLevelItem(0)->text(2), "Done");
}

// A recording whose folder is removed while it records ends as failed, said once, instead of
// "Done, 0 Bytes" for a file that is gone; a folder made again under that name changes nothing.
TEST_F(RecorderFixture, ARecordingWhoseFolderGoesEndsAsFailed) {
    TScriptedMessages boxes;
    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    window->btnRecordClick();
    ASSERT_TRUE(window->Recording());
    QTest::qWait(500);
    ASSERT_TRUE(QDir(dir.filePath("out")).removeRecursively());
    QDir().mkpath(dir.filePath("out"));
    QTest::qWait(300);
    window->btnStopClick();
    QTest::qWait(100);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "Failed");
    EXPECT_EQ(list->topLevelItem(0)->text(4), "");
    ASSERT_EQ(boxes.All().size(), 1) << boxes.All().join('|').toStdString();
    EXPECT_TRUE(boxes.Last().contains(window->RecordFileName())) << boxes.Last().toStdString();
    EXPECT_FALSE(QFileInfo::exists(window->RecordFileName()));
}

// A recorder killed outright in the middle of a WAV recording leaves a file that plays up to its
// last written block, sample for sample the line's signal. The kill comes on a condition, not a
// time: once the child has written three seconds, it says so and holds its window's thread, so the
// line (read far faster than real time) cannot run out before the kill.
TEST_F(RecorderFixture, AKilledRecorderLeavesAWavThatPlaysToItsLastBlock) {
    window.reset(); // the child starts from this thread alone
    source = Sine(44100 * 60, 441.0);
    QFile f(raw);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(source.data()), qint64(source.size() * 2));
    f.close();
    const QString named = dir.filePath("recording-name");
    const QString out = dir.filePath("out") + "/";
    const pid_t child = startChild([&] {
        TfrmMain recorder;
        recorder.create();
        GlobeVar::OutputPath = out;
        // Shown for its start-up, then hidden: the child never paints, as painting may wait for
        // drawing threads that stayed behind in the parent.
        recorder.show();
        recorder.hide();
        recorder.findChild<QObject*>("rbOutputWav")->setProperty("Checked", true);
        // Runs after the window's own handler has written the block.
        QObject::connect(recorder.findChild<TAudioRecord2*>("AR"), &TAudioRecord2::OnEndArrayRecord,
                         &recorder, [&] {
                             if (QFileInfo(recorder.RecordFileName()).size() < 44100 * 4 * 3) return;
                             QFile name(named + ".part");
                             if (name.open(QIODevice::WriteOnly))
                                 name.write(recorder.RecordFileName().toUtf8());
                             name.close();
                             QFile::rename(named + ".part", named);
                             for (;;)
                                 pause();
                         });
        recorder.btnRecordClick();
        QEventLoop().exec();
    });
    ASSERT_GT(child, 0);
    ChildReaper reaper{child};

    QString file;
    for (int waited = 0; waited < 30000 && file.isEmpty(); waited += 20) {
        QThread::msleep(20);
        QFile name(named);
        if (name.open(QIODevice::ReadOnly)) file = QString::fromUtf8(name.readAll());
    }
    ASSERT_FALSE(file.isEmpty()) << "the child recorder did not record three seconds";
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    reaper.pid = -1;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    const qint64 onDisk = QFileInfo(file).size();
    ASSERT_GT(onDisk, 44100 * 4 * 3);
    const std::vector<int16_t> decoded = Decode(file);
    EXPECT_LT(decoded.size(), source.size()) << "the recording was not cut off mid-way";
    // The file decodes up to the last 400 ms block its header was updated for: at most the block
    // being written when the kill came (whole or in part) is left out. What decodes is the line's
    // signal from its start.
    const qint64 block = 44100 * 4 * 4 / 10;
    EXPECT_EQ(qint64(decoded.size()) * 2 % block, 0);
    EXPECT_LE(onDisk - 44 - qint64(decoded.size()) * 2, block);
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.end(), source.begin()));
}

// The capture device pulled out mid-recording: the recording ends at once, as at a stop, with one
// message; the file plays the line's signal up to that point; nothing spins while the device is
// gone; a start while it is gone says why and leaves no file; plugged in again, it records.
TEST_F(RecorderFixture, AnUnpluggedDeviceEndsTheRecordingOnceAndAStartWhileItIsGoneLeavesNoFile) {
    window->findChild<QObject*>("rbOutputWav")->setProperty("Checked", true);
    auto* capture = window->findChild<TAudioRecord2*>("AR");
    auto* list = window->findChild<QTreeWidget*>("lvRecordList");
    auto* state = window->findChild<QLabel*>("Label1");
    const QDir out(dir.filePath("out"));
    TScriptedMessages said;
    std::unique_ptr<UnpluggedDevices> unplugged;
    int blocks = 0;
    QObject::connect(capture, &TAudioRecord2::OnEndArrayRecord, window.get(), [&] {
        if (++blocks == 3) unplugged = std::make_unique<UnpluggedDevices>();
    });
    window->btnRecordClick();
    ASSERT_TRUE(window->Recording());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Recording(); }, 5000)) << "still recording";
    QObject::disconnect(capture, &TAudioRecord2::OnEndArrayRecord, window.get(), nullptr);
    EXPECT_EQ(state->text().toStdString(), "Idle");
    EXPECT_EQ(list->topLevelItem(0)->text(2).toStdString(), "Done");
    ASSERT_EQ(said.Told().size(), 1) << said.All().join(" | ").toStdString();
    EXPECT_TRUE(said.Told()[0].startsWith("Recording stopped: the audio device"))
        << said.Last().toStdString();
    EXPECT_TRUE(said.Told()[0].contains("No such device")) << said.Last().toStdString();
    const std::vector<int16_t> decoded = Decode(window->RecordFileName());
    EXPECT_GE(decoded.size(), 3u * 44100 * 2 * 4 / 10) << "blocks before the unplugging are missing";
    const size_t compared = std::min(decoded.size(), source.size());
    EXPECT_TRUE(std::equal(decoded.begin(), decoded.begin() + long(compared), source.begin()));

    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QTest::qWait(1000);
    getrusage(RUSAGE_SELF, &after);
    const double cpu = double(after.ru_utime.tv_sec - before.ru_utime.tv_sec) +
                       double(after.ru_utime.tv_usec - before.ru_utime.tv_usec) / 1e6 +
                       double(after.ru_stime.tv_sec - before.ru_stime.tv_sec) +
                       double(after.ru_stime.tv_usec - before.ru_stime.tv_usec) / 1e6;
    EXPECT_LT(cpu, 0.3) << "the processor is busy while the device is gone";

    said.Clear();
    NextSecond();
    window->btnRecordClick();
    EXPECT_FALSE(window->Recording());
    ASSERT_EQ(said.Told().size(), 1);
    EXPECT_TRUE(said.Told()[0].startsWith("Cannot record: ")) << said.Last().toStdString();
    EXPECT_EQ(out.entryList(QDir::Files).size(), 1) << out.entryList(QDir::Files).join(", ").toStdString();

    unplugged.reset();
    said.Clear();
    NextSecond();
    window->btnRecordClick();
    ASSERT_TRUE(window->Recording());
    QTest::qWait(600);
    window->btnStopClick();
    EXPECT_GE(Decode(window->RecordFileName()).size(), 44100u * 2 * 4 / 10);
    EXPECT_TRUE(said.All().isEmpty()) << said.Last().toStdString();
}

// A disk that fills while recording ends the recording once, with one message; the file keeps
// what was written and decodes up to its last whole block. (In a child with a small disk of its
// own; the window is not painted there, see above.)
TEST_F(RecorderFixture, AFullDiskEndsTheRecordingOnceAndKeepsWhatWasWritten) {
    window.reset();
    const QString folder = dir.filePath("small");
    QDir().mkpath(folder);
    const std::vector<int16_t> line = source;
    const ChildResult r = runOnSmallDisk(folder, 1 << 20, [&](const QString& small) -> std::string {
        TfrmMain recorder;
        recorder.create();
        GlobeVar::OutputPath = small + "/";
        recorder.show();
        recorder.hide();
        recorder.findChild<QObject*>("rbOutputWav")->setProperty("Checked", true);
        TScriptedMessages boxes;
        recorder.btnRecordClick();
        if (!recorder.Recording()) return "the recording did not start";
        if (!QTest::qWaitFor([&] { return !recorder.Recording(); }, 20000))
            return "still recording on a full disk";
        QTest::qWait(500); // a second message would come now
        if (boxes.Log.size() != 1) return "messages: " + std::to_string(boxes.Log.size());
        auto* list = recorder.findChild<QTreeWidget*>("lvRecordList");
        if (list->topLevelItemCount() != 1 || list->topLevelItem(0)->text(2) != "Done")
            return "the row does not say Done";
        TAudioFile2 reader;
        reader.OpenRead(recorder.RecordFileName());
        std::vector<int16_t> decoded;
        for (AudioBlock b = reader.ReadArray(44100); !b.isEmpty(); b = reader.ReadArray(44100))
            decoded.insert(decoded.end(), b.samples.begin(), b.samples.end());
        const qint64 onDisk = QFileInfo(recorder.RecordFileName()).size();
        const qint64 block = 44100 * 4 * 4 / 10;
        if (decoded.empty() || onDisk - 44 - qint64(decoded.size()) * 2 > block)
            return "decoded " + std::to_string(decoded.size() * 2) + " of " + std::to_string(onDisk) +
                   " bytes";
        const size_t compared = std::min(decoded.size(), line.size());
        if (!std::equal(decoded.begin(), decoded.begin() + long(compared), line.begin()))
            return "what decodes is not the line's signal";
        return "";
    });
    if (!r.ran) GTEST_SKIP() << r.failure;
    EXPECT_EQ(r.failure, "");
}

// Answers every modal question of a confirm window with `answer`, and keeps what was asked.
struct ConfirmAnswerer {
    TfrmConfirm* confirm;
    int answer;
    QStringList asked;
    QTimer timer;
    ConfirmAnswerer(TfrmConfirm* c, int a) : confirm(c), answer(a) {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QApplication::activeModalWidget() != confirm) return;
            asked << confirm->Message;
            confirm->setModalResult(answer);
        });
        timer.start();
    }
};

// While the player converts, closing the main window asks first: No keeps it open and recording;
// Yes cancels the conversion, stops the recording and closes both windows.
TEST_F(RecorderFixture, ClosingWhileThePlayerConvertsAsksFirst) {
    struct ConvertingPlayer : PlayerStandIn {
        int row = 2, cancels = 0;
        bool hidden = false;
        int ConvertingRow() const override { return row; }
        void CancelConversion() override {
            ++cancels;
            row = -1;
        }
        void HidePlayer() override { hidden = true; }
    } player;
    window->SetPlayerWindow(&player);
    auto* confirm = new TfrmConfirm(window.get());
    confirm->create();
    TConfirmMessages confirmMessages(confirm);
    TMessagesInUse speaking(confirmMessages);
    window->btnRecordClick();

    ConfirmAnswerer no(confirm, mrNo);
    window->close();
    no.timer.stop();
    EXPECT_EQ(no.asked, QStringList({"Converting in progress, do you want to cancel ?"}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Recording());
    EXPECT_EQ(player.cancels, 0);

    ConfirmAnswerer yes(confirm, mrYes);
    window->close();
    EXPECT_EQ(yes.asked.size(), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Recording());
    EXPECT_EQ(player.cancels, 1);
    EXPECT_TRUE(player.hidden);
    EXPECT_EQ(player.added, QStringList({window->RecordFileName()}));
    window->SetPlayerWindow(nullptr);
}

// Without any capture device the first show says "No input device" and goes no further.
TEST_F(RecorderFixture, NoCaptureDeviceSaysSoAndGoesNoFurther) {
    window.reset();
    QFile conf(dir.filePath("none.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("pcm.null { type null }\n");
    conf.close();
    qputenv("ALSA_CONFIG_PATH", conf.fileName().toUtf8());
    snd_config_update_free_global();
    window = std::make_unique<TfrmMain>();
    window->create();
    auto* confirm = new TfrmConfirm(window.get());
    confirm->create();
    TConfirmMessages confirmMessages(confirm);
    TMessagesInUse speaking(confirmMessages);
    ConfirmAnswerer ok(confirm, mrOk);
    window->show();
    EXPECT_EQ(ok.asked, QStringList({"No input device"}));
    EXPECT_EQ(confirm->MessageOnly, 1);
    EXPECT_EQ(NativeCombo(window->findChild<QObject*>("comboxSource"))->count(), 0);
}

// With the real player window: a move of either playback slider moves the other (the player's
// runs the other way round), each once; the player's mute shows in the main window's box, and the
// box's click changes the player's mute picture.
TEST_F(RecorderFixture, VolumeAndMuteInStepWithThePlayerWindow) {
    auto* player = new TfrmPlayer(window.get());
    player->create();
    window->SetPlayerWindow(player);
    player->SetOwnerWindow(window.get());
    player->show();
    auto* mainVolume = window->findChild<TskTrackBar*>("tbPlayBackVolume");
    auto* playerVolume = FormChild<TskTrackBar>(player, "tbPlaybackVolume");
    int mainChanges = 0, playerChanges = 0;
    QObject::connect(mainVolume, &TskTrackBar::OnChange, [&] { ++mainChanges; });
    QObject::connect(playerVolume, &TskTrackBar::OnChange, [&] { ++playerChanges; });
    mainVolume->SetPosition(20000);
    EXPECT_EQ(playerVolume->Position(), 65535 - 20000);
    playerVolume->SetPosition(65535 - 50000);
    EXPECT_EQ(mainVolume->Position(), 50000);
    mainVolume->SetPosition(30000);
    EXPECT_EQ(playerVolume->Position(), 65535 - 30000);
    EXPECT_EQ(mainChanges, 3);
    EXPECT_EQ(playerChanges, 3);

    auto* mute = window->findChild<TskCheckBox*>("cboxMute");
    auto* playerMute = FormChild<TskImageButton>(player, "btnMute");
    const QImage unmuted = playerMute->PicNormal();
    player->btnMuteClick();
    EXPECT_TRUE(mute->Checked());
    EXPECT_NE(playerMute->PicNormal(), unmuted);
    QTest::mouseClick(mute, Qt::LeftButton, {}, QPoint(5, mute->height() / 2));
    EXPECT_FALSE(mute->Checked());
    EXPECT_EQ(playerMute->PicNormal(), unmuted);
    window->SetPlayerWindow(nullptr);
}
