// Starting the built programs: one instance per program file name.
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class ProgramStart : public ::testing::TestWithParam<const char*> {
protected:
    QTemporaryDir runtime;
    QProcessEnvironment env() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("XDG_RUNTIME_DIR", runtime.path());
        return e;
    }
    void start(QProcess& p) {
        p.setProcessEnvironment(env());
        p.setProgram(QStringLiteral(SUITE_BIN_DIR "/") + GetParam());
        p.start();
        ASSERT_TRUE(p.waitForStarted(5000));
    }
    // Still running after a while: it got past the guard and runs its message loop.
    static bool keepsRunning(QProcess& p) { return !p.waitForFinished(1500); }
};

} // namespace

TEST_P(ProgramStart, SecondCopyEndsSilentlyAndACrashDoesNotBlockTheNext) {
    QProcess first;
    start(first);
    ASSERT_TRUE(keepsRunning(first)) << first.readAllStandardError().toStdString();

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(5000)) << "second copy did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    first.waitForFinished(5000);

    QProcess third;
    start(third);
    EXPECT_TRUE(keepsRunning(third));
    third.kill();
    third.waitForFinished(5000);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgramStart, ::testing::Values("Videzeva", "Duzivuz"));
