#pragma once

// TskMainMenu: a window's main menu, its items measured and drawn in the theme's colours. A
// skinned form panel shows its top-level items as its menu bar; each drops down its sub-menu.

#include "skin/SKMenu.h"

#include <QImage>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>

#include <memory>

class TskMainMenu : public QObject, public TskMenuCore {
    Q_OBJECT
    Q_PROPERTY(QList<QImage> Images READ Images WRITE SetImages)
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
    // Owner: the form; the first skinned form panel on it shows this menu.
    explicit TskMainMenu(QObject* owner = nullptr);
    ~TskMainMenu() override;

    // The menu's items: each top-level action, with its sub-menu (an action's "ImageIndex"
    // property picks its picture from Images).
    QMenu* Items() const { return m_items.get(); }
    // Appends a top-level item with an empty sub-menu and returns the sub-menu.
    QMenu* AddMenu(const QString& caption);

    // Empty while the menu's own check-mark list is in use.
    QList<QImage> Images() const { return m_images; }
    void SetImages(const QList<QImage>& value) { m_images = value; }
    void SetUseSystemFont(bool value) override;

    // The skinned form panel showing the menu (set by that panel).
    QObject* FormPanel() const { return m_formPanel; }
    void SetFormPanel(QObject* panel) { m_formPanel = panel; }

    void Loaded();

Q_SIGNALS:
    // The items changed (captions, enabled states, items added or removed).
    void MenuChanged();

protected:
    QImage ItemImage(const QAction* action) const override;
    void LookChanged() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CallPanel(const char* method);

    std::unique_ptr<QMenu> m_items;
    QList<QImage> m_images;
    QPointer<QObject> m_formPanel;
};
