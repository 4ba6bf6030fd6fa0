#include "common/OptionsSettings.h"
#include "common/GlobeVar.h"
#include "common/SettingsFile.h"
#include "platform/ProfileFile.h"
#include "recorder/OptionsFile.h"
#include "recorder/Schedule.h"
#include "tests/recorder/FreshProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Videzeva;

namespace {

QString readAll(const QString& name) {
    QFile f(name);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

// The settings file as a program run holds it: read at the first look, written by the saves.
void save(const QString& cfg, const QString& tqd, const TOptionsValues& v) {
    TSettingsFile settings(cfg);
    SaveOptionsFile(settings, tqd, v, {});
}
void load(const QString& cfg, const QString& tqd, TOptionsValues& v) {
    LoadOptionsFile(TSettingsFile(cfg), tqd, v);
}

void writeText(const QString& name, const QString& text) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

// A program folder of its own, with the globals as a fresh start leaves them.
class OptionsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        app = dir.path() + u'/';
        UseFreshProgramFolder(app);
        cfg = GlobeVar::CfgFilePath();
        tqd = GlobeVar::ScheduleFilePath();
    }
    TOptionsValues loadFrom(const QString& text) {
        writeText(cfg, text);
        TOptionsValues v = DefaultOptionsValues();
        load(cfg, tqd, v);
        return v;
    }

    QTemporaryDir dir;
    QString app, cfg, tqd;
};

} // namespace

TEST_F(OptionsFileTest, FirstRunWritesTheWholeFileInOrderAndTheSecondStartReadsItBack) {
    TOptionsMainState main;
    main.inputDevice = QStringLiteral("Default");
    main.inputLine = QStringLiteral("Capture");
    TSettingsFile settings(cfg);
    const TOptionsValues first = StartupOptionsValues(settings, tqd, main);

    const QString expected =
        QStringLiteral("[OutputFormat]\n"
                       "WavFreq=5\nWavChannels=1\nWavSampleRate=1\nMP3Freq=1\nMP3Channels=1\n"
                       "MP3EncoderQuality=0\nMP3BitRate=6\nMP3MaxBitRate=6\nMP3VBRQuality=0\n"
                       "MP3VBRHeader=0\nMP3VBREnable=0\nOggFreq=1\nOggChannels=1\n"
                       "OggBitRate=6\nWmaFormat=14\nSelected=0\n"
                       "\n[Hotkey]\n"
                       "StartPreHotKey1=1\nStartHotKey1=28\nStartPreHotKey2=0\nStartHotKey2=55\n"
                       "StopPreHotKey1=1\nStopHotKey1=29\nStopPreHotKey2=0\nStopHotKey2=56\n"
                       "StartUse1=1\nStartUse2=1\nStopUse1=1\nStopUse2=1\n"
                       "\n[AutoStop]\n"
                       "VolumeLevel=5\nVolumeTime=3\nTimeMinute=0\nTimeSecond=30\n"
                       "VolumeStop=0\nTimeStop=0\nTimeNewRecord=0\n"
                       "\n[OutputPath]\n"
                       "OutputPath=%1\nPreName=Recorded\nPosName=\nUseDate=1\nAddNew=1\n"
                       "ConvertOutputPath=%1\nConvertSaveToAppointed=0\nConvertAddNew=1\n"
                       "SplitOutputPath=%1\nSplitSaveToAppointed=0\nSplitAddNew=1\n"
                       "JoinOutputPath=%1\nJoinPreName=Merged\nJoinPosName=\nJoinUseDate=1\n"
                       "JoinAddNew=1\n"
                       "\n[Mail]\nSubject=Share\nBody=48692C\n"
                       "\n[Device]\nInputDevice=Default\nInputLine=Capture\n")
            .arg(app);
    EXPECT_EQ(readAll(cfg).toStdString(), expected.toStdString());
    EXPECT_EQ(readAll(tqd), "[Schedule]\nNumber=0\n");

    ApplyOptionsToGlobals(first);
    EXPECT_EQ(GlobeVar::MailSubject, "Share");
    EXPECT_EQ(GlobeVar::MailBody, "Hi,");
    EXPECT_EQ(GlobeVar::WavFreq, 44100);
    EXPECT_EQ(GlobeVar::WavChannels, 2);
    EXPECT_EQ(GlobeVar::WavSampleRate, 16);
    EXPECT_EQ(GlobeVar::MP3Freq, 44100);
    EXPECT_EQ(GlobeVar::MP3BitRate, 112);
    EXPECT_EQ(GlobeVar::MP3MaxBitRate, 112);
    EXPECT_EQ(GlobeVar::MP3EncoderQuality, 0);
    EXPECT_EQ(GlobeVar::OggBitRate, 699);
    EXPECT_EQ(GlobeVar::WmaFormat, 15);
    EXPECT_EQ(GlobeVar::StartHotKeyCombo1.PreKey1, 0x11u); // Ctrl + R
    EXPECT_EQ(GlobeVar::StartHotKeyCombo1.HotKey, 0x52u);
    EXPECT_EQ(GlobeVar::StartHotKeyCombo2.PreKey1, 0u); // Numpad +
    EXPECT_EQ(GlobeVar::StartHotKeyCombo2.HotKey, 0x6Bu);
    EXPECT_EQ(GlobeVar::StopHotKeyCombo1.HotKey, 0x53u);
    EXPECT_EQ(GlobeVar::StopHotKeyCombo2.HotKey, 0x6Du);
    EXPECT_TRUE(GlobeVar::StartUse1 && GlobeVar::StartUse2 && GlobeVar::StopUse1 && GlobeVar::StopUse2);
    EXPECT_EQ(GlobeVar::TimeSecond, 30);
    EXPECT_EQ(GlobeVar::PreName, "Recorded");
    EXPECT_TRUE(GlobeVar::UseDate);
    EXPECT_FALSE(GlobeVar::Overwrite);
    EXPECT_TRUE(GlobeVar::ConvertSaveToOriginal);
    EXPECT_EQ(GlobeVar::SplitOutputPath, app);
    EXPECT_TRUE(GlobeVar::Schedule.isEmpty());

    // The second start reads what the first wrote and writes nothing.
    TSettingsFile secondRun(cfg);
    const TOptionsValues second = StartupOptionsValues(secondRun, tqd, main);
    EXPECT_EQ(second, first);
    EXPECT_EQ(readAll(cfg).toStdString(), expected.toStdString());
}

TEST_F(OptionsFileTest, EverySettingRoundTripsThroughTheFile) {
    ASSERT_TRUE(QDir(app).mkpath("rec") && QDir(app).mkpath("conv") && QDir(app).mkpath("split") &&
                QDir(app).mkpath("join"));
    // Every value away from its default and inside its range.
    TOptionsValues v = DefaultOptionsValues();
    for (int s = 0; s < OptionSettingCount; ++s) {
        const OptionSettingInfo& info = OptionInfo(OptionSetting(s));
        switch (info.kind) {
        case OptionKind::List:
            v.number[s] =
                (info.setting == WmaFormat ? kWmaProfileNames : int(info.items.size())) - 1 - (s % 2);
            break;
        case OptionKind::Flag:
        case OptionKind::Choice:
            v.number[s] = info.defaultValue ? 0 : 1;
            break;
        case OptionKind::Number:
            v.number[s] = info.maximum - 1;
            break;
        case OptionKind::Text:
            v.text[s] = QStringLiteral("n%1 é").arg(s);
            break;
        case OptionKind::Folder:
            break;
        case OptionKind::HexText:
            v.text[s] = QStringLiteral("Hello,\nsecond line é\n\nlast");
            break;
        }
    }
    v.number[VolumeStop] = 0; // the two automatic stops exclude each other
    v.text[OutputPath] = app + "rec/";
    v.text[ConvertOutputPath] = app + "conv/";
    v.text[SplitOutputPath] = app + "split/";
    v.text[JoinOutputPath] = app + "join/";
    TScheduleEntry e;
    e.Use = 0;
    e.StartH = 7;
    e.StartM = 5;
    e.StopH = 23;
    e.StopM = 59;
    e.StopS = 59;
    e.DayOfWeek = 5;
    v.schedule = {e, TScheduleEntry{1, 1, 2, 3, 4, 5, 6, 29, 2, 2028, 0}};

    save(cfg, tqd, v);
    TOptionsValues back = DefaultOptionsValues();
    load(cfg, tqd, back);
    EXPECT_EQ(back, v);
    for (int s = 0; s < OptionSettingCount; ++s) {
        EXPECT_EQ(back.number[s], v.number[s]) << OptionInfo(OptionSetting(s)).key;
        EXPECT_EQ(back.text[s], v.text[s]) << OptionInfo(OptionSetting(s)).key;
    }
}

TEST_F(OptionsFileTest, ValuesOfTheFileBecomeGlobalsAndBadValuesTakeTheReadDefault) {
    ASSERT_TRUE(QDir(app).mkpath("gone"));
    const TOptionsValues v =
        loadFrom(QStringLiteral("[OutputFormat]\nWavFreq=0\nWavSampleRate=0\nMP3BitRate=0\n"
                                "MP3EncoderQuality=9\nOggBitRate=0\nWmaFormat=14\n"
                                "MP3Freq=7\nMP3MaxBitRate=-1\nMP3Channels=abc\nOggFreq=0x2\n"
                                "\n[Hotkey]\nStartHotKey1=59\nStopPreHotKey1=6\n"
                                "\n[AutoStop]\nVolumeStop=1\nTimeStop=1\nVolumeLevel=500\n"
                                "TimeMinute=-3\n"
                                "\n[OutputPath]\nOutputPath=%1gone/\nJoinOutputPath=  %1  \n")
                     .arg(app));
    QDir(app + "gone").removeRecursively();
    ApplyOptionsToGlobals(v);
    EXPECT_EQ(GlobeVar::WavFreq, 8000);
    EXPECT_EQ(GlobeVar::WavSampleRate, 8);
    EXPECT_EQ(GlobeVar::MP3BitRate, 320);
    EXPECT_EQ(GlobeVar::MP3EncoderQuality, 9);
    EXPECT_EQ(GlobeVar::OggBitRate, 99);
    EXPECT_EQ(GlobeVar::WmaFormat, 15);
    EXPECT_EQ(GlobeVar::MP3Freq, 44100);                  // index 7 of three items: the read default
    EXPECT_EQ(GlobeVar::MP3MaxBitRate, 112);              // -1: the read default
    EXPECT_EQ(GlobeVar::MP3Channels, 2);                  // not a number: the read default
    EXPECT_EQ(GlobeVar::OggFreq, 48000);                  // hexadecimal
    EXPECT_EQ(GlobeVar::StartHotKeyCombo1.HotKey, 0x52u); // index 59 of 59 items: "R"
    EXPECT_EQ(GlobeVar::StopHotKeyCombo1.PreKey1, 0x10u); // Shift+Alt
    EXPECT_EQ(GlobeVar::StopHotKeyCombo1.PreKey2, 0x12u);
    EXPECT_FALSE(GlobeVar::VolumeStop); // both on: "By time" only
    EXPECT_TRUE(GlobeVar::TimeStop);
    EXPECT_EQ(GlobeVar::VolumeLevel, 99);
    EXPECT_EQ(GlobeVar::TimeMinute, 0);
    // The folder was read before it went; reading again now falls back to the program folder.
    TOptionsValues again = DefaultOptionsValues();
    load(cfg, tqd, again);
    EXPECT_EQ(again.text[OutputPath], app);
    EXPECT_EQ(GlobeVar::JoinOutputPath, app); // trimmed
    // No "Mail" section: the subject stays the global's start value and the body is empty.
    EXPECT_EQ(GlobeVar::MailSubject, "Share with you");
    EXPECT_EQ(GlobeVar::MailBody, "");
    // No split folder in the file and none in the global: the program folder.
    EXPECT_EQ(GlobeVar::SplitOutputPath, app);
}

TEST(MailBodyHex, BytesLinesAndGarbage) {
    EXPECT_EQ(MailBodyToHex("Hi,"), "48692C");
    EXPECT_EQ(MailBodyToHex("Hi\nZ"), "48690D0A5A");
    EXPECT_EQ(MailBodyToHex(""), "");
    EXPECT_EQ(MailBodyFromHex("4869"), "Hi");
    EXPECT_EQ(MailBodyFromHex("48690D0A5A"), "Hi\nZ");
    EXPECT_EQ(MailBodyFromHex("48692c"), "Hi,");
    EXPECT_EQ(MailBodyFromHex("4869ZZ41"), "Hi"); // stops at the first non-hex character
    EXPECT_EQ(MailBodyFromHex("48 69"), "H");
    EXPECT_EQ(MailBodyFromHex("486"), "H"); // half a byte at the end is not a byte
    EXPECT_EQ(MailBodyFromHex(""), "");
    const QString text = QStringLiteral("Grüße\n\n– ok");
    EXPECT_EQ(MailBodyFromHex(MailBodyToHex(text)), text);
}

TEST(HotKeyTables, EveryListIndexHasItsKeyCode) {
    ASSERT_EQ(HotKeyKeyItems().size(), 59);
    ASSERT_EQ(HotKeyModifierItems().size(), 7);
    const uint32_t expected[59] = {0xC0, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x41,
                                   0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D,
                                   0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
                                   0x5A, 0x2D, 0x2E, 0x24, 0x23, 0x21, 0x22, 0x70, 0x71, 0x72, 0x73, 0x74,
                                   0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x6B, 0x6D, 0x6A, 0x6F};
    for (int i = 0; i < 59; ++i)
        EXPECT_EQ(HotKeyComboFromIndexes(0, i).HotKey, expected[i]) << HotKeyKeyItems()[i].toStdString();
    EXPECT_EQ(HotKeyKeyItems()[28], "R");
    EXPECT_EQ(HotKeyKeyItems()[55], "Numpad +");
    const uint32_t pre[7][2] = {{0, 0},       {0x11, 0},    {0x12, 0},   {0x10, 0},
                                {0x11, 0x12}, {0x11, 0x10}, {0x10, 0x12}};
    for (int m = 0; m < 7; ++m) {
        EXPECT_EQ(HotKeyComboFromIndexes(m, 28).PreKey1, pre[m][0]);
        EXPECT_EQ(HotKeyComboFromIndexes(m, 28).PreKey2, pre[m][1]);
    }
    const THotKeyCombo none = HotKeyComboFromIndexes(7, 59);
    EXPECT_EQ(none.PreKey1 | none.PreKey2 | none.HotKey, 0u);
}

TEST_F(OptionsFileTest, ARefusedWriteNamesTheFileAndLeavesTheOldFileWhole) {
    // A folder in place of the file: no one, not even root, can write it as a file.
    const QString blocked = app + "blocked.ini";
    ASSERT_TRUE(QDir(app).mkpath("blocked.ini"));
    try {
        save(blocked, tqd, DefaultOptionsValues());
        FAIL() << "no error";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(e.fileName(), blocked);
        EXPECT_EQ(QString::fromUtf8(e.what()), "Unable to write to " + blocked);
    }
    // A schedule file that cannot be written: the settings file, written first, is whole and new;
    // the error names the schedule file.
    writeText(cfg, "\n[OutputPath]\nOutputPath=/keep/\n");
    ASSERT_TRUE(QDir(app).mkpath("sched.tqd"));
    try {
        save(cfg, app + "sched.tqd", DefaultOptionsValues());
        FAIL() << "no error";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(e.fileName(), app + "sched.tqd");
    }
    const QString after = readAll(cfg);
    EXPECT_TRUE(after.contains("StopUse2=1")) << after.toStdString();
    EXPECT_TRUE(after.contains("[AutoStop]"));
    EXPECT_TRUE(after.contains("Selected=0"));
    // A value that cannot be written as a line stops the save before the file is touched.
    TOptionsValues bad = DefaultOptionsValues();
    bad.text[OutputPath] = "/a\n[Schedule]\nNumber=9";
    EXPECT_THROW(save(cfg, tqd, bad), ProfileWriteError);
    EXPECT_EQ(readAll(cfg), after);
}

TEST(OutputFolderChecks, WriteTestAndNameCharacters) {
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    EXPECT_TRUE(CanWriteToFolder(folder));
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty()); // the test file is gone
    EXPECT_FALSE(CanWriteToFolder(folder + "missing/"));
    EXPECT_FALSE(CanWriteToFolder(QStringLiteral("/proc/"))); // refuses new files, also to root
    for (QChar c : QStringLiteral("\\/:*?\"<>|"))
        EXPECT_FALSE(IsFileNameCharAllowed(c)) << QString(c).toStdString();
    for (QChar c : QStringLiteral("-_ .aZ9é"))
        EXPECT_TRUE(IsFileNameCharAllowed(c));
}
