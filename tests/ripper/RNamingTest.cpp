// Ripped files' names, the field helpers and two-digit numbers.
#include "ripper/RNaming.h"
#include "common/GlobeVar.h"
#include "ripper/RGlobeVar.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace RNaming;

namespace {

class NamingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        rips = dir.path() + QStringLiteral("/Rips/");
        ASSERT_TRUE(QDir().mkpath(rips));
        RGlobeVar::ROutPutPath = rips;
    }
    void TearDown() override { RGlobeVar::ROutPutPath.clear(); }

    // Every folder below the rip folder, relative to it.
    QStringList folders() const {
        QStringList found;
        QDirIterator it(rips, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << it.next().mid(rips.size());
        found.sort();
        return found;
    }

    QTemporaryDir dir;
    QString rips;
};

// The folder, artist "Band", an empty album, number "03" and title "Song" through all 14 patterns.
TEST_F(NamingTest, EveryPatternNamesTheFileAndMakesItsFolders) {
    const QStringList expected{"track03",
                               "Band-Song",
                               "Band-Album/03.Song",
                               "Band-Album/03-Song",
                               "Band/Album/03.Song",
                               "Band/Album/03-Song",
                               "Album/03.Band-Song",
                               "Album/03-Band-Song",
                               "03.Song",
                               "03-Song",
                               "Band-Album-03-Song",
                               "Song",
                               "Band-Album",
                               "Album"};
    for (int pattern = 1; pattern <= 14; ++pattern)
        EXPECT_EQ(BuildOutputName(pattern, QString(), QStringLiteral("Band"), QStringLiteral("Song"),
                                  QStringLiteral("03")),
                  rips + expected[pattern - 1])
            << "pattern " << pattern;
    EXPECT_EQ(folders(), (QStringList{"Album", "Band", "Band-Album", "Band/Album"}));
    // No list entry chosen: no name.
    EXPECT_TRUE(
        BuildOutputName(0, QString(), QStringLiteral("Band"), QStringLiteral("Song"), "03").isEmpty());
    EXPECT_TRUE(
        BuildOutputName(15, QString(), QStringLiteral("Band"), QStringLiteral("Song"), "03").isEmpty());
}

// The rip folder is used with a final "/" however it was stored; an empty one is the program folder.
TEST_F(NamingTest, TheRipFolderAlwaysEndsInASlash) {
    RGlobeVar::ROutPutPath = dir.path() + QStringLiteral("/Music");
    EXPECT_EQ(BuildOutputName(1, "A", "R", "T", "01"), dir.path() + QStringLiteral("/Music/track01"));
    RGlobeVar::ROutPutPath.clear();
    const QString oldApp = GlobeVar::AppPath;
    GlobeVar::AppPath = rips;
    EXPECT_EQ(BuildOutputName(12, "A", "R", "T", "01"), rips + QStringLiteral("T"));
    GlobeVar::AppPath = oldApp;
}

// Texts from a disc database or the user cannot leave the rip folder, name the folder itself, hide
// a folder or file (a name starting with "."), hold characters a name cannot, or grow past what the
// file system takes; every such name can be written.
TEST_F(NamingTest, HostileTitlesGiveSafeNamesInsideTheRipFolder) {
    const QString euro300 = QString(100, QChar(0x20AC)); // 300 bytes of UTF-8
    struct Case {
        int pattern;
        QString album, artist, title, expected;
    };
    const QList<Case> cases{
        {12, "A", "R", "../../etc/passwd", "_._.._etc_passwd"},
        {12, "A", "R", ".intro", "_intro"},
        {3, "Album", ".38 Special", "Song", "_38 Special-Album/03.Song"},
        {7, ".hidden", "R", "T", "_hidden/03.R-T"},
        {12, "A", "R", "..", "_"},
        {12, "A", "R", ".", "_"},
        {12, "A", "R", QString(), "Title"},
        {5, "..", ".", "Song", "_/_/03.Song"},
        {2, "A", "AC/DC", QStringLiteral("Tab\there\nnew\x7f"), "AC_DC-Tab_here_new_"},
        {12, "A", "R", QStringLiteral("Ça été – «Ünïcode»"), QStringLiteral("Ça été – «Ünïcode»")},
        {12, "A", "R", euro300, QString(66, QChar(0x20AC))}, // 198 bytes: cut before a character
    };
    for (const Case& c : cases) {
        const QString name = BuildOutputName(c.pattern, c.album, c.artist, c.title, "03");
        EXPECT_EQ(name, rips + c.expected) << c.title.toStdString();
    }
    // Three parts of 200 bytes in one file name: cut so the name and its extension fit in 255 bytes.
    const QString name = BuildOutputName(11, euro300, euro300, euro300, "03");
    const QString file = name.mid(rips.size());
    EXPECT_FALSE(file.contains(QLatin1Char('/')));
    EXPECT_LE(file.toUtf8().size(), 240);
    EXPECT_TRUE(file.startsWith(QString(66, QChar(0x20AC)) + QLatin1Char('-')));
    for (int pattern = 1; pattern <= 14; ++pattern) {
        QFile f(BuildOutputName(pattern, euro300, euro300, euro300, "03") + QStringLiteral("-03.mp3"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly))
            << "pattern " << pattern << ": " << f.errorString().toStdString();
    }
    // An empty number (pattern 9 would begin with its ".") and dotted parts in every pattern.
    EXPECT_EQ(BuildOutputName(9, "A", "R", "T", QString()), rips + QStringLiteral("_T"));
    for (int pattern = 1; pattern <= 14; ++pattern) {
        const QString name = BuildOutputName(pattern, ".a", ".r", ".t", ".1");
        for (const QString& part : name.mid(rips.size()).split(QLatin1Char('/')))
            EXPECT_FALSE(part.startsWith(QLatin1Char('.')))
                << "pattern " << pattern << ": " << name.toStdString();
    }
    for (const QString& folder : folders())
        for (const QString& part : folder.split(QLatin1Char('/')))
            EXPECT_FALSE(part.startsWith(QLatin1Char('.'))) << folder.toStdString();
}

// Within one run no track takes a name an earlier track of the run was given.
TEST(RipRunNamesTest, ANameGivenOutAlreadyGetsTheTrackNumber) {
    TRipRunNames run;
    EXPECT_EQ(run.Claim("/r/Band-Album", ".mp3", "01"), QStringLiteral("/r/Band-Album.mp3"));
    EXPECT_EQ(run.Claim("/r/Band-Album", ".mp3", "02"), QStringLiteral("/r/Band-Album-02.mp3"));
    EXPECT_EQ(run.Claim("/r/Band-Album", ".mp3", "03"), QStringLiteral("/r/Band-Album-03.mp3"));
    EXPECT_EQ(run.Claim("/r/Song", ".ogg", "04"), QStringLiteral("/r/Song.ogg"));
    EXPECT_EQ(run.Claim("/r/Song-04", ".ogg", "05"), QStringLiteral("/r/Song-04.ogg"));
    EXPECT_EQ(run.Claim("/r/Song", ".ogg", "04"), QStringLiteral("/r/Song-04-2.ogg"));
    // Another extension is another name.
    EXPECT_EQ(run.Claim("/r/Band-Album", ".wav", "06"), QStringLiteral("/r/Band-Album.wav"));
    TRipRunNames next;
    EXPECT_EQ(next.Claim("/r/Band-Album", ".mp3", "01"), QStringLiteral("/r/Band-Album.mp3"));
}

TEST(FieldTest, FieldsAreFoundOnlyBeforeASeparator) {
    EXPECT_EQ(FieldOfList("0,4,", 1), QStringLiteral("0"));
    EXPECT_EQ(FieldOfList("0,4,", 2), QStringLiteral("4"));
    EXPECT_EQ(FieldOfList("0,4,", 3), QString());
    EXPECT_EQ(FieldOfList("0,4,", 0), QString());
    EXPECT_EQ(FieldOfList("0,4,", -1), QString());
    EXPECT_EQ(FieldOfList("12,,7,", 2), QString());
    EXPECT_EQ(FieldOfList("12,,7,", 3), QStringLiteral("7"));
    EXPECT_EQ(FieldOfDate("2026-12-08", 1), QStringLiteral("2026"));
    EXPECT_EQ(FieldOfDate("2026-12-08", 2), QStringLiteral("12"));
    EXPECT_EQ(FieldOfDate("2026-12-08", 3), QString());
    EXPECT_EQ(FieldOfTime("1,2:3", 1), QStringLiteral("1,2"));
    const QString time = TimeTextWithColon(QDateTime(QDate(2026, 12, 8), QTime(7, 5, 9)));
    EXPECT_EQ(time, QStringLiteral("07:05:09:"));
    EXPECT_EQ(FieldOfTime(time, 1), QStringLiteral("07"));
    EXPECT_EQ(FieldOfTime(time, 3), QStringLiteral("09"));
    EXPECT_EQ(FieldOfTime(time, 4), QString());
}

TEST(FieldTest, TwoDigitNumbers) {
    EXPECT_EQ(TwoDigitNumber(0), QStringLiteral("00"));
    EXPECT_EQ(TwoDigitNumber(7), QStringLiteral("07"));
    EXPECT_EQ(TwoDigitNumber(9), QStringLiteral("09"));
    EXPECT_EQ(TwoDigitNumber(10), QStringLiteral("10"));
    EXPECT_EQ(TwoDigitNumber(12), QStringLiteral("12"));
    EXPECT_EQ(TwoDigitNumber(99), QStringLiteral("99"));
}

} // namespace
