#pragma once

#include "platform/Form.h"

#include <QString>

class TShellTreeView;
class TskButton;

// The folder choice both programs share: a tree of the file system's folders. After the window
// closes, SelectedPath holds the chosen folder with one trailing "/" ("Ok"), an empty text
// ("Cancel"), or what it held before (the window's close button).
class TfrmPathSelect : public TForm {
    Q_OBJECT
public:
    explicit TfrmPathSelect(QWidget* owner = nullptr);

    QString SelectedPath;
    TShellTreeView* Tree() const { return ShellTreeView1; }

public Q_SLOTS:
    void btnOkClick();
    void btnCancelClick();

protected:
    void FormCreate() override;

private:
    TShellTreeView* ShellTreeView1;
};
