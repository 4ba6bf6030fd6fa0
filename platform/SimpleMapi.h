#pragma once

#include <QString>
#include <QStringList>

// Sending one message through the user's mail client (the desktop's `xdg-email`): the client opens
// a compose window with the recipient, subject, body and attachments filled in.
namespace SimpleMapi {

enum Result : unsigned long {
    SuccessSuccess = 0,
    UserAbort = 1,
    Failure = 2,
    AttachmentNotFound = 11,
};

enum Flags : unsigned long { LogonUi = 0x1, NewSession = 0x2, Dialog = 0x8 };

struct Recipient {
    QString name;
    QString address; // "SMTP:" + address
};

struct Attachment {
    QString pathName;
    QString fileName;
};

struct Message {
    QString subject;
    QString noteText;
    QList<Recipient> recipients;
    QList<Attachment> attachments;
};

// The command line `xdg-email` is called with for `message` (exposed for checking).
QStringList commandArguments(const Message& message);

// Starts the mail client without waiting for it. SuccessSuccess when `xdg-email` was started;
// Failure when it is not installed; AttachmentNotFound when an attachment is missing. Every failure,
// also one `xdg-email` reports when it ends, is told to the user (ReportError).
unsigned long sendMail(const Message& message, unsigned long flags);

} // namespace SimpleMapi
