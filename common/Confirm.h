#pragma once

#include "platform/Form.h"
#include "platform/UserMessages.h"

#include <QPointer>
#include <QString>

class QLabel;
class TskButton;
class TskForm;

// The small question or message window both programs share: "&Yes"/"&No" gives 6/7 in question mode,
// the one button "&Ok" gives 7 in message mode, the window's close button 2 (cancel). Callers set the
// mode and the text before each show; the layout follows them at every show.
class TfrmConfirm : public TForm {
    Q_OBJECT
public:
    explicit TfrmConfirm(QWidget* owner = nullptr);

    void SetMessage(const QString& text) { Message = text; }
    void SetMessageOnly(uint8_t value) { MessageOnly = value; }

    QString Message;
    uint8_t MessageOnly = 0;

public Q_SLOTS:
    void skButton1Click();
    void skButton2Click();

protected:
    void FormShow() override;

private:
    QLabel* Label1;
    TskButton* skButton1;
    TskButton* skButton2;
    TskForm* skForm1;
};

// The program's question and message window as its channel (SetDialogMessages): a report in
// message mode, a question in question mode (Yes only for "&Yes"). Errors go to plain boxes, or
// with `errorsToo` to the window in message mode; whatever is said while the window is already
// open or after it is gone goes to plain boxes.
class TConfirmMessages : public TUserMessages {
public:
    explicit TConfirmMessages(TfrmConfirm* window, bool errorsToo = false)
        : m_window(window), m_errorsToo(errorsToo) {}

    void Tell(const QString& text, QWidget* from) override;
    bool Ask(const QString& question, QWidget* from) override;
    void Error(const QString& text, QWidget* from) override;

private:
    // The window, when it can take this message now.
    TfrmConfirm* free() const;

    QPointer<TfrmConfirm> m_window;
    bool m_errorsToo = false;
    TMessageBoxes m_boxes;
};

// Makes `window` the program's question and message window, for as long as the window lives.
void SpeakThrough(TfrmConfirm* window);
// The same, and the window also takes what would be a plain box (BoxMessages: reports, questions
// and errors), so that every message of the program draws in its skin.
void SpeakEverythingThrough(TfrmConfirm* window);
