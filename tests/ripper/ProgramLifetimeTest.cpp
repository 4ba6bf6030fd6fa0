// The ripper as main() runs it, from its first window to its exit: the disc-database server chosen
// in the options window and left with Cancel reaches the settings file at exit, in one write with
// the main window's own section (not written when the main window closes); every thread the
// program started has ended; a settings folder that takes no file, or a file that refuses the write
// at exit, costs one message and nothing else.
#include "common/DialogControls.h"
#include "platform/ProfileFile.h"
#include "ripper/Main.h"
#include "ripper/Options.h"
#include "ripper/RipperWindows.h"
#include "tests/support/ProgramRun.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// The file's inode: a whole write of a settings file puts a new file in the old one's place.
ino_t inode(const QString& file) {
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : 0;
}

void click(QWidget* window, const char* name) {
    auto* w = window->findChild<QWidget*>(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

// No drive (an empty configuration folder lists none) and no sound device.
class RipperLifetime : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        config = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
        qputenv("ALSA_CONFIG_PATH", dir.filePath("none.conf").toUtf8());
        snd_config_update_free_global();
    }
    void TearDown() override {
        if (config.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", config);
        qunsetenv("ALSA_CONFIG_PATH");
        snd_config_update_free_global();
    }
    QTemporaryDir dir;
    QByteArray config;
};

} // namespace

TEST_F(RipperLifetime, TheServerLeftWithCancelIsSavedAtExitAndEveryThreadEnds) {
    const QString app = dir.filePath("app") + '/';
    ASSERT_TRUE(QDir().mkpath(app));
    const QString file = app + "DuzivuzCfg.ini";
    int shownServer = -1;
    const ProgramRun run = RunProgramIn(RipperProgram(), app, [&](ProgramWindows& windows) {
        auto* main = windows.find<Duzivuz::TfrmMain>();
        // The options window is modal: it is answered from inside its own loop.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* options = qobject_cast<Duzivuz::TfrmOptions*>(QApplication::activeModalWidget());
            if (!options) return;
            poll.stop();
            QComboBox* server = NativeCombo(options->findChild<QObject*>(QStringLiteral("cmbFreeDBServer")));
            shownServer = server->currentIndex();
            server->setCurrentIndex(4);
            click(options, "btnOptionCancel");
        });
        poll.start(5);
        click(main, "btnOptions");
        const ino_t firstRun = inode(file);
        ASSERT_NE(firstRun, 0u) << "the first run writes the file";
        click(main, "btnAppClose");
        // The main window's section waits for the one write at exit.
        EXPECT_EQ(inode(file), firstRun);
        EXPECT_FALSE(ProfileFile(file).sectionExists("RSettings"));
    });

    ASSERT_TRUE(run.acted);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.messages.isEmpty()) << run.messages.join('\n').toStdString();
    EXPECT_EQ(shownServer, 1) << "the first run's server";
    const ProfileFile cfg(file);
    EXPECT_EQ(cfg.readInteger("FreeDB", "Server", -1), 4);
    EXPECT_EQ(cfg.readInteger("FreeDB", "Port", -1), 80);
    EXPECT_EQ(cfg.readInteger("OutputFormat", "WmaFormat", -1), 14);
    EXPECT_EQ(cfg.readInteger("RSettings", "ROutputFormat", -1), 1);
    EXPECT_EQ(cfg.readString("RSettings", "ROutPutPath", QString()), app);
    EXPECT_LE(run.threadsAfter, run.threadsBefore) << run.threadNames.toStdString();
}

TEST_F(RipperLifetime, ASettingsFolderThatTakesNoFileCostsOneMessage) {
    // The program folder and the configuration folder lie under a plain file: no file can be made in
    // either, whoever runs the test.
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("XDG_CONFIG_HOME", dir.filePath("plain/config").toUtf8());
    const ProgramRun run =
        RunProgramIn(RipperProgram(), dir.filePath("plain/app"), [](ProgramWindows& windows) {
            click(windows.find<Duzivuz::TfrmMain>(), "btnAppClose");
        });
    ASSERT_TRUE(run.acted) << "the main window never came up";
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.messages.size(), 1) << run.messages.join('\n').toStdString();
    EXPECT_TRUE(run.messages[0].contains(dir.filePath("plain/config/") + ProgramPaths::programFileName() +
                                         "/DuzivuzCfg.ini"))
        << run.messages[0].toStdString();
    EXPECT_LE(run.threadsAfter, run.threadsBefore) << run.threadNames.toStdString();
}

TEST_F(RipperLifetime, AFileThatRefusesTheWriteAtExitIsToldOnce) {
    const QString app = dir.filePath("app") + '/';
    ASSERT_TRUE(QDir().mkpath(app));
    const QString file = app + "DuzivuzCfg.ini";
    const ProgramRun run = RunProgramIn(RipperProgram(), app, [&](ProgramWindows& windows) {
        // A folder in the file's place refuses every write, whoever runs the test.
        ASSERT_TRUE(QFile::remove(file));
        ASSERT_TRUE(QDir().mkpath(file));
        click(windows.find<Duzivuz::TfrmMain>(), "btnAppClose");
    });
    ASSERT_TRUE(run.acted);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.messages.size(), 1) << run.messages.join('\n').toStdString();
    EXPECT_EQ(run.messages[0], "Unable to write to " + file);
}
