#include "platform/SimpleMapi.h"

#include "platform/Shell.h"
#include "platform/UserMessages.h"

#include <QFileInfo>

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
    const QString what = message.attachments.isEmpty()
                             ? QStringLiteral("Unable to open the mail program")
                             : QStringLiteral("Unable to mail %1").arg(message.attachments.first().pathName);
    for (const Attachment& a : message.attachments)
        if (!QFileInfo::exists(a.pathName)) {
            ReportError(QStringLiteral("Unable to mail %1: it does not exist").arg(a.pathName));
            return AttachmentNotFound;
        }
    // xdg-email hands over to the mail program; nothing waits for it. A failure it reports (no
    // mail program, a client that refused) is told when it ends.
    return RunDesktopHelper(QStringLiteral("xdg-email"), commandArguments(message), what) ? SuccessSuccess
                                                                                          : Failure;
}

} // namespace SimpleMapi
