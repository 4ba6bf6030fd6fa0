#pragma once

#include <QComboBox>

// Where an open drop-down list goes: right under its box, at least as wide as the box, or above
// the box when the screen has more room there; the list is cut to the room on that side. Some
// widget styles open the list over the box instead (the chosen item laid on the box), which puts a
// long list anywhere on the screen; every combo box of the programs places its list this way.
void PlaceDropDownList(QComboBox* combo);

// An open list takes Escape for itself: it closes and nothing else sees the key. (Qt's list lets
// the key go on to the window's shortcuts once it has closed, so a Cancel button's Escape closed
// the whole window under the list.) Called each time the list has opened.
void KeepEscapeInList(QComboBox* combo);

// The standard combo box of the form descriptions (`TComboBox`): its list opens by the rule above.
class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}
    void showPopup() override;
};
