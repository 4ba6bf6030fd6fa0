#pragma once

#include <QComboBox>

// Where an open drop-down list goes: right under its box, at least as wide as the box, or above
// the box when the screen has more room there; the list is cut to the room on that side. Some
// widget styles open the list over the box instead (the chosen item laid on the box), which puts a
// long list anywhere on the screen; every combo box of the programs places its list this way.
void PlaceDropDownList(QComboBox* combo);

// The standard combo box of the form descriptions (`TComboBox`): its list opens by the rule above.
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}
    void showPopup() override;
};
