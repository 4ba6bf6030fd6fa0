#include "platform/ProfileFile.h"
#include "tests/support/ChildRun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& name) {
    QFile f(name);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void writeAll(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class ProfileFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString name() const { return dir.filePath("Cfg.ini"); }
};

} // namespace

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndFirstWriteCreatesIt) {
    ProfileFile ini(name());
    EXPECT_EQ(ini.readString("Mail", "Subject", "dflt"), "dflt");
    EXPECT_EQ(ini.readInteger("OutputFormat", "WavFreq", 4), 4);
    EXPECT_TRUE(ini.readBool("A", "B", true));
    EXPECT_FALSE(QFile::exists(name()));
    ini.writeInteger("OutputFormat", "WavFreq", 6);
    EXPECT_TRUE(QFile::exists(name()));
    EXPECT_EQ(readAll(name()), "[OutputFormat]\nWavFreq=6\n");
}

TEST_F(ProfileFileTest, IntegersHexNonNumbersAndFlags) {
    writeAll(name(), "[S]\nDec=42\nNeg=-7\nHex=0x1F\nHexUpper=0XFF\nText=12abc\nEmpty=\nSpaced =  15  \n"
                     "BadHex=0x\nOne=1\nZero=0\nTwo=2\nWord=yes\n");
    ProfileFile ini(name());
    EXPECT_EQ(ini.readInteger("S", "Dec", 0), 42);
    EXPECT_EQ(ini.readInteger("S", "Neg", 0), -7);
    EXPECT_EQ(ini.readInteger("S", "Hex", 0), 31);
    EXPECT_EQ(ini.readInteger("S", "HexUpper", 0), 255);
    EXPECT_EQ(ini.readInteger("S", "Text", 99), 99);
    EXPECT_EQ(ini.readInteger("S", "Empty", 98), 98);
    EXPECT_EQ(ini.readInteger("S", "Spaced", 0), 15);
    EXPECT_EQ(ini.readInteger("S", "BadHex", 97), 97);
    EXPECT_TRUE(ini.readBool("S", "One", false));
    EXPECT_FALSE(ini.readBool("S", "Zero", true));
    EXPECT_TRUE(ini.readBool("S", "Two", false)); // any non-zero integer
    EXPECT_TRUE(ini.readBool("S", "Word", true)); // not a number: the default
    EXPECT_FALSE(ini.readBool("S", "Word", false));
    EXPECT_EQ(ini.readString("S", "Empty", "d"), ""); // present but empty is not missing

    ini.writeBool("S", "Flag", true);
    ini.writeBool("S", "Off", false);
    EXPECT_TRUE(readAll(name()).contains("Flag=1\n"));
    EXPECT_TRUE(readAll(name()).contains("Off=0\n"));
}

TEST_F(ProfileFileTest, SectionsAndKeysIgnoreCaseAndKeepTheirPlace) {
    writeAll(name(), "; settings\n[OutputFormat]\nWavFreq=1\n\n[Mail]\nSubject=Hi there\n");
    ProfileFile ini(name());
    EXPECT_EQ(ini.readInteger("outputformat", "WAVFREQ", 0), 1);
    EXPECT_EQ(ini.readString("MAIL", "subject", ""), "Hi there");
    ini.writeString("mail", "SUBJECT", "New");
    ini.writeInteger("OUTPUTFORMAT", "Mp3Freq", 3);
    // The existing line is replaced where it stands; a new key goes to the end of its section.
    EXPECT_EQ(readAll(name()), "; settings\n[OutputFormat]\nWavFreq=1\nMp3Freq=3\n\n[Mail]\nSUBJECT=New\n");
    EXPECT_TRUE(ini.sectionExists("mail"));
    EXPECT_TRUE(ini.valueExists("Mail", "subject"));
    EXPECT_EQ(ini.readSection("OutputFormat"), QStringList({"WavFreq", "Mp3Freq"}));
    EXPECT_EQ(ini.readSections(), QStringList({"OutputFormat", "Mail"}));
}

TEST_F(ProfileFileTest, EraseSectionRemovesItWhole) {
    writeAll(name(), "[A]\nx=1\n[Schedule]\nNumber=2\nUse0=1\n[B]\ny=2\n");
    ProfileFile ini(name());
    ini.eraseSection("schedule");
    EXPECT_EQ(readAll(name()), "[A]\nx=1\n[B]\ny=2\n");
    EXPECT_EQ(ini.readInteger("Schedule", "Number", -1), -1);
    ini.eraseSection("Missing"); // nothing to do, no error
    ini.writeInteger("Schedule", "Number", 0);
    EXPECT_EQ(ini.readInteger("Schedule", "Number", -1), 0);
}

TEST_F(ProfileFileTest, EveryWriteIsSeenByAnotherReaderAtOnce) {
    ProfileFile writer(name());
    ProfileFile reader(name());
    writer.writeString("S", "k", "1");
    EXPECT_EQ(reader.readString("S", "k", ""), "1");
    writer.writeString("S", "k", "2");
    EXPECT_EQ(reader.readString("S", "k", ""), "2");
}

TEST_F(ProfileFileTest, FileFromAnotherSystemCrLfAndLatin1) {
    QByteArray bytes = "[Device]\r\nInputDevice=Micr\xf3"
                       "fono\r\nInputLine=Line\r\n";
    writeAll(name(), bytes);
    ProfileFile ini(name());
    EXPECT_EQ(ini.readString("Device", "InputDevice", ""), QString::fromUtf8("Micr\xc3\xb3"
                                                                             "fono"));
    EXPECT_EQ(ini.readString("Device", "InputLine", ""), "Line");
    ini.writeString("Device", "InputLine", "Mic");
    // Rewritten as UTF-8 without losing the accented letter, keeping CR LF.
    EXPECT_EQ(readAll(name()), QByteArray("[Device]\r\nInputDevice=Micr\xc3\xb3"
                                          "fono\r\nInputLine=Mic\r\n"));
    EXPECT_EQ(ini.readString("Device", "InputDevice", ""), QString::fromUtf8("Micr\xc3\xb3"
                                                                             "fono"));
}

TEST_F(ProfileFileTest, ValuesAreNotTrimmedInsideAndTextsRoundTrip) {
    ProfileFile ini(name());
    ini.writeString("Mail", "Body", "48692C");
    ini.writeString("N", "Pre", "my rec = take");
    EXPECT_EQ(ini.readString("N", "Pre", ""), "my rec = take");
    EXPECT_EQ(ini.readString("Mail", "Body", ""), "48692C");
}

TEST_F(ProfileFileTest, RefusedWriteRaisesUnableToWrite) {
    if (geteuid() == 0) {
        // root writes anywhere: make the target a folder instead, which no one can write as a file.
        QDir(dir.path()).mkdir("Cfg.ini");
    } else {
        chmod(QFile::encodeName(dir.path()).constData(), 0500);
    }
    ProfileFile ini(name());
    try {
        ini.writeString("S", "k", "v");
        FAIL() << "no error";
    } catch (const ProfileWriteError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "Unable to write to " + name());
    }
    chmod(QFile::encodeName(dir.path()).constData(), 0700);
}

TEST_F(ProfileFileTest, FullDiskRaisesAndLeavesTheOldFileWhole) {
    // 8 KB of room: the old file takes one 4 KB page, the new one would need two.
    const QString folder = dir.filePath("disk");
    QDir().mkdir(folder);
    const ChildResult r = runOnSmallDisk(folder, 8192, [](const QString& folder) -> std::string {
        const QString file = folder + "/VidezevaCfg.ini";
        ProfileFile ini(file);
        ini.writeString("Paths", "Output", "/home/user/rec");
        const QByteArray before = readAll(file);
        try {
            ini.writeString("Paths", "Convert", QString(6000, u'x'));
            return "no error raised";
        } catch (const ProfileWriteError& e) {
            if (QString::fromUtf8(e.what()) != "Unable to write to " + file)
                return "wrong text: " + std::string(e.what());
        }
        if (readAll(file) != before) return "the old file changed: " + readAll(file).left(80).toStdString();
        if (QDir(folder).entryList(QDir::Files | QDir::Hidden).size() != 1)
            return "a half-written file was left";
        // Once there is room again, writing works.
        ini.writeString("Paths", "Convert", QString(100, u'y'));
        return ini.readString("Paths", "Convert", "") == QString(100, u'y') ? ""
                                                                            : "no write after the failure";
    });
    if (!r.ran) GTEST_SKIP() << r.failure;
    EXPECT_EQ(r.failure, "");
}

TEST_F(ProfileFileTest, LineBreaksEqualsInKeysAndBracketsInSectionsAreRefused) {
    writeAll(name(), "[Paths]\nOutput=/home/user/rec\n");
    const QByteArray before = readAll(name());
    ProfileFile ini(name());
    struct Case {
        QString section, key, value;
    };
    const Case cases[] = {
        {"Paths", "Output", "/home/user/new\n[Schedule]\nNumber=99"}, // a folder name with a line break
        {"Paths", "Output", "a\rb"},
        {"Paths", "Out\nput", "v"},
        {"Paths", "a=b", "v"},
        {"Pa]ths", "Output", "v"},
        {"Pa\nths", "Output", "v"},
        {"Paths", "", "v"},
        {"Paths", ";Output", "v"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.section + "/" + c.key + "=" + c.value).toStdString());
        try {
            ini.writeString(c.section, c.key, c.value);
            ADD_FAILURE() << "no error";
        } catch (const ProfileWriteError& e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), "Unable to write to " + name());
        }
        EXPECT_EQ(readAll(name()), before);
    }
    EXPECT_FALSE(ini.sectionExists("Schedule"));
    // What may be written reads back as written.
    ini.writeString("Pa[ths", "Out]put", "x = [y] ; z");
    EXPECT_EQ(ini.readString("Pa[ths", "Out]put", ""), "x = [y] ; z");
}

TEST_F(ProfileFileTest, AFifoNamedAsTheFileIsRefusedAtOnce) {
    ASSERT_EQ(mkfifo(QFile::encodeName(name()).constData(), 0600), 0);
    const QString file = name();
    const ChildResult r = runInChild(5, [&file]() -> std::string {
        ProfileFile ini(file);
        if (ini.readString("S", "k", "default") != "default") return "read";
        try {
            ini.writeString("S", "k", "v");
            return "no error";
        } catch (const ProfileWriteError&) {
        }
        return "";
    });
    EXPECT_EQ(r.failure, "");
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(name()).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO was replaced";
}

TEST(ProfileFileParse, IntegerTexts) {
    int v = 0;
    EXPECT_TRUE(ProfileFile::parseInteger("0x7FFFFFFF", v));
    EXPECT_EQ(v, INT_MAX);
    EXPECT_TRUE(ProfileFile::parseInteger("0xFFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_FALSE(ProfileFile::parseInteger("99999999999", v));
    EXPECT_FALSE(ProfileFile::parseInteger("1.5", v));
    EXPECT_FALSE(ProfileFile::parseInteger("0x-1", v));
}
