#include "skin/SKPageControl.h"

#include "skin/SKPublic.h"

#include <QChildEvent>

#include <algorithm>

TskPageControl::TskPageControl(QWidget* parent) : TskTab(parent) {
    InitTopPanel();
    // A new page control has no tabs.
    TopPanel()->ClearTabs();
}

TskPageControl::~TskPageControl() {
    // The sheets outlive this part of the control (Qt deletes children later): they forget it.
    for (TskTabSheet* page : std::as_const(m_pages)) {
        page->m_pageControl = nullptr;
        page->m_pageIndex = -1;
    }
    m_pages.clear();
    m_activePage = nullptr;
}

TskTabControlTopPanel* TskPageControl::CreateTopPanel() {
    return new TskPageControlTopPanel(this, this);
}

TskTabSheet* TskPageControl::Page(int index) const {
    return index >= 0 && index < m_pages.size() ? m_pages[index] : nullptr;
}

QStringList TskPageControl::PageNames() const {
    QStringList names;
    for (const TskTabSheet* page : m_pages)
        names << page->objectName();
    return names;
}

void TskPageControl::Renumber() {
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->m_pageIndex = i;
}

void TskPageControl::RebuildTabTexts() {
    QStringList captions;
    for (const TskTabSheet* page : std::as_const(m_pages))
        captions << page->Caption();
    TopPanel()->SetTabs(captions);
}

void TskPageControl::ActivateShown(TskTabSheet* page) {
    page->setVisible(true);
    page->setEnabled(true);
    page->raise();
    page->update();
}

void TskPageControl::SetActivePage(TskTabSheet* page) {
    if (page && page->m_pageControl != this) return;
    if (m_activePage && m_activePage != page) {
        m_activePage->setEnabled(false);
        Q_EMIT m_activePage->OnHide();
    }
    m_activePage = page;
    if (!page) return;
    SelectTab(page->PageIndex());
    TopPanel()->SetTabIndex(page->PageIndex());
    ActivateShown(page);
    Q_EMIT page->OnShow();
}

void TskPageControl::ShowPageByIndex(int index) {
    if (m_activePage && index != m_activePage->PageIndex()) {
        m_activePage->setEnabled(false);
        Q_EMIT m_activePage->OnHide();
    }
    if (index < 0 || index >= TopPanel()->Tabs().size() || index >= m_pages.size()) {
        m_activePage = nullptr;
        return;
    }
    SelectTab(index);
    TopPanel()->SetTabIndex(index);
    m_activePage = m_pages[index];
    ActivateShown(m_activePage);
    Q_EMIT m_activePage->OnShow();
}

void TskPageControl::ShowNeighbour(int index) {
    for (int i = std::min(index, static_cast<int>(m_pages.size())) - 1; i >= 0; --i) {
        if (m_pages[i]->TabVisible()) return ShowPageByIndex(i);
    }
    for (int i = std::max(index + 1, 0); i < m_pages.size(); ++i) {
        if (m_pages[i]->TabVisible()) return ShowPageByIndex(i);
    }
}

void TskPageControl::InsertPage(TskTabSheet* page) {
    if (m_pages.contains(page)) return;
    page->m_pageControl = this;
    page->SetColor(Color());
    page->SetBorderColor(BorderColor());
    TopPanel()->AddTab(page->Caption());
    m_pages.append(page);
    Renumber();
    RebuildTabTexts();
    SetActivePage(page);
}

void TskPageControl::RemovePage(QObject* page) {
    const auto found = std::find(m_pages.begin(), m_pages.end(), page);
    if (found == m_pages.end()) return;
    const int index = static_cast<int>(found - m_pages.begin());
    TskTabSheet* sheet = *found;
    TopPanel()->DeleteTab(index);
    m_pages.removeAt(index);
    // A page that leaves is not hidden through its OnHide: it may be half destroyed.
    if (m_activePage == sheet) m_activePage = nullptr;
    sheet->m_pageControl = nullptr;
    sheet->m_pageIndex = -1;
    Renumber();
    ShowPageByIndex(index - 1);
}

void TskPageControl::MovePage(TskTabSheet* page, int index) {
    const qsizetype from = m_pages.indexOf(page);
    if (from < 0 || index < 0 || index >= m_pages.size()) return;
    m_pages.move(from, index);
    Renumber();
    RebuildTabTexts();
    SetActivePage(page);
}

void TskPageControl::ApplyStoredOrder() {
    if (m_storedNames.size() != m_pages.size()) return;
    for (TskTabSheet* page : std::as_const(m_pages))
        page->m_pageIndex = static_cast<int>(m_storedNames.indexOf(page->objectName()));
    std::stable_sort(m_pages.begin(), m_pages.end(), [](const TskTabSheet* a, const TskTabSheet* b) {
        return a->m_pageIndex < b->m_pageIndex;
    });
    Renumber();
    RebuildTabTexts();
    for (TskTabSheet* page : std::as_const(m_pages))
        TopPanel()->SetTabVisible(page->PageIndex(), page->m_tabVisible);
    if (m_activePage) SelectTab(m_activePage->PageIndex());
}

void TskPageControl::TabActivated(int index) {
    if (index >= 0 && index < m_pages.size()) {
        if (m_activePage && m_activePage->PageIndex() != index) {
            m_activePage->setEnabled(false);
            Q_EMIT m_activePage->OnHide();
        }
        TskTabSheet* page = m_pages[index];
        m_activePage = page;
        ActivateShown(page);
        // The page's first control takes the focus, once the window is on the screen (not while
        // the window is still being built from its description).
        if (window()->isVisible()) {
            for (QObject* child : page->children()) {
                auto* w = qobject_cast<QWidget*>(child);
                if (!w || w->isWindow()) continue;
                if (!w->isHidden() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus) w->setFocus();
                break;
            }
        }
        Q_EMIT page->OnShow();
    }
    TskTab::TabActivated(index);
}

void TskPageControl::UIStyleChanged(TskUIStyle style, TskFileTheme* fileTheme) {
    for (TskTabSheet* page : std::as_const(m_pages)) {
        ApplyUIStyleToChildren(page, style, fileTheme);
        page->SetColor(Color());
        page->SetBorderColor(BorderColor());
        page->SetAlign(alClient);
    }
}

void TskPageControl::BorderColorChanged() {
    for (TskTabSheet* page : std::as_const(m_pages))
        page->SetBorderColor(BorderColor());
    if (m_activePage) m_activePage->update();
}

void TskPageControl::ColorChanged() {
    for (TskTabSheet* page : std::as_const(m_pages))
        page->SetColor(Color());
}

void TskPageControl::childEvent(QChildEvent* event) {
    TskTab::childEvent(event);
    // A sheet taken off the control in a way its own code did not see (it announces itself).
    if (event->removed()) RemovePage(event->child());
}

// ---------------------------------------------------------------------------------------------

TskTabSheet::TskTabSheet(QWidget* parent) : TskCustomPanel(parent) {
    TskCustomPanel::SetCaption(QStringLiteral(" "));
    SetBorderWidth(0);
    SetAlign(alClient);
    if (auto* control = qobject_cast<TskPageControl*>(parent)) control->InsertPage(this);
}

TskTabSheet::~TskTabSheet() {
    if (m_pageControl) m_pageControl->RemovePage(this);
}

void TskTabSheet::SetPageControl(TskPageControl* value) {
    if (value && parentWidget() != value) {
        setParent(value);
        show();
    } else if (!value && m_pageControl) {
        m_pageControl->RemovePage(this);
        setParent(nullptr);
    }
    if (value) value->ApplyStoredOrder();
}

void TskTabSheet::SetPageIndex(int value) {
    if (m_pageControl) m_pageControl->MovePage(this, value);
}

void TskTabSheet::SetCaption(const QString& value) {
    m_caption = value;
    if (m_pageControl) m_pageControl->RebuildTabTexts();
}

bool TskTabSheet::TabVisible() const {
    return m_pageControl ? m_pageControl->TopPanel()->TabVisible(m_pageIndex) : m_tabVisible;
}

void TskTabSheet::SetTabVisible(bool value) {
    m_tabVisible = value;
    if (!m_pageControl) return;
    m_pageControl->TopPanel()->SetTabVisible(m_pageIndex, value);
    m_pageControl->TopPanel()->update();
    if (!value && m_pageControl->ActivePage() == this) m_pageControl->ShowNeighbour(m_pageIndex);
}

void TskTabSheet::changeEvent(QEvent* event) {
    TskCustomPanel::changeEvent(event);
    if (event->type() != QEvent::ParentChange) return;
    if (m_pageControl && parentWidget() != m_pageControl) m_pageControl->RemovePage(this);
    if (auto* control = qobject_cast<TskPageControl*>(parentWidget())) control->InsertPage(this);
}
