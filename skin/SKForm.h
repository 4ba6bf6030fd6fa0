#pragma once

// TskForm: the skinned frame panel of a dialog-style window. Placed on a form (one per form) it
// makes the window frameless and fills its client area: a TskTitleBar at its top, a menu bar built
// from an attached TskMainMenu below it. The window keeps a three-pixel frame inside its width and
// height around the client area, which the panel draws into the form (border colour and width,
// background, the caption pictures carried on into the frame, rounded top corners as the window's
// shape; where the window system cannot shape windows, the cut-away corners are left transparent).
// Maximise and restore follow
// the desktop's available area; the menu's short-cuts and Alt+Space (the system menu) work
// anywhere in the window.

#include "skin/SKImagePanel.h"
#include "skin/SKTitleBar.h"

#include <QPointer>
#include <QRect>

class QMenu;
class QPainter;
class TskFormMenuBar;
class TskMainMenu;

class TskForm : public TskCustomPanel {
    Q_OBJECT
    Q_PROPERTY(bool TitleBarCustom READ TitleBarCustom WRITE SetTitleBarCustom)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool UIStyleAutoUpdateSub READ UIStyleAutoUpdateSub WRITE SetUIStyleAutoUpdateSub)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(bool TitleBarVisible READ TitleBarVisible WRITE SetTitleBarVisible)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QWidget* FormPanel READ FormPanel WRITE SetFormPanel)
    Q_PROPERTY(TskTitleBarButtons* TitleBarButtons READ TitleBarButtons WRITE SetTitleBarButtons)
    Q_PROPERTY(TskTitleBarSections* TitleBarSections READ TitleBarSections WRITE SetTitleBarSections)
    Q_PROPERTY(bool TitleBarDrawAppIcon READ TitleBarDrawAppIcon WRITE SetTitleBarDrawAppIcon)
    Q_PROPERTY(QObject* Menu READ Menu WRITE SetMenu)
    Q_PROPERTY(TColor MenuBarColor READ MenuBarColor WRITE SetMenuBarColor)
    Q_PROPERTY(int MenuBarHeight READ MenuBarHeight WRITE SetMenuBarHeight)
    Q_PROPERTY(int RoundCorner READ RoundCorner WRITE SetRoundCorner)
    Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
public:
    // On a form (a top-level widget) that already holds a TskForm: raises ESkinError "Sorry, You
    // can create only one TskForm component in one form!".
    explicit TskForm(QWidget* owner = nullptr);
    ~TskForm() override;

    // The frame the window keeps around its client area, on each side, inside the window's size:
    // the form's contents margins while the panel is on it.
    static constexpr int FrameWidth = 3;

    bool TitleBarCustom() const { return m_titleBar->Custom(); }
    void SetTitleBarCustom(bool value) { m_titleBar->SetCustom(value); }
    bool UIStyleAutoUpdateSub() const { return m_autoUpdateSub; }
    void SetUIStyleAutoUpdateSub(bool value) { m_autoUpdateSub = value; }
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    int BorderWidth() const { return m_borderWidth; }
    // Negative widths count as 0.
    void SetBorderWidth(int value);
    bool TitleBarVisible() const { return m_titleBar && m_titleBar->isVisibleTo(this); }
    void SetTitleBarVisible(bool value);
    QString Caption() const { return m_titleBar->Caption(); }
    // The title bar's caption and the window's title.
    void SetCaption(const QString& value);
    QWidget* FormPanel() const { return m_formPanel; }
    // The panel itself is refused with an error box; another panel fills the client area.
    void SetFormPanel(QWidget* value);
    TskTitleBarButtons* TitleBarButtons() const { return m_titleBar->Buttons(); }
    void SetTitleBarButtons(TskTitleBarButtons* value) { m_titleBar->SetButtons(value); }
    TskTitleBarSections* TitleBarSections() const { return m_titleBar->Sections(); }
    void SetTitleBarSections(TskTitleBarSections* value) { m_titleBar->SetSections(value); }
    bool TitleBarDrawAppIcon() const { return m_titleBar->DrawAppIcon(); }
    void SetTitleBarDrawAppIcon(bool value) { m_titleBar->SetDrawAppIcon(value); }
    QObject* Menu() const { return m_menu; }
    void SetMenu(QObject* value);
    TColor MenuBarColor() const { return m_menuBarColor; }
    void SetMenuBarColor(TColor value);
    int MenuBarHeight() const { return m_menuBarHeight; }
    // 0 .. 200 (clamped).
    void SetMenuBarHeight(int value);
    // The title bar's while it is visible, else 0.
    int RoundCorner() const;
    void SetRoundCorner(int value);
    QMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu* value) { m_popupMenu = value; }
    QString Version() const { return QStringLiteral("5.2"); }
    void SetVersion(const QString&) {}

    TskTitleBar* TitleBar() const { return m_titleBar; }
    // The title bar's height while it is visible, else 0.
    int TitleBarHeight() const;
    // The menu bar's button of each top-level menu item, in menu order (empty without a menu).
    QList<QRect> MenuBarButtons() const;
    QWidget* MenuBar() const;
    // The form this panel frames; none when its owner was not a form.
    QWidget* Form() const { return m_form; }
    // Below the title and menu bars, inside the frame: where FormPanel and aligned children go.
    QRect AlignRect() const override;
    QImage Render() override;
    // Draws the window frame around the panel onto the form (form coordinates).
    void PaintFrame(QPainter& p) const;
    // The window's shape: a rectangle whose two top corners are rounded by RoundCorner.
    QRegion WindowRegion() const;

public Q_SLOTS:
    // Called by the attached main menu (by name).
    void RebuildMenuBar();
    void RefreshMenuBar();
    void SetMenuBarFont();

private Q_SLOTS:
    void MenuDestroyed(QObject* menu);

Q_SIGNALS:
    void OnTitleBarCustomBtnsClick(TskTitleBar* sender, int buttonIndex);
    void OnTitleBarHelpBtnClick(TskTitleBar* sender, int buttonIndex);

protected:
    void UIStyleChanged() override;
    void ThemeRemoved() override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QRect ParentAlignRect() const override;

private:
    static QWidget* CheckOwner(QWidget* owner);
    void LayOutBars();
    void UpdateRegion();
    // Repaints the frame the panel draws into the form.
    void UpdateFrame();
    void CreateMenuBar();
    void ReleaseMenuBar();
    void FormStateChanged();
    // Moves the window to `bounds`, then sizes it there, through the window system.
    void PlaceWindow(const QRect& bounds);
    // The menu's short-cut for a key, triggered; or Alt and a top-level item's letter, its menu
    // opened. True when the key was taken.
    bool MenuShortCut(const QKeyEvent* event);

    QPointer<QWidget> m_form;
    TskTitleBar* m_titleBar = nullptr;
    TskFormMenuBar* m_menuBar = nullptr;
    QPointer<QObject> m_menu;
    QPointer<QWidget> m_formPanel;
    QPointer<QMenu> m_popupMenu;
    TColor m_borderColor = clBlack;
    int m_borderWidth = 1;
    TColor m_menuBarColor = clBtnFace;
    int m_menuBarHeight = 22;
    bool m_autoUpdateSub = false;
    bool m_constructed = false;
    // The form's bounds while neither maximised nor minimised: what a restore gives back.
    QRect m_restoreRect;
    bool m_placing = false;
};
