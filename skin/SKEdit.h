#pragma once

// TskEdit: a single-line edit whose frame is drawn by the skin in the theme's control border
// colour. TskNumberEdit: an edit for numbers that keeps a floating-point Value shown through a
// format mask and refuses keys that cannot belong to a number.

#include "platform/Colors.h"
#include "skin/SKControls.h"

#include <QLineEdit>
#include <QLocale>

class QKeyEvent;

class TskEdit : public TskControl {
    Q_OBJECT
public:
    // Letter case an edit forces on its text.
    enum TEditCharCase : uint8_t { ecNormal = 0, ecUpperCase, ecLowerCase };
    Q_ENUM(TEditCharCase)

private:
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TskEdit::TEditCharCase CharCase READ CharCase WRITE SetCharCase)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE SetHideSelection)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(QString PasswordChar READ PasswordChar WRITE SetPasswordChar)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(QString Text READ Text WRITE SetText)

public:
    explicit TskEdit(QWidget* parent = nullptr);

    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    bool AutoSelect() const { return m_autoSelect; }
    void SetAutoSelect(bool value) { m_autoSelect = value; }
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    TEditCharCase CharCase() const { return m_charCase; }
    void SetCharCase(TEditCharCase value);
    // The selection stays shown while the edit has no focus when false.
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool value);
    // 0: no limit.
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int value);
    // Empty: the text is shown; any character: it is hidden as a password.
    QString PasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(const QString& value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    QString Text() const;
    void SetText(const QString& value);

    // The native edit inside the skin frame (it has the keyboard focus for the control).
    QLineEdit* Editor() const { return m_editor; }
    // The frame and the edit's colour, as drawn round the native edit (grab() shows the text).
    QImage Render() override;

Q_SIGNALS:
    void OnChange();

protected:
    // Takes the border colour from the theme.
    void UIStyleChanged() override;
    void ColorChanged() override;
    // The character a key stands for, after OnKeyPress: false refuses it (it never reaches the text).
    virtual bool KeyPress(QChar key);
    // Every change of the text; the default fires OnChange.
    virtual void Change();
    // Focus arrives (OnEnter), a click (OnClick), focus leaves (OnExit).
    virtual void DoEnter() { Q_EMIT OnEnter(); }
    virtual void Click() { Q_EMIT OnClick(); }
    virtual void DoExit() { Q_EMIT OnExit(); }

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyAutoSize();
    void TextChanged();
    bool EditorKeyPress(QKeyEvent* event);

    QLineEdit* m_editor;
    TColor m_borderColor = clBlack;
    bool m_autoSelect = true;
    bool m_autoSize = true;
    TEditCharCase m_charCase = ecNormal;
    bool m_hideSelection = true;
    int m_maxLength = 0;
    QString m_passwordChar;
};

// The text of Value in the number format Mask: "0" a digit always shown, "#" a digit shown when
// needed, "." the decimal separator, "," thousands grouping, quoted or other characters literal,
// up to three sections "positive;negative;zero". Separators come from Locale.
QString FormatFloat(const QString& mask, double value, const QLocale& locale = QLocale());

class TskNumberEdit : public TskEdit {
    Q_OBJECT
    Q_PROPERTY(QString Mask READ Mask WRITE SetMask)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(int AutoSelectSigns READ AutoSelectSigns WRITE SetAutoSelectSigns)
public:
    explicit TskNumberEdit(QWidget* parent = nullptr);

    QString Mask() const { return m_mask; }
    void SetMask(const QString& value) { m_mask = value; }
    double Value() const { return m_value; }
    // Stores the value and shows it through the mask.
    void SetValue(double value);
    // How many characters at the end of the text are selected on entry.
    int AutoSelectSigns() const { return m_autoSelectSigns; }
    void SetAutoSelectSigns(int value) { m_autoSelectSigns = value; }

protected:
    bool KeyPress(QChar key) override;
    void Change() override;
    void DoEnter() override;
    void Click() override;
    void DoExit() override;

private:
    QString m_mask = QStringLiteral("0.00");
    double m_value = 0;
    int m_autoSelectSigns = 2;
};
