#include "common/Confirm.h"

#include "common/DialogControls.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "skin/SKButton.h"
#include "skin/SKForm.h"

#include <QLabel>

TfrmConfirm::TfrmConfirm(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Videzeva/Confirm.form"));
    Label1 = FormChild<QLabel>(this, QStringLiteral("Label1"));
    skButton1 = FormChild<TskButton>(this, QStringLiteral("skButton1"));
    skButton2 = FormChild<TskButton>(this, QStringLiteral("skButton2"));
    skForm1 = FormChild<TskForm>(this, QStringLiteral("skForm1"));
    ApplyEmbeddedTheme(this);
    FitSkinnedDialog(this);
}

void TfrmConfirm::FormShow() {
    // The label sizes itself to its text: one line, or the lines a report with line breaks has.
    Label1->setText(Message);
    const QFontMetrics fm = Label1->fontMetrics();
    const QStringList lines = Message.split(QLatin1Char('\n'));
    int textWidth = 0;
    for (const QString& line : lines)
        textWidth = std::max(textWidth, fm.horizontalAdvance(line));
    Label1->resize(textWidth, fm.height() + int(lines.size() - 1) * fm.lineSpacing());
    const int height = Label1->height() + 121;
    int width = 0;
    if (MessageOnly != 0) {
        skForm1->SetCaption(QStringLiteral("Message"));
        width = std::max(Label1->width() + 30, 220);
        Label1->move((width - Label1->width()) / 2 - 2, Label1->y());
        skButton2->move((width - skButton2->width()) / 2, height - 46);
        skButton1->hide();
        skButton2->SetCaption(QStringLiteral("&Ok"));
    } else {
        skForm1->SetCaption(QStringLiteral("Confirm"));
        width = std::max(Label1->width() + 40, 220);
        Label1->move((width - Label1->width()) / 2, Label1->y());
        skButton1->move(width - 220, height - 46);
        skButton2->move(width - 120, height - 46);
        skButton1->show();
        skButton2->SetCaption(QStringLiteral("&No"));
    }
    skButton1->move(skButton1->x(), height - 46);
    // The window's own width and height: the frame and the title bar lie inside them.
    setFixedSize(width, height);
}

void TfrmConfirm::skButton1Click() {
    setModalResult(mrYes);
}

void TfrmConfirm::skButton2Click() {
    setModalResult(mrNo);
}

TfrmConfirm* TConfirmMessages::free() const {
    // One window: a message that comes while it shows another (from a nested loop) takes a box.
    return m_window && !m_window->isVisible() ? m_window.data() : nullptr;
}

void TConfirmMessages::Tell(const QString& text, QWidget* from) {
    TfrmConfirm* window = free();
    if (!window) return m_boxes.Tell(text, from);
    window->SetMessageOnly(1);
    window->SetMessage(text);
    ::ShowModal(*window);
}

bool TConfirmMessages::Ask(const QString& question, QWidget* from) {
    TfrmConfirm* window = free();
    if (!window) return m_boxes.Ask(question, from);
    window->SetMessageOnly(0);
    window->SetMessage(question);
    return ::ShowModal(*window) == mrYes;
}

void TConfirmMessages::Error(const QString& text, QWidget* from) {
    TfrmConfirm* window = m_errorsToo ? free() : nullptr;
    if (!window) return m_boxes.Error(text, from);
    window->SetMessageOnly(1);
    window->SetMessage(text);
    ::ShowModal(*window);
}

void SpeakThrough(TfrmConfirm* window) {
    auto* channel = new TConfirmMessages(window);
    SetDialogMessages(channel);
    QObject::connect(window, &QObject::destroyed, [channel] {
        SetDialogMessages(nullptr);
        delete channel;
    });
}

void SpeakEverythingThrough(TfrmConfirm* window) {
    SpeakThrough(window);
    auto* boxes = new TConfirmMessages(window, true);
    SetBoxMessages(boxes);
    QObject::connect(window, &QObject::destroyed, [boxes] {
        SetBoxMessages(nullptr);
        delete boxes;
    });
}
