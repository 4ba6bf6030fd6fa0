#include "platform/Form.h"

#include "platform/ModalDialogs.h"

#include <QCoreApplication>
#include <QKeyEvent>

TForm::TForm(QWidget* owner) : QDialog(owner, Qt::Window) {
    setModal(false);
}

TForm::~TForm() = default;

void TForm::create() {
    if (m_created) return;
    m_created = true;
    FormCreate();
}

void TForm::destroyForm() {
    if (m_destroyed) return;
    m_destroyed = true;
    FormDestroy();
}

int TForm::ShowModal() {
    m_modalResult = mrNone;
    const int r = exec();
    if (m_modalResult == mrNone) m_modalResult = r == QDialog::Rejected ? mrCancel : r;
    return m_modalResult;
}

void TForm::setModalResult(int result) {
    m_modalResult = result;
    if (result != mrNone && isModal() && isVisible()) done(result);
}

void TForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm::done(int result) {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) return;
    FormClose();
    QDialog::done(result);
    if (m_mainForm) QCoreApplication::quit();
}

void TForm::keyPressEvent(QKeyEvent* event) {
    // Escape closes only forms shown modally; a main window stays open.
    if (event->key() == Qt::Key_Escape && !isModal()) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
