#pragma once

// TskTab: the base of the skinned tab controls, a panel with a tab strip along its top edge and a
// frame round the rest. TskTabControlTopPanel: that strip; it draws the tabs from the theme's tab
// pictures, scrolls them with two small arrow buttons when they do not fit and reports clicks
// back to its tab control.

#include "platform/Colors.h"
#include "skin/SKImagePanel.h"

#include <QStringList>

#include <array>

class TskTab;

class TskTabControlTopPanel : public TskCustomPanel {
    Q_OBJECT
public:
    // The strip keeps widths and visibility of this many tabs; further tabs are never drawn.
    static constexpr int kMaxTabs = 64;

    TskTabControlTopPanel(TskTab* tabControl, QWidget* parent);

    const QStringList& Tabs() const { return m_tabs; }
    void SetTabs(const QStringList& value);
    void AddTab(const QString& caption);
    void DeleteTab(int index);
    void ClearTabs();
    int TabIndex() const { return m_tabIndex; }
    // From code: no OnChanging is asked.
    void SetTabIndex(int value) { ChangeTabIndex(value, false); }
    int LeftMargin() const { return m_leftMargin; }
    void SetLeftMargin(int value);

    bool TabVisible(int index) const;
    void SetTabVisible(int index, bool value);
    // The width each tab had at the last paint: -1 not yet drawn, 0 hidden.
    int TabWidth(int index) const;
    int TabHeight() const { return m_tabHeight; }
    int FirstShownTab() const { return m_firstShownTab; }
    bool Overflow() const { return m_overflow; }
    int ScrollButtonWidth() const { return m_buttonWidth; }
    int ScrollButtonHeight() const { return m_buttonHeight; }
    // The tab under a point of the strip, -1 for none.
    int TabAt(const QPoint& point) const;

    QImage Render() override;

protected:
    // Loads the tab, bar and scroll-button pictures; the strip is as high as tab and bar.
    void UIStyleChanged() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Draws the tabs onto Canvas; the index of the last tab drawn whole.
    int DrawTabs(QPainter& canvas, int width);
    void DrawScrollButtons(QPainter& canvas, int width, int height);
    void ChangeTabIndex(int value, bool byClick);

    TskTab* m_tabControl;
    QStringList m_tabs{QStringLiteral("Tab1")};
    int m_tabIndex = 0;
    int m_leftMargin = 10;
    std::array<int, kMaxTabs> m_tabWidths;
    std::array<bool, kMaxTabs> m_tabVisible;
    QImage m_tabPicture;
    QImage m_barPicture;
    int m_tabHeight = 0;
    int m_firstShownTab = 0;
    int m_buttonWidth = 0;
    int m_buttonHeight = 0;
    bool m_overflow = false;
    int m_hotButton = 0; // 1 right, -1 left, 0 none
    bool m_keepActiveInView = false;
    QPoint m_mouse{-1, -1};
};

class TskTab : public TskCustomPanel {
    Q_OBJECT
public:
    ~TskTab() override;

    TskTabControlTopPanel* TopPanel() const { return m_topPanel; }
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    int LeftMargin() const { return m_topPanel->LeftMargin(); }
    void SetLeftMargin(int value) { m_topPanel->SetLeftMargin(value); }

    // Selects a tab of the strip (from code).
    virtual void SelectTab(int index);
    // After the strip's tab changed: OnTabActive, then OnChange.
    virtual void TabActivated(int index);
    // Asked before a click changes the tab; false keeps the old one.
    bool CanChange();

    QImage Render() override;
    // The client rectangle less 3 pixels at the sides and bottom, below the strip.
    QRect AlignRect() const override;

Q_SIGNALS:
    void OnTabActive(int tabIndex);
    void OnChange();
    void OnChanging(bool* allowChange);

protected:
    explicit TskTab(QWidget* parent);
    // Creates the strip through CreateTopPanel; called by the concrete class's constructor.
    void InitTopPanel();
    virtual TskTabControlTopPanel* CreateTopPanel() = 0;
    virtual void BorderColorChanged() {}
    // The strip takes style and theme, the children get them (the overload below), then strip,
    // border and own colours come from the theme (WinXP's built-in look: a white page).
    void UIStyleChanged() override;
    // Hands the style and theme to the skinned controls directly on the tab control.
    virtual void UIStyleChanged(TskUIStyle style, TskFileTheme* fileTheme);

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void PlaceTopPanel();

    TskTabControlTopPanel* m_topPanel = nullptr;
    TColor m_borderColor = clBlack;
};
