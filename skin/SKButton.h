#pragma once

// Skinned push buttons (TskCustomButton, TskButton, TskImageButton) and the skinned check box and
// radio button (TskCheckBox, TskRadioButton). Every paint composes the whole control in an
// off-screen image and copies it in one step; the background is never erased.

#include "platform/Colors.h"
#include "skin/SKControls.h"

#include <QImage>
#include <QPointer>

class QAction;
class QShortcut;
class QTimer;

class TskCustomButton : public TskControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE SetEnabled)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
    Q_PROPERTY(int MouseContinuouslyDownInterval READ MouseContinuouslyDownInterval WRITE
                   SetMouseContinuouslyDownInterval)
    Q_PROPERTY(int FocusedRectMargin READ FocusedRectMargin WRITE SetFocusedRectMargin)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(QAction* Action READ Action WRITE SetAction)
public:
    explicit TskCustomButton(QWidget* parent = nullptr);
    ~TskCustomButton() override;

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    void SetEnabled(bool value);
    bool Default() const { return m_default; }
    void SetDefault(bool value);
    bool Cancel() const { return m_cancel; }
    void SetCancel(bool value);
    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int value) { m_modalResult = value; }
    int MouseContinuouslyDownInterval() const { return m_repeatInterval; }
    void SetMouseContinuouslyDownInterval(int value) { m_repeatInterval = value; }
    int FocusedRectMargin() const { return m_focusedRectMargin; }
    void SetFocusedRectMargin(int value);

    // The action the button stands for: it takes the action's text and enabled state, and a click
    // triggers it.
    QAction* Action() const { return m_action; }
    void SetAction(QAction* value);

    // The click: ends a press, hands ModalResult to the form holding the button, then OnClick
    // (and the action).
    virtual void Click();
    QImage Render() override;

    bool IsMouseOver() const { return m_mouseOver; }
    bool IsMouseDown() const { return m_mouseDown; }
    bool IsRepeating() const { return m_repeatTimer != nullptr; }

Q_SIGNALS:
    void OnMouseEnter();
    void OnMouseExit();
    void OnMouseContinuouslyDown();

protected:
    virtual void AutoSizeButton();
    virtual void CaptionChanged() {}
    virtual void FontChanged() { update(); }
    virtual void TransparentChanged();
    virtual void EnabledChanged() {}
    virtual void PaintPicture(QPainter& canvas, QImage& bitmap);
    virtual void PaintCaption(QPainter& canvas, const QString& caption);
    virtual void PaintFocus(QImage& buffer);
    // The state pictures: pieces 1, 2, 3 and 1 of the style's ButtonImage.
    virtual void GetNormalPicture(QImage& graphic);
    virtual void GetMouseOnPicture(QImage& graphic);
    virtual void GetMouseDownPicture(QImage& graphic);
    virtual void GetDisabledPicture(QImage& graphic);
    // The action changed: caption and enabled state follow it.
    virtual void ActionChange();

    // Drawn bold by the next caption (set by a focus look that shows focus so).
    bool m_boldCaption = false;
    // Transparent as last applied by TransparentChanged: what the drawing reads.
    bool m_drawTransparent = false;

    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void StopRepeat();
    void UpdateShortcuts();
    void DialogKey(bool isDefaultKey);

    QString m_caption;
    bool m_autoSize = false;
    bool m_cancel = false;
    bool m_default = false;
    bool m_transparent = false;
    int m_modalResult = 0;
    QTimer* m_repeatTimer = nullptr;
    int m_repeatInterval = 100;
    int m_focusedRectMargin = 2;
    bool m_mouseOver = false;
    bool m_mouseDown = false;
    QShortcut* m_defaultKey = nullptr;
    QShortcut* m_cancelKey = nullptr;
    QPointer<QAction> m_action;
    QMetaObject::Connection m_actionConnection;
};

class TskButton : public TskCustomButton {
    Q_OBJECT
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(QImage Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(int ResHandle READ ResHandle WRITE SetResHandle)
public:
    enum TButtonLayout : uint8_t { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };
    Q_ENUM(TButtonLayout)

    explicit TskButton(QWidget* parent = nullptr);

    const QImage& Glyph() const { return m_glyph; }
    void SetGlyph(const QImage& value);
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return m_spacing; }
    void SetSpacing(int value);
    int ResHandle() const { return 0; }
    void SetResHandle(int) {}

protected:
    void UIStyleChanged() override;
    void PaintPicture(QPainter& canvas, QImage& bitmap) override;
    void PaintCaption(QPainter& canvas, const QString& caption) override;
    void PaintFocus(QImage& buffer) override;
    void ActionChange() override;

private:
    QImage m_glyph;
    TButtonLayout m_layout = blGlyphLeft;
    int m_captionX = 0;
    int m_captionY = 0;
    int m_spacing = 4;
};

class TskImageButton : public TskCustomButton {
    Q_OBJECT
    Q_PROPERTY(QImage PicNormal READ PicNormal WRITE SetPicNormal)
    Q_PROPERTY(QImage PicMouseOn READ PicMouseOn WRITE SetPicMouseOn)
    Q_PROPERTY(QImage PicMouseDown READ PicMouseDown WRITE SetPicMouseDown)
    Q_PROPERTY(QImage PicDisabled READ PicDisabled WRITE SetPicDisabled)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool DrawFocused READ DrawFocused WRITE SetDrawFocused)
public:
    explicit TskImageButton(QWidget* parent = nullptr);

    // Always FromThemeFile: an image button draws only its own pictures.
    TskUIStyle UIStyle() const override { return FromThemeFile; }
    const QImage& PicNormal() const { return m_pics[0]; }
    const QImage& PicMouseOn() const { return m_pics[1]; }
    const QImage& PicMouseDown() const { return m_pics[2]; }
    const QImage& PicDisabled() const { return m_pics[3]; }
    void SetPicNormal(const QImage& value) { SetPic(0, value); }
    void SetPicMouseOn(const QImage& value) { SetPic(1, value); }
    void SetPicMouseDown(const QImage& value) { SetPic(2, value); }
    void SetPicDisabled(const QImage& value) { SetPic(3, value); }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value);
    bool DrawFocused() const { return m_drawFocused; }
    void SetDrawFocused(bool value);

protected:
    void AutoSizeButton() override;
    void PaintPicture(QPainter& canvas, QImage& bitmap) override;
    void PaintFocus(QImage& buffer) override;
    void GetNormalPicture(QImage& graphic) override;
    void GetMouseOnPicture(QImage& graphic) override;
    void GetMouseDownPicture(QImage& graphic) override;
    void GetDisabledPicture(QImage& graphic) override;

private:
    void SetPic(int index, const QImage& value);
    QImage m_pics[4];
    bool m_stretch = false;
    bool m_drawFocused = false;
};

class TskCheckBox : public TskControl {
    Q_OBJECT
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(TCheckBoxState State READ State WRITE SetState)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE SetEnabled)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
public:
    enum TCheckBoxState : uint8_t { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };
    Q_ENUM(TCheckBoxState)

    explicit TskCheckBox(QWidget* parent = nullptr);

    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    bool Checked() const { return m_checked; }
    // Nothing when unchanged; otherwise stores, repaints and fires OnClick (also from code).
    void SetChecked(bool value);
    TCheckBoxState State() const { return m_checked ? cbChecked : cbUnchecked; }
    void SetState(TCheckBoxState value) { SetChecked(value == cbChecked); }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    void SetEnabled(bool value);

    // A click on the control: Toggle.
    void Click();
    QImage Render() override;
    // Piece 1..4 of the box picture for the current state.
    int BoxPiece() const;

protected:
    virtual bool NeedFocusRect() const { return TabStop() && hasFocus(); }
    virtual bool IsBoxTransparent() const { return false; }
    virtual TskSkinElement GetThemeImageIndex() const { return SkinElement::CheckBoxImage; }
    virtual void CheckedChanged();
    virtual void BeforeToggle() {}
    virtual void Toggle();
    virtual bool ToggleOnKeyUp() const { return true; }
    // Width and height by the auto-size rule for the box picture Box.
    void ApplyAutoSize(const QImage& box);
    QImage BoxPicture() const;
    void UIStyleChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_checked = false;
    bool m_transparent = false;
    bool m_autoSize = true;
    QString m_caption;
};

class TskRadioButton : public TskCheckBox {
    Q_OBJECT
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
public:
    explicit TskRadioButton(QWidget* parent = nullptr);

    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int value) { m_groupIndex = value; }
    // Unchecks every other radio button of the same parent with the same GroupIndex.
    void UncheckGroup();

protected:
    bool IsBoxTransparent() const override { return true; }
    TskSkinElement GetThemeImageIndex() const override { return SkinElement::RadioButtonImage; }
    void CheckedChanged() override;
    void Toggle() override;
    bool ToggleOnKeyUp() const override { return false; }
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int m_groupIndex = 0;
};
