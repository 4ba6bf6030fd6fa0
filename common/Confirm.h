#pragma once

#include "platform/Form.h"

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
