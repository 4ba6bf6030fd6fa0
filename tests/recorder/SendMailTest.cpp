#include "common/GlobeVar.h"
#include "platform/SimpleMapi.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Puts a stand-in xdg-email first on PATH that records its arguments, one per line.
class SendMail : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray oldPath = qgetenv("PATH");

    void installStandIn(int exitCode) {
        const QString script = dir.filePath("xdg-email");
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                dir.filePath("args").toUtf8() + "\"\nexit " + QByteArray::number(exitCode) + "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", dir.path().toUtf8() + ":" + oldPath);
    }
    QStringList recorded() {
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

TEST_F(SendMail, ResultSaysWhetherTheClientCouldBeStarted) {
    installStandIn(3);
    EXPECT_EQ(GlobeVar::SendMailByMapi(nullptr, {"subject=x"}), SimpleMapi::Failure);
    qputenv("PATH", dir.filePath("nothing-here").toUtf8());
    EXPECT_EQ(GlobeVar::SendMailByMapi(nullptr, {"subject=x"}), SimpleMapi::Failure);
    installStandIn(0);
    QFile::remove(dir.filePath("args"));
    EXPECT_EQ(GlobeVar::SendMailByMapi(nullptr, {"attachment0=/no/such/file.wav"}),
              SimpleMapi::AttachmentNotFound);
    EXPECT_TRUE(recorded().isEmpty());
}
