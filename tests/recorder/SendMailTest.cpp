#include "common/GlobeVar.h"
#include "platform/Shell.h"
#include "platform/SimpleMapi.h"
#include "platform/UserMessages.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Puts a stand-in xdg-email first on PATH that records its arguments, one per line.
class SendMail : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray oldPath = qgetenv("PATH");

    void installStandIn(int exitCode, const QString& name = "xdg-email") {
        const QString script = dir.filePath(name);
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // Written aside and renamed: the file is whole once it is there.
        const QByteArray args = dir.filePath("args").toUtf8();
        f.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + args + ".part\"\nmv \"" +
                args + ".part\" \"" + args + "\"\nexit " + QByteArray::number(exitCode) + "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", dir.path().toUtf8() + ":" + oldPath);
    }
    // What the stand-in was called with, once it has run (nothing waits for the mail client).
    QStringList recorded() {
        const QDeadlineTimer deadline(10000);
        while (!QFile::exists(dir.filePath("args")) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QFile f(dir.filePath("args"));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    QString makeFile(const QString& name) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write("x");
        return f.fileName();
    }
    // Runs the event loop until something was said or `ms` passed.
    static void waitForWord(const TScriptedMessages& script, int ms = 10000) {
        const QDeadlineTimer deadline(ms);
        while (script.Log.isEmpty() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    void TearDown() override { qputenv("PATH", oldPath); }
};

} // namespace

TEST_F(SendMail, NoRecipientWithoutToAndAttachmentsStopAtTheFirstGap) {
    installStandIn(0);
    const QString a0 = makeFile("take one.wav");
    const QString a2 = makeFile("take3.wav");
    const unsigned long rc = GlobeVar::SendMailByMapi(
        nullptr, {"to=", "subject=Share with you", "body=Hi", "attachment0=" + a0, "attachment2=" + a2});
    EXPECT_EQ(rc, SimpleMapi::SuccessSuccess);
    EXPECT_EQ(recorded(),
              QStringList({"--utf8", "--subject", "Share with you", "--body", "Hi", "--attach", a0}));
}

TEST_F(SendMail, RecipientSubjectOnlyWhenGiven) {
    installStandIn(0);
    GlobeVar::SendMailByMapi(nullptr, {"to=ann@example.org", "subject=", "body="});
    EXPECT_EQ(recorded(), QStringList({"--utf8", "ann@example.org"}));
}

// Nothing waits for the desktop's helpers; when one is missing or fails, the user is told what
// could not be mailed or opened.
TEST_F(SendMail, AFailingOrMissingHelperIsTold) {
    TScriptedMessages script;
    const QString take = makeFile("take.wav");
    installStandIn(3);
    EXPECT_EQ(GlobeVar::SendMailByMapi(nullptr, {"subject=x", "attachment0=" + take}),
              SimpleMapi::SuccessSuccess);
    waitForWord(script);
    EXPECT_EQ(script.Errors(),
              QStringList({"Unable to mail " + take + ": xdg-email ended with exit code 3"}));

    script.Clear();
    qputenv("PATH", dir.filePath("nothing-here").toUtf8());
    EXPECT_EQ(GlobeVar::SendMailByMapi(nullptr, {"subject=x"}), SimpleMapi::Failure);
    EXPECT_EQ(script.Errors(), QStringList({"Unable to open the mail program: xdg-email is not installed"}));

    script.Clear();
    installStandIn(0);
    QFile::remove(dir.filePath("args"));
    EXPECT_EQ(GlobeVar::SendMailByMapi(nullptr, {"attachment0=/no/such/file.wav"}),
              SimpleMapi::AttachmentNotFound);
    EXPECT_EQ(script.Errors(), QStringList({"Unable to mail /no/such/file.wav: it does not exist"}));
    EXPECT_FALSE(QFile::exists(dir.filePath("args")));

    // Opening a folder or a help page: the opener's failure, or its absence, is told.
    script.Clear();
    installStandIn(4, "xdg-open");
    EXPECT_TRUE(ShellOpen(dir.path()));
    waitForWord(script);
    EXPECT_EQ(script.Errors(),
              QStringList({"Unable to open " + dir.path() + ": xdg-open ended with exit code 4"}));
    script.Clear();
    qputenv("PATH", dir.filePath("nothing-here").toUtf8());
    EXPECT_FALSE(ShellOpen(take));
    EXPECT_EQ(script.Errors(), QStringList({"Unable to open " + take + ": xdg-open is not installed"}));
    script.Clear();
    EXPECT_FALSE(ShellOpen(dir.filePath("VidezevaHelp.html")));
    EXPECT_EQ(script.Errors(),
              QStringList({"Unable to open " + dir.filePath("VidezevaHelp.html") + ": it does not exist"}));
}
