#include "platform/SimpleMapi.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

namespace SimpleMapi {

QStringList commandArguments(const Message& message) {
    QStringList args{QStringLiteral("--utf8")};
    if (!message.subject.isEmpty()) args << QStringLiteral("--subject") << message.subject;
    if (!message.noteText.isEmpty()) args << QStringLiteral("--body") << message.noteText;
    for (const Attachment& a : message.attachments)
        args << QStringLiteral("--attach") << a.pathName;
    for (const Recipient& r : message.recipients) {
        QString address = r.address;
        if (address.startsWith(QStringLiteral("SMTP:"), Qt::CaseInsensitive)) address = address.mid(5);
        args << address;
    }
    return args;
}

unsigned long sendMail(const Message& message, unsigned long /*flags*/) {
    for (const Attachment& a : message.attachments)
        if (!QFileInfo::exists(a.pathName)) return AttachmentNotFound;

    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(QStringLiteral("xdg-email"));
    process->setArguments(commandArguments(message));
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted(5000)) {
        delete process;
        return Failure;
    }
    // xdg-email hands over to the mail program and usually returns at once. A client that keeps it
    // waiting has been started all the same: leave it running and free the handle when it ends.
    if (process->waitForFinished(2000)) {
        const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
        delete process;
        return ok ? SuccessSuccess : Failure;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return SuccessSuccess;
}

} // namespace SimpleMapi
