#pragma once

// TskTitleBar: the skinned caption strip of a window (three section pictures, a row of caption
// buttons, an optional application icon and the caption), with its button and section
// collections and its small system menu. Mouse actions become window actions: moving the window,
// double-click to maximise or restore, close, minimise, maximise/restore, help, custom buttons and
// the control box.

#include "platform/Colors.h"
#include "skin/SKControls.h"
#include "skin/SKPopupMenu.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>

class TskTitleBar;
class TskTitleBarButtons;
class TskTitleBarSections;

namespace SkinTitleBar {
Q_NAMESPACE
enum TskTitleBarBtnType : uint8_t {
    skMax = 0,
    skMin = 1,
    skClose = 2,
    skHelp = 3,
    skControlBox = 4,
    skCustom = 5
};
Q_ENUM_NS(TskTitleBarBtnType)
enum TskTitleBarAlign : uint8_t { skLeft = 0, skRight = 1, skClient = 2 };
Q_ENUM_NS(TskTitleBarAlign)
} // namespace SkinTitleBar
using SkinTitleBar::TskTitleBarAlign;
using SkinTitleBar::TskTitleBarBtnType;
using enum SkinTitleBar::TskTitleBarAlign;
using enum SkinTitleBar::TskTitleBarBtnType;

class TskTitleBarButton : public QObject {
    Q_OBJECT
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(SkinTitleBar::TskTitleBarBtnType ButtonType READ ButtonType WRITE SetButtonType)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(QMenu* ControlBoxMenu READ ControlBoxMenu WRITE SetControlBoxMenu)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(QImage PicNormal READ PicNormal WRITE SetPicNormal)
    Q_PROPERTY(QImage PicMouseOn READ PicMouseOn WRITE SetPicMouseOn)
    Q_PROPERTY(QImage PicMouseDown READ PicMouseDown WRITE SetPicMouseDown)
public:
    explicit TskTitleBarButton(TskTitleBarButtons* collection);

    TskUIStyle UIStyle() const { return m_uiStyle; }
    void SetUIStyle(TskUIStyle value);
    TskTitleBarBtnType ButtonType() const { return m_type; }
    void SetButtonType(TskTitleBarBtnType value);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    int Top() const { return m_top; }
    void SetTop(int value);
    QMenu* ControlBoxMenu() const { return m_controlBoxMenu; }
    void SetControlBoxMenu(QMenu* value) { m_controlBoxMenu = value; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    const QImage& PicNormal() const { return m_pics[0]; }
    const QImage& PicMouseOn() const { return m_pics[1]; }
    const QImage& PicMouseDown() const { return m_pics[2]; }
    void SetPicNormal(const QImage& value) { SetPic(0, value); }
    void SetPicMouseOn(const QImage& value) { SetPic(1, value); }
    void SetPicMouseDown(const QImage& value) { SetPic(2, value); }

    // Copies another button through the writers: Visible, ButtonType, Transparent, Top, UIStyle,
    // then the pictures and the control-box menu.
    void Assign(const TskTitleBarButton& source);
    // Pictures, transparency and top from the style (custom buttons keep their pictures).
    void ApplyStyle();
    // A maximise button shows the restore pictures while its form is maximised.
    void UpdateMaximizePicture();
    // The button's window action.
    void PerformAction();
    int Index() const;
    TskTitleBar* Bar() const;

private:
    void SetPic(int index, const QImage& value);
    void Repaint();
    void LoadPieces(int first);

    TskTitleBarButtons* m_collection;
    bool m_visible = true;
    TskTitleBarBtnType m_type = skCustom;
    bool m_transparent = false;
    int m_top = 2;
    TskUIStyle m_uiStyle = DeepBlue;
    QImage m_pics[3];
    QPointer<QMenu> m_controlBoxMenu;
};

class TskTitleBarButtons : public QObject {
    Q_OBJECT
public:
    explicit TskTitleBarButtons(TskTitleBar* bar);
    TskTitleBarButton* Add();
    TskTitleBarButton* Items(int index) const { return m_items.value(index); }
    int Count() const { return static_cast<int>(m_items.size()); }
    void Clear();
    // Replaces the items with copies of Source's.
    void Assign(const TskTitleBarButtons& source);
    int IndexOf(const TskTitleBarButton* button) const { return static_cast<int>(m_items.indexOf(button)); }
    TskTitleBar* Bar() const { return m_bar; }
    void Changed();

private:
    TskTitleBar* m_bar;
    QList<TskTitleBarButton*> m_items;
};

class TskTitleBarSection : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(SkinTitleBar::TskTitleBarAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(QImage Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
public:
    explicit TskTitleBarSection(TskTitleBarSections* collection);

    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    int Width() const { return m_width; }
    void SetWidth(int value);
    TskTitleBarAlign Align() const { return m_align; }
    void SetAlign(TskTitleBarAlign value);
    const QImage& Picture() const { return m_picture; }
    void SetPicture(const QImage& value);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value);
    void Assign(const TskTitleBarSection& source);

private:
    void Repaint();
    TskTitleBarSections* m_collection;
    int m_width = 10;
    TskTitleBarAlign m_align = skLeft;
    QImage m_picture;
    bool m_stretch = false;
    bool m_autoSize = false;
};

class TskTitleBarSections : public QObject {
    Q_OBJECT
public:
    explicit TskTitleBarSections(TskTitleBar* bar);
    TskTitleBarSection* Add();
    TskTitleBarSection* Items(int index) const { return m_items.value(index); }
    int Count() const { return static_cast<int>(m_items.size()); }
    void Clear();
    void Assign(const TskTitleBarSections& source);
    TskTitleBar* Bar() const { return m_bar; }
    void Changed();

private:
    TskTitleBar* m_bar;
    QList<TskTitleBarSection*> m_items;
};

// The title bar's system menu: minimise, maximise/restore, a separator, close.
class TskTitleBarPopupMenu : public TskPopupMenu {
    Q_OBJECT
public:
    explicit TskTitleBarPopupMenu(TskTitleBar* bar);
    // Enables the items the bar has buttons for, then shows the menu.
    void Popup(int x, int y) override;
    // Enables the items as Popup does, without showing the menu.
    void UpdateItems();

private:
    TskTitleBar* m_bar;
};

class TskTitleBar : public TskControl {
    Q_OBJECT
    Q_PROPERTY(bool Custom READ Custom WRITE SetCustom)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(TskTitleBarSections* Sections READ Sections WRITE SetSections)
    Q_PROPERTY(TskTitleBarButtons* Buttons READ Buttons WRITE SetButtons)
    Q_PROPERTY(int ButtonInterval READ ButtonInterval WRITE SetButtonInterval)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool FormActive READ FormActive WRITE SetFormActive)
    Q_PROPERTY(int LeftBtnXOffset READ LeftBtnXOffset WRITE SetLeftBtnXOffset)
    Q_PROPERTY(int RightBtnXOffset READ RightBtnXOffset WRITE SetRightBtnXOffset)
    Q_PROPERTY(bool DrawAppIcon READ DrawAppIcon WRITE SetDrawAppIcon)
    Q_PROPERTY(int RoundCorner READ RoundCorner WRITE SetRoundCorner)
public:
    explicit TskTitleBar(QWidget* parent = nullptr);
    ~TskTitleBar() override;

    bool Custom() const { return m_custom; }
    void SetCustom(bool value) { m_custom = value; }
    // The theme again: the font colour stays as it is.
    void SetFileTheme(TskFileTheme* value) override;
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    TskTitleBarSections* Sections() const { return m_sections; }
    void SetSections(TskTitleBarSections* value);
    TskTitleBarButtons* Buttons() const { return m_buttons; }
    void SetButtons(TskTitleBarButtons* value);
    int ButtonInterval() const { return m_buttonInterval; }
    void SetButtonInterval(int value);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    bool FormActive() const { return m_formActive; }
    void SetFormActive(bool value);
    int LeftBtnXOffset() const { return m_leftOffset; }
    void SetLeftBtnXOffset(int value);
    int RightBtnXOffset() const { return m_rightOffset; }
    void SetRightBtnXOffset(int value);
    bool DrawAppIcon() const { return m_drawAppIcon; }
    void SetDrawAppIcon(bool value);
    int RoundCorner() const { return m_roundCorner; }
    void SetRoundCorner(int value) { m_roundCorner = value; }

    // For every maximise button, the maximise or restore pictures as the form's state says.
    void UpdateMaximizeButtons();
    // The pictures of sections 0 (left), 1 (right) and 2 (client); Bitmap is unchanged when the
    // bar has no such section.
    void GetLeftPicture(QImage& bitmap) const;
    void GetRightPicture(QImage& bitmap) const;
    void GetClientPicture(QImage& bitmap) const;
    // Exactly three sections, each with its picture object.
    bool HasAllSections() const;
    TskTitleBarPopupMenu* SystemMenu() const { return m_systemMenu; }

    // The form holding the bar (its window), or none.
    QWidget* HoldingForm() const;
    bool ParentIsSkinForm() const;
    // The button rectangle of every visible button (control box included), by index; and the
    // index of the button under a point, -1 for none. Also where the caption starts.
    int ButtonAt(const QPoint& point) const;
    // The index of the visible control box, -1 when there is none.
    int ControlBoxIndex() const;
    QRect ButtonRect(int index) const;
    int CaptionLeft() const;
    // The caption as drawn: shortened with "..." when it does not fit.
    QString DisplayedCaption() const;
    int ButtonTop() const { return m_buttonTop; }
    int ButtonImageHeight() const { return m_buttonImageHeight; }
    int HotButton() const { return m_hotButton; }
    QImage Render() override;

Q_SIGNALS:
    void OnCustomBtnsClick(TskTitleBar* sender, int buttonIndex);
    void OnHelpBtnClick(TskTitleBar* sender, int buttonIndex);

protected:
    virtual void PaintSections(QImage& bitmap);
    virtual void PaintButtonsAndCaption(QImage& bitmap);
    // Sections, offsets, button places, minimum form width and corner from the style, unless the
    // bar is custom; the buttons and the system menu take the style.
    void UIStyleChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Layout {
        QList<QRect> rects; // by button index; empty rectangle for an invisible button
        int controlBox = -1;
        int captionLeft = 0;
        int right = 0;
    };
    Layout ComputeLayout() const;
    void WatchForm();
    void AlignTop();

    TskTitleBarSections* m_sections = nullptr;
    TskTitleBarButtons* m_buttons = nullptr;
    bool m_autoSize = false;
    int m_buttonInterval = 0;
    QString m_caption;
    bool m_formActive = true;
    int m_leftOffset = 0;
    int m_rightOffset = 0;
    int m_roundCorner = 0;
    bool m_drawAppIcon = false;
    bool m_keepFontColor = false;
    TskTitleBarPopupMenu* m_systemMenu = nullptr;
    bool m_custom = false;
    bool m_mouseDown = false;
    int m_hotButton = -1;
    int m_buttonImageHeight = 0;
    int m_buttonTop = 0;
    QPoint m_mousePos{-100000, -100000};
    // A press on an empty part waits for the mouse to move by the drag distance before the window
    // moves, so that a click or a double click stays with the bar; then the window system moves
    // the window, or the bar does where the window system cannot.
    bool m_movePending = false;
    QPoint m_pressAt;
    bool m_moving = false;
    QPoint m_moveOffset;
    // The release on the control box that opened the system menu (its time stamp): a second press
    // on the control box within the double-click time closes the window.
    bool m_menuFromControlBox = false;
    quint64 m_controlBoxReleaseTime = 0;
    QPointer<QWidget> m_watchedForm;
    QPointer<QWidget> m_watchedParent;
};

// A window the window manager may not size carries a maximum of its own size; the skinned frames
// maximise such a window themselves: the maximum is lifted while it is maximised and given back
// when it is restored.
void LiftSizeLimit(QWidget* form);
void RestoreSizeLimit(QWidget* form);
