// Theme files: signature test, reading the entry chain, lookups, and damaged or hostile files.
#include "SkinTestSupport.h"
#include "skin/SKThemeFile.h"
#include "skin/SKThemeWriter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace SkinTest;

namespace {

QByteArray SampleTheme() {
    TskThemeFileWriter w;
    w.AddBitmap("ButtonImage", BmpBytes(225, 21));
    w.AddInt("FormBorderColor", 0x808080);
    w.AddInt("TitleBarButtonRightOffsetInt", -5);
    w.AddBool("ButtonTransparentBool", true);
    w.AddBool("TitleBarButtonTransparentBool", false);
    w.AddString("Author", "someone");
    return w.Data();
}

class ThemeFileReaderTest : public SkinTest::ScratchFolderTest {};

} // namespace

TEST_F(ThemeFileReaderTest, SignatureTest) {
    QByteArray good("ZEVAvev_TB\0\0", 12);
    EXPECT_TRUE(IsValidThemeFile(Put("good.skn", good)));
    EXPECT_TRUE(IsValidThemeFile(Put("sample.skn", SampleTheme())));
    EXPECT_FALSE(IsValidThemeFile(Put("upper.skn", QByteArray("ZEVAVEV_TB\0\0", 12))));
    EXPECT_FALSE(IsValidThemeFile(Put("twelve.skn", QByteArray("ZEVAvev_TBxy"))));
    EXPECT_FALSE(IsValidThemeFile(Put("short.skn", QByteArray("ZEVAvev_TB"))));
    EXPECT_FALSE(IsValidThemeFile(Put("empty.skn", QByteArray())));
    // Cannot be opened or read: no exception, just False.
    EXPECT_FALSE(IsValidThemeFile(dir.filePath("missing.skn")));
    EXPECT_FALSE(IsValidThemeFile(dir.path()));
    const QString fifo = dir.filePath("pipe.skn");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(IsValidThemeFile(fifo)); // not opened, so nothing waits for a writer
    EXPECT_THROW(TskThemeFileReader{fifo}, ESkinError);
}

TEST_F(ThemeFileReaderTest, ReadsEveryKindAndLooksUpWithoutRegardToCase) {
    TskThemeFileReader reader(Put("sample.skn", SampleTheme()));
    EXPECT_EQ(reader.BitmapKeys(), QStringList{"ButtonImage"});
    EXPECT_EQ(reader.IntegerLines(),
              (QStringList{"FormBorderColor=8421504", "TitleBarButtonRightOffsetInt=-5"}));
    EXPECT_EQ(reader.BooleanLines(),
              (QStringList{"ButtonTransparentBool=1", "TitleBarButtonTransparentBool=0"}));
    EXPECT_EQ(reader.StringLines(), QStringList{"Author=someone"});

    EXPECT_EQ(reader.GetInt("formbordercolor"), 0x808080);
    EXPECT_EQ(reader.GetInt("TITLEBARBUTTONRIGHTOFFSETINT"), -5);
    EXPECT_TRUE(reader.GetBool("buttontransparentbool"));
    EXPECT_FALSE(reader.GetBool("TitleBarButtonTransparentBool"));
    const QByteArray bmp = reader.GetBitmap("BUTTONIMAGE");
    ASSERT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(QImage::fromData(bmp, "BMP").size(), QSize(225, 21));

    // Absent keys; strings are kept but never looked up.
    EXPECT_EQ(reader.GetInt("MenuBarColor"), -1);
    EXPECT_FALSE(reader.GetBool("MenuBarColor"));
    EXPECT_TRUE(reader.GetBitmap("CheckBoxImage").isEmpty());
    EXPECT_EQ(reader.GetInt("Author"), -1);
}

TEST_F(ThemeFileReaderTest, FirstOfDuplicateKeysWins) {
    TskThemeFileWriter w;
    w.AddInt("FormMinWidthInt", 200);
    w.AddInt("formminwidthint", 300);
    w.AddBool("ButtonTransparentBool", false);
    w.AddBool("ButtonTransparentBool", true);
    const TskThemeFileReader reader = TskThemeFileReader::FromData(w.Data());
    EXPECT_EQ(reader.IntegerLines().size(), 2);
    EXPECT_EQ(reader.GetInt("FormMinWidthInt"), 200);
    EXPECT_FALSE(reader.GetBool("ButtonTransparentBool"));
}

TEST_F(ThemeFileReaderTest, OnlyTheTerminatorGivesEmptyLists) {
    const TskThemeFileReader reader(Put("empty.skn", TskThemeFileWriter().Data()));
    EXPECT_TRUE(reader.BitmapKeys().isEmpty());
    EXPECT_TRUE(reader.IntegerLines().isEmpty());
    EXPECT_TRUE(reader.BooleanLines().isEmpty());
    EXPECT_TRUE(reader.StringLines().isEmpty());
}

TEST_F(ThemeFileReaderTest, FollowsTheChainNotTheFileOrder) {
    // Two entries stored in reverse: header -> entry B (at the end) -> entry A -> terminator.
    TskThemeFileWriter w;
    w.AddInt("A", 1);
    w.AddInt("B", 2);
    QByteArray data = w.Data();
    const uint32_t a = 24, b = 24 + 77 + 4, term = b + 77 + 4;
    PutU32(data, 20, b);        // first entry: B
    PutU32(data, b + 73, a);    // B -> A
    PutU32(data, a + 73, term); // A -> terminator
    const TskThemeFileReader reader = TskThemeFileReader::FromData(data);
    EXPECT_EQ(reader.IntegerLines(), (QStringList{"B=2", "A=1"}));
}

TEST_F(ThemeFileReaderTest, OddSizedNumbersReadOnlyWhatFits) {
    TskThemeFileWriter w;
    w.AddString("placeholder", "x");
    QByteArray data = w.Data();
    // Turn the string entry into an integer of one byte, then into a flag of zero bytes.
    data[24 + 64] = 1;
    data[24 + 77] = static_cast<char>(0xFE);
    EXPECT_EQ(TskThemeFileReader::FromData(data).GetInt("placeholder"), 0xFE);
    data[24 + 64] = 2;
    PutU32(data, 24 + 69, 0);
    EXPECT_FALSE(TskThemeFileReader::FromData(data).GetBool("placeholder"));
    EXPECT_EQ(TskThemeFileReader::FromData(data).BooleanLines(), QStringList{"placeholder=0"});

    // An eight-byte integer: only its first four bytes.
    TskThemeFileWriter w8;
    w8.AddString("wide", QByteArray("\x05\x00\x00\x00\xFF\xFF\xFF\xFF", 8));
    QByteArray wide = w8.Data();
    wide[24 + 64] = 1;
    EXPECT_EQ(TskThemeFileReader::FromData(wide).GetInt("wide"), 5);
}

TEST_F(ThemeFileReaderTest, KeyIsCutAtSixtyFourCharacters) {
    TskThemeFileWriter w;
    w.AddInt("k", 7);
    QByteArray data = w.Data();
    for (int i = 0; i < 64; ++i)
        data[24 + i] = 'x'; // no terminating zero inside the field
    const TskThemeFileReader reader = TskThemeFileReader::FromData(data);
    EXPECT_EQ(reader.GetInt(QString(64, u'x')), 7);
}

TEST_F(ThemeFileReaderTest, DamagedFilesAreRefused) {
    const QByteArray sample = SampleTheme();
    auto refused = [](const QByteArray& data) {
        try {
            TskThemeFileReader::FromData(data);
        } catch (const ESkinError&) {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused(sample.left(14))); // header cut off
    QByteArray d = sample;
    PutU32(d, 12, 16); // header size below the record
    EXPECT_TRUE(refused(d));
    d = sample;
    PutU32(d, 12, 0xFFFFFFF0u); // header size beyond the file
    EXPECT_TRUE(refused(d));
    d = sample;
    PutU32(d, 20, static_cast<uint32_t>(sample.size()) - 10); // first entry cut off
    EXPECT_TRUE(refused(d));
    d = sample;
    PutU32(d, 20, 0xFFFFFFFFu); // first entry far outside
    EXPECT_TRUE(refused(d));
    d = sample;
    PutU32(d, 24 + 69, 0xFFFFFFF0u); // bitmap data runs past the end
    EXPECT_TRUE(refused(d));
    d = sample;
    PutU32(d, 24 + 65, 0xFFFFFFF0u); // data offset outside
    EXPECT_TRUE(refused(d));
    EXPECT_TRUE(refused(sample.left(sample.size() - 1))); // terminator cut off

    // A header size above 24 reads only the 24-byte record.
    d = sample;
    PutU32(d, 12, 40);
    EXPECT_FALSE(refused(d));
}

TEST_F(ThemeFileReaderTest, LoopingChainStopsAndKeepsWhatWasRead) {
    TskThemeFileWriter w;
    w.AddInt("A", 1);
    w.AddInt("B", 2);
    QByteArray data = w.Data();
    const uint32_t b = 24 + 77 + 4;
    PutU32(data, b + 73, 24); // B -> A again
    const TskThemeFileReader reader = TskThemeFileReader::FromData(data);
    EXPECT_EQ(reader.IntegerLines(), (QStringList{"A=1", "B=2"}));

    // An entry pointing at itself.
    QByteArray self = w.Data();
    PutU32(self, 24 + 73, 24);
    EXPECT_EQ(TskThemeFileReader::FromData(self).IntegerLines(), QStringList{"A=1"});
}

TEST_F(ThemeFileReaderTest, OverlappingEntriesAreRefused) {
    // Entries 32 bytes apart (each one's fields lie inside a later one's key), all pointing at one
    // data block: more entries than could fit side by side mark a damaged file.
    const int count = 2000, step = 32;
    const uint32_t block = 24 + step * count + 77;
    QByteArray data(block + 4096, '\0');
    memcpy(data.data(), "ZEVAvev_TB", 10);
    PutU32(data, 12, 24);
    PutU32(data, 16, 1);
    PutU32(data, 20, 24);
    for (int i = 0; i < count; ++i) {
        const uint32_t at = 24 + step * i;
        data[at + 64] = 0; // bitmap
        PutU32(data, at + 65, block);
        PutU32(data, at + 69, 4096);
        PutU32(data, at + 73, i + 1 < count ? at + step : block - 77);
    }
    EXPECT_THROW(TskThemeFileReader::FromData(data), ESkinError);
    // The same chain cut to a count that could fit is read.
    PutU32(data, 24 + step * 9 + 73, block - 77);
    EXPECT_EQ(TskThemeFileReader::FromData(data).BitmapKeys().size(), 10);
}

TEST_F(ThemeFileReaderTest, WriterSavesWholeFilesOnly) {
    TskThemeFileWriter w;
    w.AddInt("FormMinWidthInt", 200);
    const QString path = dir.filePath("saved.skn");
    QString error;
    ASSERT_TRUE(w.SaveToFile(path, &error)) << error.toStdString();
    EXPECT_EQ(ReadBytes(path), w.Data());
    EXPECT_EQ(TskThemeFileReader(path).GetInt("FormMinWidthInt"), 200);
    EXPECT_FALSE(w.SaveToFile(dir.filePath("no/such/folder/x.skn"), &error));
    EXPECT_FALSE(error.isEmpty());
    // Keys longer than the field are cut so that a terminating zero remains.
    TskThemeFileWriter longKey;
    longKey.AddInt(QString(80, u'k'), 1);
    EXPECT_EQ(TskThemeFileReader::FromData(longKey.Data()).GetInt(QString(63, u'k')), 1);
}

TEST_F(ThemeFileReaderTest, UnreadableFileRaises) {
    EXPECT_THROW(TskThemeFileReader(dir.filePath("missing.skn")), ESkinError);
}
