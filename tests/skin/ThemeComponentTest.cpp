// Theme components: the ThemeFile assignment (search, errors, damaged files, re-assignment walk),
// lookups, and embedded themes through temporary files.
#include "SkinTestSupport.h"
#include "platform/ProgramPaths.h"
#include "skin/SKMgr.h"
#include "skin/SKThemeWriter.h"
#include "skin/SKThemes.h"
#include "tests/support/ChildRun.h"
#include "tests/support/LittleEndian.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace SkinTest;

namespace {

QByteArray Theme(int borderWidth, bool transparent = false) {
    TskThemeFileWriter w;
    w.AddBitmap("ButtonImage", BmpBytes(225, 21));
    w.AddInt("FormBorderWidthInt", borderWidth);
    w.AddInt("FormBorderColor", 0x808080);
    w.AddBool("ButtonTransparentBool", transparent);
    return w.Data();
}

QByteArray Resource(const char* name) {
    QFile f(ThemeResourcePath(QString::fromLatin1(name)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A skinned control as far as the theme walk is concerned: counts FileTheme assignments.
class TskProbe : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
public:
    using QWidget::QWidget;
    TskFileTheme* FileTheme() const { return m_theme; }
    void SetFileTheme(TskFileTheme* t) {
        m_theme = t;
        ++assignments;
    }
    int assignments = 0;

private:
    QPointer<TskFileTheme> m_theme;
};

// The same, but its class name does not begin with "Tsk".
class PlainProbe : public TskProbe {
    Q_OBJECT
public:
    using TskProbe::TskProbe;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)) {
        m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

class ThemeComponentTest : public SkinTest::ScratchFolderTest {};

std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const ESkinError& e) {
        return e.what();
    }
    return "(nothing raised)";
}

// An 8-bit run-length compressed BMP file that states Width x Height in a few hundred bytes: eight
// rows of runs, then the end of the bitmap.
QByteArray Rle8Bmp(int width, int height) {
    QByteArray runs;
    for (int row = 0; row < 8; ++row) {
        for (int x = 0; x < width; x += 255) {
            runs += char(std::min(255, width - x));
            runs += char(row % 2);
        }
        runs += QByteArray(2, '\0'); // end of line
    }
    runs += QByteArray("\0\1", 2); // end of bitmap
    const QByteArray palette = LittleEndian32(0x000000) + LittleEndian32(0xFF00FF);
    const uint32_t offset = 14 + 40 + uint32_t(palette.size());
    return "BM" + LittleEndian32(offset + uint32_t(runs.size())) + LittleEndian32(0) +
           LittleEndian32(offset) + LittleEndian32(40) + LittleEndian32(uint32_t(width)) +
           LittleEndian32(uint32_t(height)) + LittleEndian16(1) + LittleEndian16(8) + LittleEndian32(1) +
           LittleEndian32(uint32_t(runs.size())) + LittleEndian32(2835) + LittleEndian32(2835) +
           LittleEndian32(2) + LittleEndian32(0) + palette + runs;
}

} // namespace

TEST_F(ThemeComponentTest, LookupsWithoutATheme) {
    TskFileTheme theme;
    EXPECT_FALSE(theme.CanUse());
    EXPECT_TRUE(theme.ThemeFile().isEmpty());
    EXPECT_EQ(theme.GetInt(TskSkinElement(17)), 0);
    EXPECT_EQ(theme.GetColor(TskSkinElement(16)), 0u);
    EXPECT_FALSE(theme.GetBool(TskSkinElement(2)));
    QImage g(2, 2, QImage::Format_RGB32);
    g.fill(Qt::red);
    const QImage before = g;
    theme.GetBitmap(TskSkinElement(1), g);
    EXPECT_EQ(g, before);
}

TEST_F(ThemeComponentTest, LoadsAndLooksUp) {
    TskFileTheme theme;
    const QString path = Put("a.skn", Theme(2, true));
    theme.SetThemeFile(path);
    EXPECT_TRUE(theme.CanUse());
    EXPECT_EQ(theme.ThemeFile(), path);
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 2);
    EXPECT_EQ(theme.GetColor(SkinElement::FormBorderColor), 0x808080u);
    EXPECT_TRUE(theme.GetBool(SkinElement::ButtonTransparentBool));
    // Entries the file lacks.
    EXPECT_EQ(theme.GetInt(SkinElement::FormRoundCornerInt), -1);
    EXPECT_EQ(theme.GetColor(SkinElement::MenuBarColor), 0xFFFFFFFFu);
    EXPECT_FALSE(theme.GetBool(SkinElement::TitleBarButtonTransparentBool));
    QImage g(2, 2, QImage::Format_RGB32);
    g.fill(Qt::red);
    const QImage before = g;
    theme.GetBitmap(SkinElement::CheckBoxImage, g);
    EXPECT_EQ(g, before);
    theme.GetBitmap(SkinElement::ButtonImage, g);
    EXPECT_EQ(g.size(), QSize(225, 21));
    theme.GetBitmap(SkinElement::ButtonImage, g, 3, 3);
    EXPECT_EQ(g.size(), QSize(75, 21));

    TskUIStyle style;
    EXPECT_TRUE(ResolveUIStyle(&theme, FromThemeFile, style));
    EXPECT_EQ(style, FromThemeFile);
    EXPECT_FALSE(ResolveUIStyle(&theme, WinXP, style));
    EXPECT_EQ(style, WinXP);
}

TEST_F(ThemeComponentTest, SameStringTwiceLoadsOnce) {
    TskFileTheme theme;
    const QString path = Put("same.skn", Theme(1));
    theme.SetThemeFile(path);
    ASSERT_TRUE(WriteBytes(path, Theme(4)));
    theme.SetThemeFile(path);
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 1); // not read again
    const QString other = dir.path() + "/./same.skn";
    theme.SetThemeFile(other); // another string: loaded
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 4);
    EXPECT_EQ(theme.ThemeFile(), other);
}

TEST_F(ThemeComponentTest, SearchesProgramHomeAndSystemFolders) {
    const QString name = QStringLiteral("skin-search-%1.skn").arg(getpid());
    const QString programCopy = ProgramPaths::programFolder() + name;
    const QString systemDir = ProgramPaths::systemFolder();
    const bool systemExisted = QDir(systemDir).exists();
    QDir().mkpath(systemDir);
    const QString systemCopy = ProgramPaths::withTrailingSeparator(systemDir) + name;
    QTemporaryDir home;
    ScopedEnv homeEnv("HOME", QFile::encodeName(home.path()));
    const QString homeCopy = ProgramPaths::withTrailingSeparator(home.path()) + name;
    // A bare name is looked for in the working folder first: keep that away from the program folder.
    QTemporaryDir workDir;
    const QString oldWorkDir = QDir::currentPath();
    QDir::setCurrent(workDir.path());

    ASSERT_TRUE(WriteBytes(systemCopy, Theme(3)));
    TskFileTheme theme;
    theme.SetThemeFile("/no/such/folder/" + name);
    EXPECT_EQ(theme.ThemeFile(), systemCopy);
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 3);

    ASSERT_TRUE(WriteBytes(homeCopy, Theme(2)));
    theme.SetThemeFile("/elsewhere/" + name);
    EXPECT_EQ(theme.ThemeFile(), homeCopy);
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 2);

    ASSERT_TRUE(WriteBytes(programCopy, Theme(1)));
    theme.SetThemeFile(name); // a bare name that exists only in the program folder
    EXPECT_EQ(theme.ThemeFile(), programCopy);
    EXPECT_TRUE(QFileInfo(theme.ThemeFile()).isAbsolute());
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 1);

    QFile::remove(programCopy);
    QFile::remove(systemCopy);
    if (!systemExisted) QDir().rmdir(systemDir);
    QDir::setCurrent(oldWorkDir);
}

TEST_F(ThemeComponentTest, MissingFileChangesNothing) {
    TskFileTheme theme;
    const QString path = Put("kept.skn", Theme(2));
    theme.SetThemeFile(path);
    theme.SetThemeFile(dir.filePath("nowhere-to-be-found.skn"));
    EXPECT_EQ(theme.ThemeFile(), path);
    EXPECT_TRUE(theme.CanUse());
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 2);
    theme.SetThemeFile(QString()); // an empty name finds nothing either
    EXPECT_EQ(theme.ThemeFile(), path);
    // A pipe or a device is no theme file: passed over at once, without reading (or waiting on) it.
    const QString fifo = dir.filePath("pipe.skn");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    theme.SetThemeFile(fifo);
    theme.SetThemeFile("/dev/zero");
    EXPECT_EQ(theme.ThemeFile(), path);
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 2);
}

TEST_F(ThemeComponentTest, InvalidSignatureRaisesAndKeepsThePreviousTheme) {
    TskFileTheme theme;
    const QString good = Put("good.skn", Theme(2));
    theme.SetThemeFile(good);
    const QString bad = Put("bad.skn", QByteArray("ZEVAVEV_TB\0\0 and more", 22));
    EXPECT_EQ(Message([&] { theme.SetThemeFile(bad); }), "Invalid skin file for ZEVAvev!");
    EXPECT_EQ(theme.ThemeFile(), good);
    EXPECT_TRUE(theme.CanUse());
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 2);
    EXPECT_TRUE(theme.CheckThemeFile(good));
    EXPECT_FALSE(theme.CheckThemeFile(bad));
}

TEST_F(ThemeComponentTest, DamagedFileKeepsThePreviousTheme) {
    TskFileTheme theme;
    const QString good = Put("good.skn", Theme(2));
    theme.SetThemeFile(good);
    QByteArray damaged = Theme(5);
    damaged.truncate(damaged.size() - 30); // signature fine, chain cut off
    const QString bad = Put("damaged.skn", damaged);
    EXPECT_THROW(theme.SetThemeFile(bad), ESkinError);
    EXPECT_EQ(theme.ThemeFile(), good);
    EXPECT_TRUE(theme.CanUse());
    EXPECT_EQ(theme.GetInt(SkinElement::FormBorderWidthInt), 2);
    QImage g;
    theme.GetBitmap(SkinElement::ButtonImage, g);
    EXPECT_EQ(g.size(), QSize(225, 21));
}

// A theme whose pictures state 4096 x 4096 each (a few kilobytes on disk, over a gigabyte once
// decoded) is refused at once with the reason, from a file and from embedded data, and the theme
// in use stays; measured in a child: the time the refusal takes and the memory it needs.
TEST_F(ThemeComponentTest, PicturesTooLargeOnceDecodedAreRefusedQuicklyKeepingTheTheme) {
    TskThemeFileWriter w;
    for (int e = 1; e <= SkinElement::Count; ++e) {
        const auto element = static_cast<TskSkinElement>(e);
        if (ThemeElementKind(element) == TskElementKind::Bitmap)
            w.AddBitmap(ThemeElementKey(element), Rle8Bmp(4096, 4096));
    }
    w.AddInt("FormBorderWidthInt", 9);
    const QByteArray hugeData = w.Data();
    ASSERT_LT(hugeData.size(), 30000);
    const QString huge = Put("huge.skn", hugeData);
    const QString good = Put("good.skn", Theme(2));
    // A picture of the same kind that fits is read: the bound is on memory, not on compression.
    const QString fits = Put("fits.skn", [] {
        TskThemeFileWriter one;
        one.AddBitmap("ButtonImage", Rle8Bmp(300, 40));
        return one.Data();
    }());
    const ChildResult r = runInChild(60, [&]() -> std::string {
        TskFileTheme theme;
        theme.SetThemeFile(fits);
        QImage picture;
        theme.GetBitmap(SkinElement::ButtonImage, picture);
        if (picture.size() != QSize(300, 40)) return "the small compressed picture was not read";
        theme.SetThemeFile(good);
        QElapsedTimer clock;
        clock.start();
        const std::string fromFile = Message([&] { theme.SetThemeFile(huge); });
        TskBuiltInFileTheme embedded;
        embedded.ReadSkinData(Resource("new.skn"));
        const std::string fromData = Message([&] { embedded.ReadSkinData(hugeData); });
        const qint64 ms = clock.elapsed();
        for (const std::string& m : {fromFile, fromData})
            if (m.find("is refused: its pictures would take") == std::string::npos ||
                m.find("more than the 64 MB") == std::string::npos)
                return "raised: " + m;
        if (fromFile.find(huge.toStdString()) == std::string::npos) return "no file named: " + fromFile;
        if (ms > 1000) return "the refusals took " + std::to_string(ms) + " ms";
        if (theme.ThemeFile() != good || theme.GetInt(SkinElement::FormBorderWidthInt) != 2)
            return "the theme in use changed";
        theme.GetBitmap(SkinElement::ButtonImage, picture);
        if (picture.size() != QSize(225, 21)) return "the theme in use lost its picture";
        if (embedded.GetInt(SkinElement::FormRoundCornerInt) != 13) return "the embedded theme changed";
        return {};
    });
    ASSERT_TRUE(r.ran) << r.failure;
    EXPECT_EQ(r.failure, "");
    EXPECT_LT(r.peakGrowthMb, 40);
}

TEST_F(ThemeComponentTest, ReassignsTheThemeToTheFormsSkinControls) {
    QWidget form;
    auto* theme = new TskFileTheme(&form);
    auto* other = new TskFileTheme(&form);
    auto* direct = new TskProbe(&form);
    auto* panel = new QWidget(&form);
    auto* nested = new TskProbe(panel); // owned by the form through a panel
    auto* plain = new PlainProbe(&form);
    auto* elsewhere = new TskProbe(&form);
    direct->SetFileTheme(theme);
    nested->SetFileTheme(theme);
    plain->SetFileTheme(theme);
    elsewhere->SetFileTheme(other);
    QWidget otherForm;
    auto* foreign = new TskProbe(&otherForm);
    foreign->SetFileTheme(theme);
    for (TskProbe* p : {direct, nested, static_cast<TskProbe*>(plain), elsewhere, foreign})
        p->assignments = 0;

    theme->SetThemeFile(Put("walk.skn", Theme(1)));
    EXPECT_EQ(direct->assignments, 1);
    EXPECT_EQ(nested->assignments, 1);
    EXPECT_EQ(plain->assignments, 0);     // class name does not begin with "Tsk"
    EXPECT_EQ(elsewhere->assignments, 0); // refers to another theme
    EXPECT_EQ(foreign->assignments, 0);   // on another form

    // A failed load walks nothing.
    EXPECT_THROW(theme->SetThemeFile(Put("bad.skn", "not a theme")), ESkinError);
    EXPECT_EQ(direct->assignments, 1);

    // A theme owned by something other than a form walks nothing.
    QObject owner;
    auto* loose = new TskFileTheme(&owner);
    direct->SetFileTheme(loose);
    direct->assignments = 0;
    loose->SetThemeFile(dir.filePath("walk.skn"));
    EXPECT_TRUE(loose->CanUse());
    EXPECT_EQ(direct->assignments, 0);

    // The removal notification: a control's reference clears when the theme goes.
    direct->SetFileTheme(other);
    delete other;
    EXPECT_EQ(direct->FileTheme(), nullptr);
    TskUIStyle style;
    EXPECT_FALSE(ResolveUIStyle(direct->FileTheme(), FromThemeFile, style));
    EXPECT_EQ(style, DeepBlue);
}

TEST_F(ThemeComponentTest, ManagerKeepsItsReaderUntilANewFileIsRead) {
    TskFileThemeMgr manager;
    EXPECT_FALSE(manager.HasReader());
    EXPECT_FALSE(manager.LoadFile(dir.filePath("missing.skn")));
    EXPECT_EQ(manager.GetInt(SkinElement::FormBorderWidthInt), 0);
    EXPECT_FALSE(manager.GetBool(SkinElement::ButtonTransparentBool));
    EXPECT_TRUE(manager.LoadFile(Put("m.skn", Theme(3, true))));
    EXPECT_EQ(manager.GetInt(SkinElement::FormBorderWidthInt), 3);
    EXPECT_TRUE(manager.GetBool(SkinElement::ButtonTransparentBool));
    EXPECT_FALSE(manager.LoadFile(dir.filePath("missing.skn"))); // keeps the current reader
    EXPECT_EQ(manager.GetInt(SkinElement::FormBorderWidthInt), 3);
    EXPECT_FALSE(manager.LoadFile(dir.path())); // a folder is no file
    EXPECT_THROW(manager.LoadData(QByteArray("ZEVAvev_TB\0\0", 12)), ESkinError);
    EXPECT_EQ(manager.GetInt(SkinElement::FormBorderWidthInt), 3);
    // A bitmap entry whose bytes are no picture leaves the graphic as it was.
    TskThemeFileWriter w;
    w.AddBitmap("ButtonImage", "BM not really a bitmap");
    manager.LoadData(w.Data());
    QImage g(1, 1, QImage::Format_RGB32);
    g.fill(Qt::blue);
    const QImage before = g;
    manager.GetBitmap(SkinElement::ButtonImage, g);
    EXPECT_EQ(g, before);
}

TEST_F(ThemeComponentTest, UniqueFileNames) {
    const QString base = dir.filePath("SKNTHEME.skn");
    EXPECT_EQ(GetUniqueFileName(base), base);
    WriteBytes(base, "x");
    EXPECT_EQ(GetUniqueFileName(base), dir.filePath("SKNTHEME1.skn"));
    WriteBytes(dir.filePath("SKNTHEME1.skn"), "x");
    EXPECT_EQ(GetUniqueFileName(base), dir.filePath("SKNTHEME2.skn"));
    // A link that points nowhere still takes its name.
    QFile::link(dir.filePath("gone"), dir.filePath("SKNTHEME2.skn"));
    EXPECT_EQ(GetUniqueFileName(base), dir.filePath("SKNTHEME3.skn"));
    // No extension; a dot in a folder name is not an extension.
    QDir().mkpath(dir.filePath("a.b"));
    WriteBytes(dir.filePath("a.b/plain"), "x");
    EXPECT_EQ(GetUniqueFileName(dir.filePath("a.b/plain")), dir.filePath("a.b/plain1"));
}

TEST_F(ThemeComponentTest, TwoEmbeddedThemesLeaveNoTemporaryFile) {
    QTemporaryDir temp;
    ScopedEnv tmp("TMPDIR", QFile::encodeName(temp.path()));
    ASSERT_EQ(ProgramPaths::withTrailingSeparator(QDir::tempPath()),
              ProgramPaths::withTrailingSeparator(temp.path()));

    QWidget form;
    auto* themeNew = new TskBuiltInFileTheme(&form);
    auto* themeMp10 = new TskBuiltInFileTheme(&form);
    auto* probe = new TskProbe(&form);
    probe->SetFileTheme(themeMp10);
    probe->assignments = 0;
    themeNew->ReadSkinData(Resource("new.skn"));
    themeMp10->setProperty("SkinData", Resource("mp10.skn")); // the same through the property
    EXPECT_TRUE(themeNew->CanUse());
    EXPECT_TRUE(themeMp10->CanUse());
    EXPECT_EQ(themeNew->GetInt(SkinElement::FormRoundCornerInt), 13);
    EXPECT_EQ(themeMp10->GetInt(SkinElement::FormBorderWidthInt), 2);
    EXPECT_EQ(themeMp10->GetColor(SkinElement::ControlBackgroundColor), 0xFF000014u);
    EXPECT_EQ(probe->assignments, 1);
    EXPECT_EQ(themeNew->LoadedThemeFile(), temp.filePath("SKNTHEME.skn"));
    EXPECT_EQ(themeMp10->LoadedThemeFile(), temp.filePath("SKNTHEME.skn"));
    EXPECT_TRUE(
        QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());

    // The theme stays usable with its file gone; loading the same data again still loads.
    QImage g;
    themeNew->GetBitmap(SkinElement::TitleBarButtonImage, g);
    EXPECT_EQ(g.size(), QSize(378, 21));
    themeNew->ReadSkinData(Resource("mp10.skn"));
    EXPECT_EQ(themeNew->GetInt(SkinElement::FormRoundCornerInt), 0);
}

TEST_F(ThemeComponentTest, DecodedPicturesAreKeptPerThemeUntilAnotherLoads) {
    TskBuiltInFileTheme theme, other;
    theme.ReadSkinData(Resource("new.skn"));
    other.ReadSkinData(Resource("new.skn"));
    QImage first, again, others;
    theme.GetBitmap(SkinElement::TitleBarButtonImage, first);
    theme.GetBitmap(SkinElement::TitleBarButtonImage, again);
    other.GetBitmap(SkinElement::TitleBarButtonImage, others);
    EXPECT_EQ(first.size(), QSize(378, 21));
    EXPECT_EQ(first.cacheKey(), again.cacheKey());  // decoded once
    EXPECT_NE(first.cacheKey(), others.cacheKey()); // each theme its own
    // A damaged file changes nothing, so the pictures stay.
    QByteArray damaged = Resource("mp10.skn");
    damaged.truncate(damaged.size() / 2);
    EXPECT_THROW(theme.ReadSkinData(damaged), ESkinError);
    theme.GetBitmap(SkinElement::TitleBarButtonImage, again);
    EXPECT_EQ(first.cacheKey(), again.cacheKey());
    // Another theme loaded into the same component (through the same temporary name) drops them.
    theme.ReadSkinData(Resource("mp10.skn"));
    theme.GetBitmap(SkinElement::TitleBarButtonImage, again);
    EXPECT_EQ(again.size(), QSize(450, 25));
    QImage piece;
    theme.GetBitmap(SkinElement::ButtonImage, piece, 3, 2);
    EXPECT_EQ(piece.size(), QSize(66, 25));
}

TEST_F(ThemeComponentTest, EmbeddedThemeNeverUsesAPreparedName) {
    QTemporaryDir temp;
    ScopedEnv tmp("TMPDIR", QFile::encodeName(temp.path()));
    // Someone else's file and a link prepared under the names the theme would pick.
    ASSERT_TRUE(WriteBytes(temp.filePath("SKNTHEME.skn"), "someone else's"));
    const QString target = temp.filePath("target-of-link");
    ASSERT_TRUE(QFile::link(target, temp.filePath("SKNTHEME1.skn")));

    TskBuiltInFileTheme theme;
    theme.ReadSkinData(Resource("new1.skn"));
    EXPECT_TRUE(theme.CanUse());
    EXPECT_EQ(theme.LoadedThemeFile(), temp.filePath("SKNTHEME2.skn"));
    EXPECT_EQ(ReadBytes(temp.filePath("SKNTHEME.skn")), "someone else's");
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(QFileInfo(temp.filePath("SKNTHEME1.skn")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(temp.filePath("SKNTHEME2.skn")));
}

TEST_F(ThemeComponentTest, InvalidEmbeddedDataRaisesAndLeavesNoFile) {
    QTemporaryDir temp;
    ScopedEnv tmp("TMPDIR", QFile::encodeName(temp.path()));
    TskBuiltInFileTheme theme;
    theme.ReadSkinData(Resource("new.skn"));
    EXPECT_EQ(Message([&] { theme.ReadSkinData("garbage"); }), "Invalid skin file for ZEVAvev!");
    QByteArray damaged = Resource("new2.skn");
    damaged.truncate(5000);
    EXPECT_THROW(theme.ReadSkinData(damaged), ESkinError);
    EXPECT_TRUE(
        QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    EXPECT_TRUE(theme.CanUse());
    EXPECT_EQ(theme.GetInt(SkinElement::FormRoundCornerInt), 13);
}

TEST_F(ThemeComponentTest, EmbeddedDataComesFromItsOwnThemeFile) {
    TskBuiltInFileTheme theme;
    EXPECT_FALSE(theme.HasSkinData());
    EXPECT_TRUE(theme.SkinData().isEmpty());
    const QString path = Put("embed.skn", Theme(3));
    theme.setProperty("ThemeFile", path); // the own string: stored, nothing loaded
    EXPECT_EQ(theme.ThemeFile(), path);
    EXPECT_FALSE(theme.CanUse());
    EXPECT_TRUE(theme.LoadedThemeFile().isEmpty());
    EXPECT_TRUE(theme.HasSkinData());
    EXPECT_EQ(theme.SkinData(), Theme(3));
    EXPECT_EQ(theme.property("SkinData").toByteArray(), Theme(3));
}

#include "ThemeComponentTest.moc"
