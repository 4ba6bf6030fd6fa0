#include "common/GlobeVar.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace GlobeVar;

TEST(FileSizeToStr, UnitBordersGroupingAndDecimals) {
    EXPECT_EQ(FileSizeToStr(0), "   0 Bytes");
    EXPECT_EQ(FileSizeToStr(999), " 999 Bytes");
    EXPECT_EQ(FileSizeToStr(1000), "1,000 Bytes");
    EXPECT_EQ(FileSizeToStr(1024), "1,024 Bytes");
    EXPECT_EQ(FileSizeToStr(1025), "   1 KB");
    EXPECT_EQ(FileSizeToStr(1536), "   1.5 KB");
    EXPECT_EQ(FileSizeToStr(10240), "  10 KB"); // tenths digit 0: no decimal point
    EXPECT_EQ(FileSizeToStr(1048576), "1,024 KB");
    EXPECT_EQ(FileSizeToStr(1048577), "   1 MB");
    EXPECT_EQ(FileSizeToStr(1572864), "   1.5 MB");
    EXPECT_EQ(FileSizeToStr(2000000000), "1,907.3 MB");
    // Groups after the first keep their leading zeros.
    EXPECT_EQ(FileSizeToStr(int64_t(1000005) * 1048576), "1,000,005 MB");
}

TEST(FileSizeToStr, SortKeysOrderUnits) {
    EXPECT_EQ(SizeSortKey(FileSizeToStr(10)), "a  10 Bytes");
    EXPECT_TRUE(SizeSortKey(FileSizeToStr(2000)).startsWith('b'));
    EXPECT_TRUE(SizeSortKey(FileSizeToStr(2000000)).startsWith('c'));
    EXPECT_LT(SizeSortKey(FileSizeToStr(1000)), SizeSortKey(FileSizeToStr(1100)));
    EXPECT_LT(SizeSortKey(FileSizeToStr(900000)), SizeSortKey(FileSizeToStr(1100000)));
}

TEST(GetAudioFormat, ExtensionInAnyCase) {
    EXPECT_EQ(GetAudioFormat("/x/a.Mp3"), "MP3");
    EXPECT_EQ(GetAudioFormat("a.wav"), "WAV");
    EXPECT_EQ(GetAudioFormat("a.OGG"), "OGG");
    EXPECT_EQ(GetAudioFormat("a.b.wma"), "WMA");
    EXPECT_EQ(GetAudioFormat("a.wave"), "");
    EXPECT_EQ(GetAudioFormat("noext"), "");
    EXPECT_EQ(GetAudioFormat("/dir.mp3/noext"), "");
}

TEST(TimeTexts, HoursMinutesSeconds) {
    EXPECT_EQ(MSecToTimeStr(0), "00 : 00 : 00");
    EXPECT_EQ(MSecToTimeStr(3723000), "01 : 02 : 03");
    EXPECT_EQ(MSecToTimeStr(int64_t(100) * 3600 * 1000), "100 : 00 : 00");
    EXPECT_EQ(MSecToTimeStr(59999), "00 : 00 : 59");
    EXPECT_EQ(MSecToHMSStr(3723000), "01h 02m 03s ");
    EXPECT_EQ(MSecToMinSecStr(83456), "001 : 23 : 456");
    EXPECT_EQ(MSecToMinSecStr(int64_t(1000) * 60 * 1000 + 5), "1000 : 00 : 005");
}

TEST(PaddingAndBlanks, WidthsAndMarkers) {
    EXPECT_EQ(IntToZeroStr(5, 2), "05");
    EXPECT_EQ(IntToZeroStr(123, 2), "123");
    EXPECT_EQ(IntToZeroStr(0, 0), "0");
    EXPECT_EQ(PadLeftStr("ab", 5, '*'), "***ab");
    EXPECT_EQ(PadLeftStr("abcdef", 3, '*'), "abcdef");
    EXPECT_EQ(Blanks(3), "   ");
    EXPECT_EQ(Blanks(0), "");
    // The row marker round trip the play lists rely on.
    for (int marker : {0, 1, 3, 4})
        EXPECT_EQ(CountBlanks(IndentStr("  03:21 ", marker)), marker);
    EXPECT_EQ(IndentStr("\t x \n", 2), "  x");
    EXPECT_EQ(CountBlanks(" a\t"), 2);
    EXPECT_EQ(CountBlanks(""), 0);
}

TEST(ParseTimeStr, ReadsThreeFieldsAndSwallowsErrors) {
    uint8_t h = 9, m = 9, s = 9;
    ParseTimeStr("12:34:56", h, m, s);
    EXPECT_EQ(h, 12);
    EXPECT_EQ(m, 34);
    EXPECT_EQ(s, 56);

    h = m = s = 7;
    ParseTimeStr("ab:34:56", h, m, s); // first field not a number: all three stay
    EXPECT_EQ(h, 7);
    EXPECT_EQ(m, 7);
    EXPECT_EQ(s, 7);

    ParseTimeStr("01:xx:56", h, m, s); // stops at the second field
    EXPECT_EQ(h, 1);
    EXPECT_EQ(m, 7);
    EXPECT_EQ(s, 7);

    ParseTimeStr("02:03", h, m, s); // too short: the seconds stay
    EXPECT_EQ(h, 2);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(s, 7);
}

TEST(Globals, StartValuesAndRunCounter) {
    Finalize(); // whatever an earlier test left
    Initialize(RipperStartValues());
    EXPECT_EQ(CfgFileName, "DuzivuzCfg.ini");
    EXPECT_EQ(ScheduleFileName, "Current.tqd");
    EXPECT_EQ(MailSubject, "Share with you");
    EXPECT_EQ(MailBody, "Hi");
    EXPECT_EQ(OutputPath, QDir::homePath() + "/");
    EXPECT_EQ(ConvertOutputPath, OutputPath);
    // A second initialisation changes nothing; it takes two finalisations to release.
    Initialize(RecorderStartValues());
    EXPECT_EQ(CfgFileName, "DuzivuzCfg.ini");
    Finalize();
    EXPECT_EQ(CfgFileName, "DuzivuzCfg.ini");
    Schedule.append(TScheduleEntry{});
    Finalize();
    EXPECT_TRUE(CfgFileName.isEmpty());
    EXPECT_TRUE(MailSubject.isEmpty());
    EXPECT_TRUE(Schedule.isEmpty());
    Initialize(RecorderStartValues());
    EXPECT_EQ(CfgFileName, "VidezevaCfg.ini");
    Finalize();
}

TEST(RegisterComServer, CallsTheEntryPointsOfARealModule) {
    const QString module = QStringLiteral(SUITE_BUILD_DIR "/tests/libcomserver_probe.so");
    ASSERT_TRUE(QFile::exists(module)) << module.toStdString();
    EXPECT_TRUE(RegisterComServer(module, 1));  // returns 0
    EXPECT_FALSE(RegisterComServer(module, 0)); // returns a negative code
    EXPECT_FALSE(RegisterComServer("/nonexistent/atl.dll", 1));
    QTemporaryDir dir;
    QFile junk(dir.filePath("junk.so"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a module");
    junk.close();
    EXPECT_FALSE(RegisterComServer(junk.fileName(), 1));
}
