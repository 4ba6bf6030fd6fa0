#include "platform/Colors.h"
#include "platform/FileNames.h"
#include "platform/PathText.h"
#include "platform/PendingFile.h"
#include "platform/ProgramPaths.h"
#include "platform/TickCount.h"
#include "platform/WinMath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <climits>

TEST(MulDiv, RoundsHalvesAwayFromZeroAndGuardsDivisor) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8); // 7.5
    EXPECT_EQ(MulDiv(10, 1, 4), 3); // 2.5
    EXPECT_EQ(MulDiv(-10, 1, 4), -3);
    EXPECT_EQ(MulDiv(10, -1, 4), -3);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(65535, 100, 65535), 100);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, 1), -1);            // does not fit
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX); // 64-bit intermediate
}

TEST(RoundHalfEven, HalvesToEven) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
}

TEST(Colors, PlainAndSystemColours) {
    EXPECT_EQ(ColorToQColor(0x0000FF), QColor(255, 0, 0)); // 0x00BBGGRR: red in the low byte
    EXPECT_EQ(ColorToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ColorToQColor(clFuchsia), QColor(255, 0, 255));
    EXPECT_EQ(ColorToQColor(clWindow), QColor(255, 255, 255));
    EXPECT_EQ(ColorToQColor(clBtnFace), QColor(0xD4, 0xD0, 0xC8));
    EXPECT_EQ(ColorToQColor(clHighlight), QColor(0x0A, 0x24, 0x6A));
    EXPECT_EQ(ColorToQColor(0xFF000063), QColor(0, 0, 0)); // unknown system colour: black, no crash
    EXPECT_EQ(QColorToColor(QColor(1, 2, 3)), 0x030201u);
}

TEST(MinimizeName, DropsLeadingFoldersFirst) {
    QFont font;
    font.setPixelSize(12);
    const QFontMetrics fm(font);
    const QString path = "/home/ann/music/live/take.wav";
    EXPECT_EQ(MinimizeName(path, fm, 10000), path);
    const int w = fm.horizontalAdvance("/.../live/take.wav");
    EXPECT_EQ(MinimizeName(path, fm, w), "/.../live/take.wav");
    EXPECT_EQ(MinimizeName(path, fm, fm.horizontalAdvance("/.../take.wav")), "/.../take.wav");
    EXPECT_EQ(MinimizeName(path, fm, 1), ".../take.wav"); // the name itself is never cut
    EXPECT_EQ(MinimizeName("take.wav", fm, 1), "take.wav");
}

TEST(ProgramPaths, FoldersEndInOneSeparator) {
    EXPECT_EQ(ProgramPaths::withTrailingSeparator("/a/b"), "/a/b/");
    EXPECT_EQ(ProgramPaths::withTrailingSeparator("/a/b//"), "/a/b/");
    EXPECT_EQ(ProgramPaths::withTrailingSeparator("/"), "/");
    EXPECT_EQ(ProgramPaths::withTrailingSeparator(""), "");
    EXPECT_TRUE(ProgramPaths::programFolder().endsWith('/'));
    EXPECT_TRUE(ProgramPaths::homeFolder().endsWith('/'));
    EXPECT_FALSE(ProgramPaths::systemFolder().endsWith('/'));
    QTemporaryDir dir;
    EXPECT_TRUE(ProgramPaths::canCreateFileIn(dir.path()));
    EXPECT_TRUE(QDir(dir.path()).isEmpty()); // the probe file is gone again
    EXPECT_FALSE(ProgramPaths::canCreateFileIn(dir.filePath("missing")));
}

TEST(TickCount, MonotonicMilliseconds) {
    const uint32_t a = GetTickCount();
    QThread::msleep(20);
    const uint32_t b = GetTickCount();
    EXPECT_GE(uint32_t(b - a), 20u);
    EXPECT_LT(uint32_t(b - a), 5000u);
}

// A job's output stands under its final name only once committed: before that it is a hidden file
// beside it. A commit whose folder went away meanwhile, or that would replace a file it must not,
// fails naming the final file and leaves nothing behind.
TEST(PendingFile, AppearsOnlyWhenCommittedAndReportsAVanishedFolder) {
    QTemporaryDir dir;
    const QString target = dir.filePath("ten.mp3");
    {
        TPendingFile file;
        ASSERT_EQ(file.Begin(target), "");
        EXPECT_TRUE(QFileInfo(file.TempName()).fileName().startsWith(".ten.mp3."));
        EXPECT_TRUE(file.TempName().endsWith(".part"));
        EXPECT_EQ(QFileInfo(file.TempName()).path(), dir.path());
        EXPECT_FALSE(QFileInfo::exists(target));
    } // never committed: nothing stays
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);

    TPendingFile file;
    ASSERT_EQ(file.Begin(target), "");
    QFile out(file.TempName());
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("whole");
    out.close();
    EXPECT_EQ(file.Commit(false), "");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ten.mp3"});

    ASSERT_EQ(file.Begin(target), "");
    EXPECT_EQ(file.Commit(false),
              "Unable to write to " + target + ": a file of that name was made meanwhile");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ten.mp3"});
    ASSERT_EQ(file.Begin(target), "");
    EXPECT_EQ(file.Commit(true), "");
    EXPECT_EQ(QFileInfo(target).size(), 0);

    const QString sub = dir.filePath("gone");
    ASSERT_TRUE(QDir().mkpath(sub));
    ASSERT_EQ(file.Begin(sub + "/x.wav"), "");
    ASSERT_TRUE(QDir(sub).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(sub)); // the same folder name again, but another folder
    EXPECT_TRUE(file.Commit(true).startsWith("Unable to write to " + sub + "/x.wav: the file is gone"));
    EXPECT_FALSE(QFileInfo::exists(sub + "/x.wav"));
    EXPECT_NE(file.Begin(dir.filePath("missing/x.wav")), "");

    // A final name as long as a name can be: the temporary one still fits the folder, hidden,
    // its copy of the name cut between two characters.
    const QString longest = dir.filePath(QString(125, u'\u00e9') + ".wav"); // 254 bytes
    ASSERT_EQ(file.Begin(longest), "");
    const QByteArray temp = FileNameBytes(QFileInfo(file.TempName()).fileName());
    EXPECT_LE(temp.size(), NAME_MAX);
    EXPECT_TRUE(temp.startsWith("." + QString(100, u'\u00e9').toUtf8()));
    EXPECT_EQ(QString::fromUtf8(temp).toUtf8(), temp);
    EXPECT_EQ(file.Commit(false), "");
    EXPECT_TRUE(QFileInfo::exists(longest));
}

// Names that are not UTF-8 keep every byte through their text and show replacement characters.
TEST(FileNames, KeepEveryByteOfANameThatIsNotUtf8) {
    const QByteArray odd("a\xff"
                         "b\xc3(\xe2\x82\xac.wav"); // a lone 0xFF, a cut sequence, then a valid euro sign
    const QString text = FileNameText(odd);
    EXPECT_EQ(FileNameBytes(text), odd);
    EXPECT_EQ(ShownFileName(text), QString::fromUtf8("a\xef\xbf\xbd"
                                                     "b\xef\xbf\xbd(\xe2\x82\xac.wav"));
    EXPECT_NE(FileNameText("a\xef\xbf\xbd"
                           "b"),
              FileNameText("a\xff"
                           "b")); // a real U+FFFD is another name
    EXPECT_EQ(FileNameText("plain/\xc3\xa9t\xc3\xa9.mp3"), QString::fromUtf8("plain/\xc3\xa9t\xc3\xa9.mp3"));
    EXPECT_EQ(FileNameBytes(QString::fromUtf8("\xc3\xa9")), QByteArray("\xc3\xa9"));
    EXPECT_EQ(FileNameBytes(FileNameText("\xed\xa0\x80")),
              QByteArray("\xed\xa0\x80")); // an encoded surrogate
}
