#include "platform/ModalDialogs.h"

#include <QDialog>

int ShowModal(QDialog& dialog) {
    const int result = dialog.exec();
    // QDialog::reject() (Escape, the window's close button) gives 0: that is a cancel.
    return result == QDialog::Rejected ? static_cast<int>(mrCancel) : result;
}
