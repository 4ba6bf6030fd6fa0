#pragma once

// TskPageControl: a skinned tab control whose tabs stand for its child pages (TskTabSheet).
// Selecting a tab shows its page; pages join the control when they are placed on it, keep their
// order through the stored list of page names and can hide their tab.

#include "skin/SKTabControl.h"

#include <QList>

class TskTabSheet;

class TskPageControlTopPanel : public TskTabControlTopPanel {
    Q_OBJECT
public:
    using TskTabControlTopPanel::TskTabControlTopPanel;
};

class TskPageControl : public TskTab {
    Q_OBJECT
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int LeftMargin READ LeftMargin WRITE SetLeftMargin)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(SkinControls::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(TskTabSheet* ActivePage READ ActivePage WRITE SetActivePage)
    Q_PROPERTY(int PageCount READ PageCount)
    // The Name of every page in page order; written by a form description to restore that order.
    Q_PROPERTY(QStringList Pages READ PageNames WRITE SetStoredPageNames)
public:
    explicit TskPageControl(QWidget* parent = nullptr);
    ~TskPageControl() override;

    TskTabSheet* ActivePage() const { return m_activePage; }
    // Shows the page: the one shown before is disabled (OnHide), the new one selected, shown,
    // enabled, brought to the front (OnShow).
    void SetActivePage(TskTabSheet* page);
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    TskTabSheet* Page(int index) const;
    QStringList PageNames() const;
    void SetStoredPageNames(const QStringList& value) { m_storedNames = value; }

    void TabActivated(int index) override;

protected:
    TskTabControlTopPanel* CreateTopPanel() override;
    void BorderColorChanged() override;
    void ColorChanged() override;
    using TskTab::UIStyleChanged;
    void UIStyleChanged(TskUIStyle style, TskFileTheme* fileTheme) override;
    void childEvent(QChildEvent* event) override;

private:
    friend class TskTabSheet;
    void InsertPage(TskTabSheet* page);
    void RemovePage(QObject* page);
    void MovePage(TskTabSheet* page, int index);
    void Renumber();
    void RebuildTabTexts();
    void ShowPageByIndex(int index);
    void ShowNeighbour(int index);
    // After a form description named the pages: their order and tab visibility from it.
    void ApplyStoredOrder();
    void ActivateShown(TskTabSheet* page);

    QList<TskTabSheet*> m_pages;
    TskTabSheet* m_activePage = nullptr;
    QStringList m_storedNames;
};

class TskTabSheet : public TskCustomPanel {
    Q_OBJECT
    Q_PROPERTY(TskPageControl* PageControl READ PageControl WRITE SetPageControl)
    Q_PROPERTY(int PageIndex READ PageIndex WRITE SetPageIndex)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool TabVisible READ TabVisible WRITE SetTabVisible)
    Q_PROPERTY(SkinControls::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
public:
    explicit TskTabSheet(QWidget* parent = nullptr);
    ~TskTabSheet() override;

    TskPageControl* PageControl() const { return m_pageControl; }
    // Places the sheet on the page control (or takes it off with none).
    void SetPageControl(TskPageControl* value);
    int PageIndex() const { return m_pageIndex; }
    // Moves the page to that place (0 .. page count - 1) and shows it; other values do nothing.
    void SetPageIndex(int value);
    // The tab's text.
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    bool TabVisible() const;
    void SetTabVisible(bool value);
    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value) { m_borderColor = value; }

Q_SIGNALS:
    void OnShow();
    void OnHide();

protected:
    void changeEvent(QEvent* event) override;

private:
    friend class TskPageControl;
    TskPageControl* m_pageControl = nullptr;
    int m_pageIndex = -1;
    QString m_caption;
    bool m_tabVisible = true;
    TColor m_borderColor = clBlack;
};
