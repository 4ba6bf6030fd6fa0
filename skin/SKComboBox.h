#pragma once

// TskCustomComboBox / TskComboBox: the platform's combo box with a skin drawn over it after every
// paint: a two-colour border, a drop-down button (a flat face or a style bitmap) with a small
// arrow, and a frame round the open list, drawn on the list's own window.

#include "platform/Colors.h"
#include "skin/SKControls.h"

#include <QComboBox>
#include <QPointer>

#include <functional>

// The native combo box inside a skinned one; it tells its owner when its list opens and closes.
class TskNativeComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> onShowPopup; // before the list opens
    std::function<void()> onHidePopup; // after it closed
    void showPopup() override;
    void hidePopup() override;
};

class TskCustomComboBox : public TskControl {
    Q_OBJECT
public:
    // How the combo box shows and takes its text.
    enum TComboBoxStyle : uint8_t {
        csDropDown = 0,
        csSimple,
        csDropDownList,
        csOwnerDrawFixed,
        csOwnerDrawVariable
    };
    Q_ENUM(TComboBoxStyle)

    explicit TskCustomComboBox(QWidget* parent = nullptr);

    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    TColor ButtonColor() const { return m_buttonColor; }
    void SetButtonColor(TColor value);
    TColor ArrowColor() const { return m_arrowColor; }
    void SetArrowColor(TColor value);
    TComboBoxStyle Style() const { return m_style; }
    void SetStyle(TComboBoxStyle value);
    QStringList Items() const;
    void SetItems(const QStringList& value);
    int ItemIndex() const { return m_combo->currentIndex(); }
    void SetItemIndex(int value);
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool value);
    int DropDownCount() const { return m_combo->maxVisibleItems(); }
    void SetDropDownCount(int value);
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int value);
    QString Text() const { return m_combo->currentText(); }
    void SetText(const QString& value);
    // Typed text is completed from the items.
    bool AutoComplete() const { return m_autoComplete; }
    void SetAutoComplete(bool value);
    bool AutoDropDown() const { return m_autoDropDown; }
    void SetAutoDropDown(bool value) { m_autoDropDown = value; }

    // The drop-down button's rectangle, as the skin draws it.
    QRect ButtonRect() const;
    // The open list's window (null while closed).
    QWidget* ListWindow() const;
    // The native combo box the skin is drawn over (it has the keyboard focus for the control).
    QComboBox* Combo() const { return m_combo; }
    // Opens and closes the list.
    void DropDown() { m_combo->showPopup(); }
    void CloseUp() { m_combo->hidePopup(); }
    // The border as drawn round the native combo box (grab() shows the whole control).
    QImage Render() override;

Q_SIGNALS:
    void OnChange();
    void OnDropDown();
    void OnSelect();

protected:
    void UIStyleChanged() override;
    void ColorChanged() override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawSkin(QPainter& p);
    void Activated(int index);
    void ListShown();
    void ListClosed();

    TskNativeComboBox* m_combo;
    TColor m_borderColor = clBlack;
    TColor m_buttonColor = clBtnFace;
    TColor m_arrowColor = clBlack;
    TComboBoxStyle m_style = csDropDown;
    bool m_sorted = false;
    bool m_autoDropDown = false;
    bool m_autoComplete = true;
    int m_maxLength = 0;
    QPointer<QWidget> m_listWindow;
};

class TskComboBox : public TskCustomComboBox {
    Q_OBJECT
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(TColor ButtonColor READ ButtonColor WRITE SetButtonColor)
    Q_PROPERTY(TColor ArrowColor READ ArrowColor WRITE SetArrowColor)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool AutoComplete READ AutoComplete WRITE SetAutoComplete)
    Q_PROPERTY(bool AutoDropDown READ AutoDropDown WRITE SetAutoDropDown)
    Q_PROPERTY(TskCustomComboBox::TComboBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(int DropDownCount READ DropDownCount WRITE SetDropDownCount)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
public:
    explicit TskComboBox(QWidget* parent = nullptr);
};
