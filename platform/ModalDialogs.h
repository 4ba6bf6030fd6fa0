#pragma once

class QDialog;
class QString;
class QWidget;

// Modal results as the windows compare them.
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
};

// Shows `dialog` modally and returns its modal result (what QDialog::done() was given; closing
// it any other way gives mrCancel). The dialog runs a nested event loop, so timers, component
// events and posted window messages keep arriving while it is open.
int ShowModal(QDialog& dialog);
