#include "platform/UserMessages.h"

#include "platform/UiThread.h"

#include <QApplication>
#include <QMessageBox>

namespace {

TMessageBoxes& plainBoxes() {
    static TMessageBoxes boxes;
    return boxes;
}

TUserMessages*& dialogChannel() {
    static TUserMessages* channel = nullptr;
    return channel;
}

TUserMessages*& boxChannel() {
    static TUserMessages* channel = nullptr;
    return channel;
}

// What a TMessagesInUse put in place of both channels.
TUserMessages*& channelInUse() {
    static TUserMessages* channel = nullptr;
    return channel;
}

int showBox(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
            QWidget* from) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, from);
    return box.exec();
}

} // namespace

void TMessageBoxes::Tell(const QString& text, QWidget* from) {
    showBox(QMessageBox::Information, text, QMessageBox::Ok, from);
}

bool TMessageBoxes::Ask(const QString& question, QWidget* from) {
    return showBox(QMessageBox::Question, question, QMessageBox::Yes | QMessageBox::No, from) ==
           QMessageBox::Yes;
}

void TMessageBoxes::Error(const QString& text, QWidget* from) {
    showBox(QMessageBox::Critical, text, QMessageBox::Ok, from);
}

TUserMessages& DialogMessages() {
    RequireUiThread("The message channel");
    if (channelInUse()) return *channelInUse();
    return dialogChannel() ? *dialogChannel() : plainBoxes();
}

void SetDialogMessages(TUserMessages* channel) {
    dialogChannel() = channel;
}

TUserMessages& BoxMessages() {
    RequireUiThread("The message channel");
    if (channelInUse()) return *channelInUse();
    return boxChannel() ? *boxChannel() : plainBoxes();
}

void SetBoxMessages(TUserMessages* channel) {
    boxChannel() = channel;
}

TMessagesInUse::TMessagesInUse(TUserMessages& channel) : m_previous(channelInUse()) {
    channelInUse() = &channel;
}

TMessagesInUse::~TMessagesInUse() {
    channelInUse() = m_previous;
}

void ReportError(const QString& text, QWidget* from) {
    RequireUiThread("ReportError");
    // The texts whose box is open now: a box runs a nested loop, in which the same fault may come
    // round again.
    static QStringList open;
    if (open.contains(text)) return;
    open.append(text);
    struct Closed {
        const QString& text;
        ~Closed() { open.removeOne(text); }
    } closed{text};
    BoxMessages().Error(text, from);
}

TScriptedMessages::TScriptedMessages() = default;

TScriptedMessages::~TScriptedMessages() = default;

void TScriptedMessages::Tell(const QString& text, QWidget*) {
    Log.append({Kind::Tell, text});
}

bool TScriptedMessages::Ask(const QString& question, QWidget*) {
    Log.append({Kind::Ask, question});
    if (Answers.empty()) return Otherwise;
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
}

void TScriptedMessages::Error(const QString& text, QWidget*) {
    Log.append({Kind::Error, text});
}

QStringList TScriptedMessages::Texts(Kind kind) const {
    QStringList texts;
    for (const Said& s : Log)
        if (s.kind == kind) texts << s.text;
    return texts;
}

QStringList TScriptedMessages::All() const {
    QStringList texts;
    for (const Said& s : Log)
        texts << s.text;
    return texts;
}

QString TScriptedMessages::Last() const {
    return Log.isEmpty() ? QString() : Log.back().text;
}
