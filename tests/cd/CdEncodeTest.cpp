// Grabbing through a real audio-file object into MP3, OGG and WMA: the files decode (with FFmpeg,
// independently of the writer) to the track's length.
#include "components/TAudioCDGrabber2.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "platform/Application.h"
#include "tests/cd/CdTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace cdtest;

namespace {

class CdEncodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        image = writeImage(dir.path(), QStringLiteral("enc"), {{75 * 3}, {75 * 8 + 20}});
        writeDriveList(dir.path() + QStringLiteral("/config"), {image.cuePath});
        grabber.Initialize();
        grabber.SelectDrive(grabber.GetDriveCount());
        grabber.RefreshMedia();
        file.SetLameEncoder(&lame);
        file.ConnectTo(grabber.GetAudioFileLink());
        QObject::connect(&grabber, &TAudioCDGrabber2::OnOperationProgress,
                         [this](double p) { progress.push_back(p); });
    }
    void TearDown() override { file.ConnectTo(nullptr); }

    void grab(const QString& name) {
        progress.clear();
        grabber.SetGrabMode(2);
        grabber.SetSession(0);
        grabber.SetTrack(1);
        grabber.StartGrab(name);
        ASSERT_TRUE(waitFor([this] { return !progress.empty() && progress.back() >= 100; }, 30000));
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    }

    void expectLength(const QString& name, int64_t tolerance) {
        int rate = 0;
        const int64_t frames = decodedFrames(name, &rate);
        const int64_t expected = int64_t(75 * 8 + 20) * 588;
        ASSERT_GT(frames, 0) << name.toStdString() << " does not decode";
        EXPECT_EQ(rate, 44100);
        EXPECT_LE(std::llabs(frames - expected), tolerance) << name.toStdString() << ": " << frames;
    }

    QTemporaryDir dir;
    Image image;
    QStringList errors;
    std::vector<double> progress;
    TAudioCDGrabber2 grabber;
    TAudioFile2 file;
    TAudioFile2LameEnc lame;
};

TEST_F(CdEncodeTest, WavThroughTheAudioFileObjectKeepsEverySample) {
    file.EnableWMA(0);
    file.SetWavFormat(44100, 2, 16);
    const QString name = dir.path() + QStringLiteral("/t.wav");
    grab(name);
    EXPECT_TRUE(readWav(name) == trackAudio(1, 75 * 8 + 20));
}

TEST_F(CdEncodeTest, Mp3DecodesToTheTrackLength) {
    file.EnableWMA(0);
    lame.SetConstantBitRate(-1);
    lame.SetQuality(5);
    file.SetMp3Format(44100, 128, 2);
    const QString name = dir.path() + QStringLiteral("/t.mp3");
    grab(name);
    expectLength(name, 1152 * 2);
}

TEST_F(CdEncodeTest, OggDecodesToTheTrackLength) {
    file.EnableWMA(0);
    file.SetOggFormat(44100, 2, 128, 0, 0, 699);
    const QString name = dir.path() + QStringLiteral("/t.ogg");
    grab(name);
    expectLength(name, 2048);
}

TEST_F(CdEncodeTest, WmaDecodesToTheTrackLength) {
    file.EnableWMA(-1);
    file.SetWmaFormat(15);
    const QString name = dir.path() + QStringLiteral("/t.wma");
    grab(name);
    expectLength(name, 4096);
}

TEST(CdGrabLink, DestroyingTheAudioFileMidGrabEndsTheGrabWithAnError) {
    QTemporaryDir dir;
    QStringList errors;
    const Image image = writeImage(dir.path(), QStringLiteral("long"), {{75 * 300}});
    writeDriveList(dir.path() + QStringLiteral("/config"), {image.cuePath});
    TAudioCDGrabber2 grabber;
    grabber.Initialize();
    grabber.SelectDrive(grabber.GetDriveCount());
    grabber.RefreshMedia();
    std::vector<double> progress;
    QObject::connect(&grabber, &TAudioCDGrabber2::OnOperationProgress,
                     [&](double p) { progress.push_back(p); });
    std::vector<int> kinds;
    QObject::connect(&grabber, &TAudioCDGrabber2::OnGrabFailed, [&](int kind, const QString& why) {
        kinds.push_back(kind);
        errors << why;
    });

    // A slow encoder, so that the grab is still running when the object goes.
    auto lame = std::make_unique<TAudioFile2LameEnc>();
    auto file = std::make_unique<TAudioFile2>();
    lame->SetConstantBitRate(-1);
    lame->SetQuality(0);
    file->SetLameEncoder(lame.get());
    file->SetMp3Format(44100, 320, 2);
    file->ConnectTo(grabber.GetAudioFileLink());
    grabber.SetGrabMode(1);
    grabber.SetSession(0);
    grabber.SetTrack(0);
    const QString name = dir.path() + QStringLiteral("/gone.mp3");
    grabber.StartGrab(name);
    ASSERT_TRUE(waitFor([&] { return !progress.empty(); }, 30000));
    file.reset();

    ASSERT_TRUE(waitFor([&] { return !grabber.IsGrabbing() && !errors.isEmpty(); }, 30000));
    EXPECT_TRUE(errors[0].contains(QStringLiteral("audio file was closed"))) << errors[0].toStdString();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(kinds, std::vector<int>{TAudioCDGrabber2::GrabStopped});
    EXPECT_EQ(std::count(progress.begin(), progress.end(), 100.0), 0);
    EXPECT_LT(progress.back(), 100.0);
    EXPECT_FALSE(QFileInfo::exists(name)) << "the partial file is removed";
    EXPECT_EQ(grabber.GetAudioFileLink()->sink(), nullptr);
}

} // namespace
