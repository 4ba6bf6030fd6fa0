#pragma once

// TskCustomGroupBox / TskGroupBox: a frame with a caption whose line and font colours follow the
// theme; it passes its style and theme on to the skinned controls inside it.

#include "skin/SKImagePanel.h"

class TskCustomGroupBox : public TskCustomPanel {
    Q_OBJECT
public:
    explicit TskCustomGroupBox(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    // Enables or disables the box and every direct child with it.
    void SetEnabled(bool value);

    QImage Render() override;
    // The client rectangle less 3 pixels at the sides and bottom and |font height| + 5 at the top.
    QRect AlignRect() const override;

protected:
    // Hands style and theme to the children, then takes the frame and font colours from the theme.
    virtual void UpdateUIStyle(TskUIStyle style, TskFileTheme* fileTheme);
    void UIStyleChanged() override { UpdateUIStyle(m_uiStyle, FileTheme()); }
    // The children are handed DeepBlue and no theme first.
    void ThemeRemoved() override;
    void changeEvent(QEvent* event) override;

private:
    QString m_caption;
    TColor m_borderColor = clBlack;
};

class TskGroupBox : public TskCustomGroupBox {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE SetEnabled)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(SkinControls::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
public:
    explicit TskGroupBox(QWidget* parent = nullptr);
};
