#pragma once

// What the two skinned menus share: their settings, how an item is measured and drawn (side bar,
// selection box, check marks, images, the MacOS pictures), and the style that has Qt's menus
// measure and paint their items that way.

#include "platform/Colors.h"
#include "skin/SKControls.h"

#include <QFont>
#include <QImage>
#include <QProxyStyle>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QPainter;

// One item as the drawing sees it.
struct TskMenuItemInfo {
    QString caption;  // "-" for a separator; "&" marks the accelerator letter
    QString shortCut; // the short-cut text, empty when none
    bool enabled = true;
    bool checked = false;
    bool isDefault = false; // drawn bold
    QImage image;           // the item's image; null when it has none
};

// The settings of a skinned menu, in the order the menus publish them, with their start values.
struct TskMenuLook {
    TskUIStyle uiStyle = DeepBlue;
    int menuItemHeight = 21;
    int separatorHeight = 21;
    TColor barColor = clBtnFace;
    int barWidth = 0;
    TColor color = 0xFFFFFF;
    TColor separatorColor = 0x808080;
    TColor selectedBorderColor = clHighlight;
    TColor selectedColor = clHighlight;
    TColor selectedFontColor = 0xFFFFFF;
    TColor fontColor = 0xFFFFFF;
    TColor borderColor = 0; // stored, never drawn
    bool flatMenu = false;
    QString fontName = QStringLiteral("MS Sans Serif");
    int fontSize = 8;
    int fontCharset = 1;
    bool useSystemFont = true;

    // The UIStyle writer: bar width, heights and separator colour by style, then the six menu
    // colours from the theme file or the built-in table.
    void ApplyStyle(TskUIStyle style, const TskFileTheme* fileTheme);
    // The font items are drawn with: the system menu font, or FontName and FontSize.
    QFont ItemFont() const;
    // Height: SeparatorHeight for "-", else MenuItemHeight; width: caption + short-cut text widths
    // + BarWidth + 40.
    QSize MeasureItem(const TskMenuItemInfo& item) const;
    // Paints one item over Rect. CheckMark: the check-mark picture (white is its mask colour).
    void DrawItem(QPainter& canvas, const TskMenuItemInfo& item, const QRect& rect, bool selected,
                  const QImage& checkMark) const;
};

// The "MENU_CHECKED" picture, loaded once.
const QImage& MenuCheckedBitmap();

// Draws the flat menu border on a menu window of size Size: the frame in FrameColor, a white frame
// inside it, and the lines in LineColor along the bottom, right and top edges.
void DrawMenuWindowBorder(QPainter& canvas, const QSize& size, TColor frameColor, TColor lineColor);
// Font := the system menu font in the system menu-text colour.
void SetSystemMenuFont(QFont& font);

// The style a skinned menu installs on its menu windows: Qt's menus measure and paint every item
// through the menu's look.
class TskMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    using LookFn = std::function<const TskMenuLook&()>;
    using ThemeFn = std::function<const TskFileTheme*()>;
    using ImageFn = std::function<QImage(const QAction*)>;
    TskMenuStyle(LookFn look, ThemeFn theme, ImageFn image, QObject* owner);

    // The item the style option describes, as the drawing sees it.
    TskMenuItemInfo ItemInfo(const QStyleOption* option, const QWidget* widget) const;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    LookFn m_look;
    ThemeFn m_theme;
    ImageFn m_image;
};

// Installs the menu style on Menu and on every sub-menu below it, depth first, and watches them so
// that sub-menus added later get it too. Watcher receives the menus' events.
void SetMenuItemHandlers(QMenu* menu, TskMenuStyle* style, QObject* watcher);

// The settings and their writers, shared by TskPopupMenu and TskMainMenu (which publish them).
class TskMenuCore {
public:
    virtual ~TskMenuCore() = default;

    TskUIStyle UIStyle() const { return m_look.uiStyle; }
    void SetUIStyle(TskUIStyle value);
    TskFileTheme* FileTheme() const { return m_theme.get(); }
    void SetFileTheme(TskFileTheme* value);
    int MenuItemHeight() const { return m_look.menuItemHeight; }
    void SetMenuItemHeight(int value);
    int SeparatorHeight() const { return m_look.separatorHeight; }
    void SetSeparatorHeight(int value);
    int BarWidth() const { return m_look.barWidth; }
    void SetBarWidth(int value) { m_look.barWidth = value; }
    TColor BarColor() const { return m_look.barColor; }
    void SetBarColor(TColor value) { m_look.barColor = value; }
    TColor Color() const { return m_look.color; }
    void SetColor(TColor value) { m_look.color = value; }
    TColor SeparatorColor() const { return m_look.separatorColor; }
    void SetSeparatorColor(TColor value) { m_look.separatorColor = value; }
    TColor SelectedBorderColor() const { return m_look.selectedBorderColor; }
    void SetSelectedBorderColor(TColor value) { m_look.selectedBorderColor = value; }
    TColor SelectedColor() const { return m_look.selectedColor; }
    void SetSelectedColor(TColor value) { m_look.selectedColor = value; }
    TColor SelectedFontColor() const { return m_look.selectedFontColor; }
    void SetSelectedFontColor(TColor value) { m_look.selectedFontColor = value; }
    TColor FontColor() const { return m_look.fontColor; }
    void SetFontColor(TColor value) { m_look.fontColor = value; }
    TColor BorderColor() const { return m_look.borderColor; }
    void SetBorderColor(TColor value) { m_look.borderColor = value; }
    bool FlatMenu() const { return m_look.flatMenu; }
    void SetFlatMenu(bool value) { m_look.flatMenu = value; }
    QString FontName() const { return m_look.fontName; }
    void SetFontName(const QString& value);
    int FontSize() const { return m_look.fontSize; }
    void SetFontSize(int value);
    int FontCharset() const { return m_look.fontCharset; }
    void SetFontCharset(int value) { m_look.fontCharset = value; }
    bool UseSystemFont() const { return m_look.useSystemFont; }
    virtual void SetUseSystemFont(bool value);

    const TskMenuLook& Look() const { return m_look; }
    TskMenuStyle* MenuStyle() const { return m_style; }
    // Measures an action as the menu window does.
    QSize MeasureItem(const QAction* action) const;
    // The item an action stands for.
    TskMenuItemInfo ItemInfo(const QAction* action, const QMenu* menu) const;

protected:
    // Self: the menu component (the QObject part of the derived class).
    void InitCore(QObject* self);
    // The image an item shows; null when none.
    virtual QImage ItemImage(const QAction* action) const;
    // The menu windows take the item font.
    virtual void LookChanged() {}
    // Installs the style on a menu window and its sub-menus, and keeps it on those added later.
    void InstallOn(QMenu* menu);
    // Event filter part: sub-menus added later get the style.
    void WatchEvent(QObject* watched, QEvent* event);

    TskMenuLook m_look;
    TskThemeLink m_theme;
    TskMenuStyle* m_style = nullptr;
    QObject* m_self = nullptr;
};
