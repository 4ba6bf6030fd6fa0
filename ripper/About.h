#pragma once

#include "platform/Form.h"

namespace Duzivuz {

// The ripper's About window: its name and a link label to the program's home page.
class TfrmAbout : public TForm {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* owner = nullptr);
};

} // namespace Duzivuz
