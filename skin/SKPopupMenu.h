#pragma once

// TskPopupMenu: a popup menu whose items are measured and drawn in the theme's colours.

#include "skin/SKMenu.h"

#include <QMenu>

class TskPopupMenu : public QMenu, public TskMenuCore {
    Q_OBJECT
    Q_PROPERTY(bool OwnerDraw READ OwnerDraw WRITE SetOwnerDraw)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(int MenuItemHeight READ MenuItemHeight WRITE SetMenuItemHeight)
    Q_PROPERTY(int SeparatorHeight READ SeparatorHeight WRITE SetSeparatorHeight)
    Q_PROPERTY(int BarWidth READ BarWidth WRITE SetBarWidth)
    Q_PROPERTY(TColor BarColor READ BarColor WRITE SetBarColor)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TColor SeparatorColor READ SeparatorColor WRITE SetSeparatorColor)
    Q_PROPERTY(TColor SelectedBorderColor READ SelectedBorderColor WRITE SetSelectedBorderColor)
    Q_PROPERTY(TColor SelectedColor READ SelectedColor WRITE SetSelectedColor)
    Q_PROPERTY(TColor SelectedFontColor READ SelectedFontColor WRITE SetSelectedFontColor)
    Q_PROPERTY(TColor FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(bool FlatMenu READ FlatMenu WRITE SetFlatMenu)
    Q_PROPERTY(QString FontName READ FontName WRITE SetFontName)
    Q_PROPERTY(int FontSize READ FontSize WRITE SetFontSize)
    Q_PROPERTY(int FontCharset READ FontCharset WRITE SetFontCharset)
    Q_PROPERTY(bool UseSystemFont READ UseSystemFont WRITE SetUseSystemFont)
public:
    // Owner: the form the menu belongs to; its first style comes from that form.
    explicit TskPopupMenu(QWidget* owner = nullptr);

    // Always drawn by the menu itself; writing is ignored.
    bool OwnerDraw() const { return true; }
    void SetOwnerDraw(bool) {}

    // Installs the item drawing on every item and sub-menu (done at creation and for every
    // sub-menu added later; callable again after a bulk change).
    void Loaded();
    // Shows the menu at a screen position.
    virtual void Popup(int x, int y);

Q_SIGNALS:
    // Raised just before the menu shows, so its owner can enable and disable items.
    void OnPopup();

protected:
    void LookChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
