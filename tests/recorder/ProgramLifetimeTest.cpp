// The recorder as main() runs it, from its first window to its exit: a choice made in the main
// window reaches the settings file when the window closes, the schedule file is written beside it,
// every thread the program started has ended, a settings or schedule file that cannot be read
// or written costs one message and nothing else, and an audio device whose pipe loses its reader
// ends the recording or playback with a message instead of the program.
#include "platform/ProfileFile.h"
#include "recorder/Main.h"
#include "recorder/RecorderWindows.h"
#include "tests/support/ProgramRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <csignal>

#include <sys/stat.h>

namespace {

// A capture line that reads silence and a speaker that plays into nothing, in an ALSA
// configuration of the test's own, so the main window finds its input device.
class TestDevices {
public:
    explicit TestDevices(const QString& folder) {
        QFile conf(folder + "/asound.conf");
        conf.open(QIODevice::WriteOnly);
        conf.write(
            "pcm.null { type null }\n"
            "pcm.line { type file slave.pcm null file \"/dev/null\" infile \"/dev/zero\" format \"raw\""
            " hint { show on description \"Test line\" } }\n"
            "pcm.!default { type asym capture.pcm line playback.pcm null }\n");
        conf.close();
        qputenv("ALSA_CONFIG_PATH", conf.fileName().toUtf8());
        snd_config_update_free_global();
    }
    ~TestDevices() {
        qunsetenv("ALSA_CONFIG_PATH");
        snd_config_update_free_global();
    }
};

void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
    f.write(bytes);
}

void click(QWidget* window, const char* name) {
    auto* w = window->findChild<QWidget*>(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
}

// Closes the main window with its own close button, as the user does.
void closeMain(ProgramWindows& windows) {
    click(windows.find<Videzeva::TfrmMain>(), "btnAppClose");
}

struct FormatChoice {
    const char* name;
    const char* settingsBefore; // the settings file the program starts with; none: the first run
    const char* button;         // the output format button pressed in the main window
    int selected;               // what the file must say afterwards
};

class RecorderLifetime : public ::testing::TestWithParam<FormatChoice> {};

} // namespace

TEST_P(RecorderLifetime, TheExitSavesSettingsAndScheduleAndEndsEveryThread) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TestDevices devices(dir.path());
    const QString app = dir.path() + "/app/";
    ASSERT_TRUE(QDir().mkpath(app));
    if (GetParam().settingsBefore) writeFile(app + "VidezevaCfg.ini", GetParam().settingsBefore);

    const ProgramRun run = RunProgramIn(RecorderProgram(), app, [](ProgramWindows& windows) {
        click(windows.find<Videzeva::TfrmMain>(), GetParam().button);
        closeMain(windows);
    });

    ASSERT_TRUE(run.acted);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.messages.isEmpty()) << run.messages.join('\n').toStdString();
    const ProfileFile cfg(app + "VidezevaCfg.ini");
    EXPECT_EQ(cfg.readInteger("OutputFormat", "Selected", -1), GetParam().selected);
    EXPECT_EQ(cfg.readInteger("OutputFormat", "WmaFormat", -1), GetParam().settingsBefore ? 0 : 14);
    EXPECT_EQ(cfg.readInteger("Hotkey", "StartHotKey1", -1), 28);
    EXPECT_EQ(cfg.readSection("Hotkey").size(), 12);
    EXPECT_EQ(cfg.readString("Mail", "Body", QString()), GetParam().settingsBefore ? "" : "48692C");
    EXPECT_FALSE(cfg.readString("Device", "InputDevice", QString()).isEmpty());
    const ProfileFile schedule(app + "Current.tqd");
    EXPECT_EQ(schedule.readInteger("Schedule", "Number", -1), 0);
    // The hot-key thread, the picture decoder's work and any device thread are gone.
    EXPECT_LE(run.threadsAfter, run.threadsBefore) << run.threadNames.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Runs, RecorderLifetime,
                         ::testing::Values(FormatChoice{"WavOverAStoredMp3", "[OutputFormat]\nSelected=1\n",
                                                        "rbOutputWav", 0},
                                           FormatChoice{"Mp3OnTheFirstRun", nullptr, "rbOutputMp3", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

// A settings location that refuses its files in one way; `prepare` makes it in `dir` and returns the
// program folder, `file` names the file the one message must name.
struct RefusedFile {
    const char* name;
    std::function<QString(const QString& dir)> prepare;
    std::function<QString(const QString& app)> file;
};

class RecorderRefusedFile : public ::testing::TestWithParam<RefusedFile> {};

QString ordinaryFolder(const QString& dir) {
    QDir().mkpath(dir + "/app");
    return dir + "/app/";
}

} // namespace

TEST_P(RecorderRefusedFile, OneMessageNamesTheFileAndTheProgramRunsOnItsDefaults) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TestDevices devices(dir.path());
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    const QString app = GetParam().prepare(dir.path());

    const ProgramRun run = RunProgramIn(RecorderProgram(), app, [](ProgramWindows& windows) {
        auto* main = windows.find<Videzeva::TfrmMain>();
        EXPECT_TRUE(main->isVisible());
        closeMain(windows);
    });
    if (config.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);

    ASSERT_TRUE(run.acted) << "the main window never came up";
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.messages.size(), 1) << run.messages.join('\n').toStdString();
    EXPECT_TRUE(run.messages[0].contains(GetParam().file(app))) << run.messages[0].toStdString();
    EXPECT_LE(run.threadsAfter, run.threadsBefore) << run.threadNames.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Locations, RecorderRefusedFile,
                         ::testing::Values(
                             // Neither the program folder nor the configuration folder can hold a new file
                             // (both lie under a plain file, which refuses them whoever runs the test).
                             RefusedFile{"NoFolderTakesAFile",
                                         [](const QString& dir) {
                                             writeFile(dir + "/plain", "not a folder");
                                             qputenv("XDG_CONFIG_HOME", (dir + "/plain/config").toUtf8());
                                             return dir + "/plain/app/";
                                         },
                                         [](const QString& app) {
                                             return app.section('/', 0, -3) + "/config/" +
                                                    ProgramPaths::programFileName() + "/VidezevaCfg.ini";
                                         }},
                             RefusedFile{"SettingsFileADanglingLink",
                                         [](const QString& dir) {
                                             const QString app = ordinaryFolder(dir);
                                             QFile::link(dir + "/gone/VidezevaCfg.ini",
                                                         app + "VidezevaCfg.ini");
                                             return app;
                                         },
                                         [](const QString& app) { return app + "VidezevaCfg.ini"; }},
                             RefusedFile{"SettingsFileAFolder",
                                         [](const QString& dir) {
                                             const QString app = ordinaryFolder(dir);
                                             QDir().mkpath(app + "VidezevaCfg.ini");
                                             return app;
                                         },
                                         [](const QString& app) { return app + "VidezevaCfg.ini"; }},
                             RefusedFile{"ScheduleFileAFolderOnTheFirstRun",
                                         [](const QString& dir) {
                                             const QString app = ordinaryFolder(dir);
                                             QDir().mkpath(app + "Current.tqd");
                                             return app;
                                         },
                                         [](const QString& app) { return app + "Current.tqd"; }},
                             RefusedFile{"ScheduleFileAPipe",
                                         [](const QString& dir) {
                                             const QString app = ordinaryFolder(dir);
                                             writeFile(app + "VidezevaCfg.ini",
                                                       "[OutputFormat]\nSelected=2\n");
                                             mkfifo(QFile::encodeName(app + "Current.tqd").constData(), 0600);
                                             return app;
                                         },
                                         [](const QString& app) { return app + "Current.tqd"; }}),
                         [](const auto& info) { return std::string(info.param.name); });

// A schedule file that refuses its writes on the first run leaves a whole settings file beside it.
TEST(RecorderRefusedSchedule, TheSettingsFileIsWrittenWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TestDevices devices(dir.path());
    const QString app = ordinaryFolder(dir.path());
    ASSERT_TRUE(QDir().mkpath(app + "Current.tqd"));
    const ProgramRun run = RunProgramIn(RecorderProgram(), app, closeMain);
    ASSERT_TRUE(run.acted);
    const ProfileFile cfg(app + "VidezevaCfg.ini");
    EXPECT_EQ(cfg.readString("Mail", "Subject", QString()), "Share");
    EXPECT_EQ(cfg.readInteger("AutoStop", "TimeSecond", -1), 30);
    EXPECT_EQ(cfg.readInteger("OutputFormat", "Selected", -1), 0);
}

// Devices that write into a command (the ALSA file plugin's "|command") whose reader goes away
// after a few hundred milliseconds: the capture line's copy and the speaker. The program, started
// in a process where SIGPIPE has its default action (which ends a process that writes into a pipe
// without reader; a program without the fix takes this test program with it), lives on: the
// recording ends with its message and keeps what came, its playback ends with its message, and the
// program closes as usual.
TEST(RecorderDevices, APipeWhoseReaderGoesEndsTheJobWithAMessageAndNotTheProgram) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString app = dir.path() + "/app/";
    ASSERT_TRUE(QDir().mkpath(app));
    QFile conf(dir.path() + "/asound.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("pcm.null { type null }\n"
               "pcm.line { type file slave.pcm null file \"|head -c 200000 >/dev/null\" infile \"/dev/zero\""
               " format \"raw\" }\n"
               "pcm.speaker { type file slave.pcm null file \"|head -c 50000 >/dev/null\" format \"raw\" }\n"
               "pcm.!default { type asym capture.pcm line playback.pcm speaker }\n");
    conf.close();
    qputenv("ALSA_CONFIG_PATH", conf.fileName().toUtf8());
    snd_config_update_free_global();
    void (*const before)(int) = std::signal(SIGPIPE, SIG_DFL);
    qint64 kept = 0;
    const ProgramRun run = RunProgramIn(RecorderProgram(), app, [&](ProgramWindows& windows) {
        auto* main = windows.find<Videzeva::TfrmMain>();
        main->btnRecordClick();
        EXPECT_TRUE(main->Recording());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !main->Recording(); }, 10000)) << "still recording";
        kept = QFileInfo(main->RecordFileName()).size();
        main->PlayRecording(main->RecordFileName());
        EXPECT_TRUE(main->Playing());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !main->Playing(); }, 10000)) << "still playing";
        closeMain(windows);
    });
    std::signal(SIGPIPE, before);
    qunsetenv("ALSA_CONFIG_PATH");
    snd_config_update_free_global();
    ASSERT_TRUE(run.acted);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_GT(kept, 100000) << "the recording kept too little of what came before the pipe went";
    ASSERT_EQ(run.messages.size(), 2) << run.messages.join(" | ").toStdString();
    EXPECT_TRUE(run.messages[0].startsWith("Recording stopped: the audio device"))
        << run.messages[0].toStdString();
    EXPECT_TRUE(run.messages[1].startsWith("Playback stopped: the audio device"))
        << run.messages[1].toStdString();
}
