#include "platform/ModalDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

int ShowModal(QDialog& dialog) {
    const int result = dialog.exec();
    // QDialog::reject() (Escape, the window's close button) gives 0: that is a cancel.
    return result == QDialog::Rejected ? static_cast<int>(mrCancel) : result;
}

void ShowMessage(const QString& text, QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}
