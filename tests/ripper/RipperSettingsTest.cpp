// The ripper's settings file: the options window's sections and the main window's "RSettings".
#include "common/GlobeVar.h"
#include "common/SettingsFile.h"
#include "components/TFreeDBInformation2.h"
#include "platform/ProfileFile.h"
#include "ripper/Main.h"
#include "ripper/OptionsSettings.h"
#include "ripper/RGlobeVar.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Duzivuz;

namespace {

QString readAll(const QString& name) {
    QFile f(name);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// A program folder of its own, with the globals as the ripper's start leaves them.
class RipperSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        app = dir.path() + QStringLiteral("/Duzivuz/");
        GlobeVar::AppPath = app;
        GlobeVar::SettingsPath = app;
        GlobeVar::OutputPath = app;
        GlobeVar::CfgFileName = QStringLiteral("DuzivuzCfg.ini");
        cfg = GlobeVar::CfgFilePath();
    }

    QTemporaryDir dir;
    QString app, cfg;
};

// The first run creates the program folder and writes the fresh file; the lookups use the server
// it names; "RSettings" follows when the main window closes; a second start reads the same back.
TEST_F(RipperSettingsTest, FirstRunWritesTheFreshFileAndTheSecondStartReadsItBack) {
    TFreeDBInformation2 info;
    EXPECT_EQ(FreeDBServerNames(info).size(), 11);
    EXPECT_EQ(info.selectedServer(), 0);
    TSettingsFile settings(cfg);
    const TRipperOptions first = StartupRipperOptions(settings, info);
    EXPECT_TRUE(QDir(app).exists());
    EXPECT_EQ(readAll(cfg),
              QStringLiteral("[OutputFormat]\nWavFreq=5\nWavChannels=1\nWavSampleRate=1\nMP3Freq=1\n"
                             "MP3Channels=1\nMP3EncoderQuality=0\nMP3BitRate=6\nMP3MaxBitRate=6\n"
                             "MP3VBRQuality=0\nMP3VBRHeader=0\nMP3VBREnable=0\nOggFreq=1\n"
                             "OggChannels=1\nOggBitRate=6\nWmaFormat=14\n\n[OutputPath]\n"
                             "OutputPath=%1\n\n[FreeDB]\nServer=1\nPort=80\nTimeOut=7000\n")
                  .arg(app));
    EXPECT_EQ(info.selectedServer(), 1);
    EXPECT_EQ(info.port(), 80);
    EXPECT_EQ(info.timeOut(), 7000);

    ApplyRipperOptionsToGlobals(first);
    EXPECT_EQ(GlobeVar::WavFreq, 44100);
    EXPECT_EQ(GlobeVar::MP3BitRate, 112);
    EXPECT_EQ(GlobeVar::WmaFormat, 15);
    EXPECT_EQ(GlobeVar::OutputPath, app);
    EXPECT_EQ(RGlobeVar::ROutPutPath, app);

    // No "RSettings" yet: format WAV, pattern index 1, all tags used, the program folder.
    const TRSettings rsettings = ReadRSettings(settings.Text());
    EXPECT_EQ(rsettings, (TRSettings{app, 1, 1, true, {}, {}, {}, {}}));
    settings.Change([&](ProfileText& file) { ASSERT_TRUE(WriteRSettings(file, rsettings)); });
    settings.Write();
    EXPECT_TRUE(readAll(cfg).endsWith(QStringLiteral("[RSettings]\nROutPutPath=%1\nROutputFilename=1\n"
                                                     "ROutputFormat=1\nRUseAll=1\nRComments=\nRCopyRight=\n"
                                                     "RUrl=\nREncodeBy=\n")
                                          .arg(app)));

    const QString written = readAll(cfg);
    TFreeDBInformation2 again;
    TSettingsFile secondRun(cfg);
    EXPECT_EQ(StartupRipperOptions(secondRun, again), first);
    EXPECT_EQ(ReadRSettings(secondRun.Text()), rsettings);
    EXPECT_EQ(readAll(cfg), written);
}

// Every value the window can hold goes through the file and back; values no window can hold read
// as their defaults.
TEST_F(RipperSettingsTest, EveryValueRoundTripsAndImpossibleValuesReadAsDefaults) {
    TFreeDBInformation2 info;
    TSettingsFile settings(cfg);
    StartupRipperOptions(settings, info);
    TRipperOptions options = SetDefaultOptions();
    int value = 0;
    for (int s = Videzeva::WavFreq; s <= Videzeva::WmaFormat; ++s) {
        const Videzeva::OptionSettingInfo& setting =
            Videzeva::OptionInfo(static_cast<Videzeva::OptionSetting>(s));
        const int count = setting.kind == Videzeva::OptionKind::List ? setting.items.size() : 2;
        options.shared.number[s] = (value++ + 1) % std::min(count, kRipperWmaProfiles);
    }
    const QString folder = dir.path() + QStringLiteral("/Ripped äöü");
    ASSERT_TRUE(QDir().mkpath(folder));
    options.shared.text[Videzeva::OutputPath] = folder;
    options.freeDBServer = 4;
    options.freeDBPort = 8880;
    options.freeDBTimeOut = kMaxFreeDBTimeOut;
    SaveRipperSettings(settings, options);
    const TRSettings rsettings{folder + u'/',        13,       4, false, "Ripped = at home", "© 2026 Ünïcode",
                               "https://x.org/?a=1", "Duzivuz"};
    settings.Change([&](ProfileText& file) { ASSERT_TRUE(WriteRSettings(file, rsettings)); });
    settings.Write();

    TRipperOptions read;
    read.shared = Videzeva::DefaultOptionsValues();
    LoadRipperSettings(ProfileFile(cfg).read(), read);
    for (int s = Videzeva::WavFreq; s <= Videzeva::WmaFormat; ++s)
        EXPECT_EQ(read.shared.number[s], options.shared.number[s]) << "setting " << s;
    EXPECT_EQ(read.shared.text[Videzeva::OutputPath], folder);
    EXPECT_EQ(read.freeDBServer, 4);
    EXPECT_EQ(read.freeDBPort, 8880);
    EXPECT_EQ(read.freeDBTimeOut, kMaxFreeDBTimeOut);
    EXPECT_EQ(ReadRSettings(ProfileFile(cfg).read()), rsettings);
    GetFreeDBSettings(read, info);
    EXPECT_EQ(RGlobeVar::FreeDBServer, QStringLiteral("localhost (CDDBP)"));
    EXPECT_EQ(RGlobeVar::FreeDBPort, 8880);
    EXPECT_EQ(info.port(), 8880);

    // Values a hand-edited or damaged file may hold.
    ProfileFile file(cfg);
    file.writeInteger("OutputFormat", "WmaFormat", kRipperWmaProfiles);
    file.writeInteger("OutputFormat", "MP3BitRate", 9);
    file.writeString("FreeDB", "Server", "11");
    file.writeString("FreeDB", "Port", "0");
    file.writeString("FreeDB", "TimeOut", QString::number(kMaxFreeDBTimeOut + 1));
    file.writeString("RSettings", "ROutputFilename", "14");
    file.writeString("RSettings", "ROutputFormat", "0");
    file.writeString("RSettings", "ROutPutPath", "");
    ASSERT_TRUE(QDir(folder).removeRecursively());
    LoadRipperSettings(file.read(), read);
    EXPECT_EQ(read.shared.number[Videzeva::WmaFormat], 0);
    EXPECT_EQ(read.shared.number[Videzeva::MP3BitRate], 6);
    EXPECT_EQ(read.shared.text[Videzeva::OutputPath], app); // the saved folder is gone
    EXPECT_EQ(read.freeDBServer, 1);
    EXPECT_EQ(read.freeDBPort, 80);
    EXPECT_EQ(read.freeDBTimeOut, 7000);
    const TRSettings damaged = ReadRSettings(file.read());
    EXPECT_EQ(damaged.ROutputFilename, 1);
    EXPECT_EQ(damaged.ROutputFormat, 1);
    EXPECT_EQ(damaged.ROutPutPath, app);
}

// A refused value of "RSettings" is swallowed: the keys before it are in the file, nothing after.
TEST_F(RipperSettingsTest, ARefusedRSettingsWriteKeepsWhatWasWritten) {
    ASSERT_TRUE(QDir().mkpath(app));
    TRSettings s{app, 3, 2, false, QStringLiteral("two\nlines"), "c", "u", "e"};
    {
        TSettingsFile settings(cfg);
        settings.Change([&](ProfileText& file) { EXPECT_FALSE(WriteRSettings(file, s)); });
        settings.Write();
    }
    const TRSettings read = ReadRSettings(ProfileFile(cfg).read());
    EXPECT_EQ(read.ROutputFilename, 3);
    EXPECT_EQ(read.ROutputFormat, 2);
    EXPECT_FALSE(read.RUseAll);
    EXPECT_TRUE(read.RComments.isEmpty());
    EXPECT_FALSE(ProfileFile(cfg).valueExists("RSettings", "RCopyRight"));
}

} // namespace
