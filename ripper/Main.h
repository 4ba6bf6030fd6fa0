#pragma once

#include "platform/Form.h"

namespace Duzivuz {

// The ripper's main window.
class TfrmMain : public TForm {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* owner = nullptr);

protected:
    void FormCreate() override;
};

} // namespace Duzivuz
