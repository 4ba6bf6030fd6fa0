#include "skin-extra/SKListView.h"

#include "skin/SKPublic.h"
#include "skin/SKScrollBar.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTreeWidget>

#include <algorithm>

QSize TskListRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), option.fontMetrics.height()) + 2);
    return size;
}

TskListView::TskListView(QWidget* parent) : TskControl(parent) {
    InitColor(clWindow, false);
    SetFocusPolicies(Qt::StrongFocus, Qt::ClickFocus);
    SetTabStop(true);
    // The list sits inside a two-pixel skin border.
    m_list = new QTreeWidget(this);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setItemDelegate(new TskListRowDelegate(m_list));
    m_list->setAllColumnsShowFocus(true);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QString()});
    SetFocusWidget(m_list);
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    for (QScrollBar* native : {m_list->verticalScrollBar(), m_list->horizontalScrollBar()}) {
        native->installEventFilter(this);
        connect(native, &QScrollBar::rangeChanged, this, &TskListView::Sync);
        connect(native, &QScrollBar::valueChanged, this, &TskListView::Sync);
    }
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        QTreeWidgetItem* item = m_list->currentItem();
        if (item) Q_EMIT OnSelectItem(m_list->indexOfTopLevelItem(item), item->isSelected());
    });
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &TskListView::OnColumnClick);
    resize(121, 97);
    ColorChanged();
    SetUIStyle(OwnerFormUIStyle(parent));
}

TskListView::~TskListView() {
    // The bars belong to the form; they stay, released.
    ReleaseBar(m_vBar);
    ReleaseBar(m_hBar);
}

void TskListView::UIStyleChanged() {
    const TskThemeSource source = Theme();
    m_borderColor = source.Color(SkinElement::ControlBorderColor);
    for (TskScrollBar* bar : {m_vBar.data(), m_hBar.data()})
        if (bar) bar->SetUIStyle(source.style);
}

void TskListView::ColorChanged() {
    QPalette pal = m_list->palette();
    pal.setColor(QPalette::Base, ColorToQColor(Color()));
    m_list->setPalette(pal);
}

void TskListView::SetBorderColor(TColor value) {
    m_borderColor = value;
    update();
}

QStringList TskListView::Columns() const {
    QStringList captions;
    for (int i = 0; i < m_list->columnCount(); ++i)
        captions << m_list->headerItem()->text(i);
    return captions;
}

void TskListView::SetColumns(const QStringList& value) {
    m_list->setColumnCount(std::max<int>(1, static_cast<int>(value.size())));
    m_list->setHeaderLabels(value.isEmpty() ? QStringList{QString()} : value);
}

bool TskListView::ShowColumnHeaders() const {
    return !m_list->isHeaderHidden();
}

void TskListView::SetShowColumnHeaders(bool value) {
    m_list->setHeaderHidden(!value);
}

bool TskListView::MultiSelect() const {
    return m_list->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TskListView::SetMultiSelect(bool value) {
    m_list->setSelectionMode(value ? QAbstractItemView::ExtendedSelection
                                   : QAbstractItemView::SingleSelection);
}

bool TskListView::RowSelect() const {
    return m_list->selectionBehavior() == QAbstractItemView::SelectRows;
}

void TskListView::SetRowSelect(bool value) {
    m_list->setSelectionBehavior(value ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void TskListView::ReleaseBar(TskScrollBar* bar) {
    if (!bar) return;
    disconnect(bar, &TskScrollBar::OnChange, this, nullptr);
    bar->SetLineButton(0);
    bar->SetMax(100);
    bar->setEnabled(true);
}

void TskListView::AttachBar(TskScrollBar* bar, TskProgressBarOrientation orientation) {
    bar->SetSmallChange(5);
    bar->SetOrientation(orientation);
    if (orientation == skVertical)
        connect(bar, &TskScrollBar::OnChange, this, &TskListView::VerticalBarChanged);
    else
        connect(bar, &TskScrollBar::OnChange, this, &TskListView::HorizontalBarChanged);
    bar->raise();
    PlaceBars();
}

void TskListView::SetVScrollBar(TskScrollBar* value) {
    if (value == m_vBar) return;
    ReleaseBar(m_vBar);
    m_vBar = value;
    if (value) AttachBar(value, skVertical);
}

void TskListView::SetHScrollBar(TskScrollBar* value) {
    if (value == m_hBar) return;
    ReleaseBar(m_hBar);
    m_hBar = value;
    if (value) AttachBar(value, skHorizontal);
}

void TskListView::SyncBar(TskScrollBar* bar, const QScrollBar* native, Qt::Orientation orientation) {
    if (!bar) return;
    if (isHidden() || native->isHidden() || native->maximum() <= native->minimum() || !native->isEnabled()) {
        bar->SetLineButton(0);
        bar->setEnabled(false);
        bar->hide();
        return;
    }
    // The fixed slider as long as the list's own thumb.
    QStyleOptionSlider option;
    option.initFrom(native);
    option.orientation = orientation;
    option.minimum = native->minimum();
    option.maximum = native->maximum();
    option.pageStep = native->pageStep();
    option.sliderPosition = native->sliderPosition();
    option.sliderValue = native->value();
    const QRect thumb =
        native->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, native);
    bar->SetLineButton(orientation == Qt::Vertical ? thumb.height() : thumb.width());
    bar->setEnabled(true);
    bar->show();
    bar->SetMax(native->maximum());
    bar->SetMin(native->minimum());
    bar->SetPosition(native->value());
}

void TskListView::Sync() {
    auto shown = [](const TskScrollBar* bar) { return bar && !bar->isHidden(); };
    const bool vBefore = shown(m_vBar), hBefore = shown(m_hBar);
    m_syncing = true;
    SyncBar(m_vBar, m_list->verticalScrollBar(), Qt::Vertical);
    SyncBar(m_hBar, m_list->horizontalScrollBar(), Qt::Horizontal);
    m_syncing = false;
    // A bar that came or went changes the other one's length.
    if (!m_placing && (shown(m_vBar) != vBefore || shown(m_hBar) != hBefore)) PlaceBars();
}

void TskListView::VerticalBarChanged() {
    if (m_syncing || !m_vBar) return;
    // Report view: one row per step.
    QScrollBar* native = m_list->verticalScrollBar();
    native->setValue(native->value() + m_vBar->LastChange());
    m_list->viewport()->update();
}

void TskListView::HorizontalBarChanged() {
    if (m_syncing || !m_hBar) return;
    QScrollBar* native = m_list->horizontalScrollBar();
    native->setValue(native->value() + m_hBar->LastChange());
}

QRect TskListView::GeometryFor(const TskScrollBar* bar) const {
    const QWidget* host = bar->parentWidget();
    if (!host || host == parentWidget()) return geometry();
    return QRect(host->mapFromGlobal(mapToGlobal(QPoint(0, 0))), size());
}

void TskListView::PlaceBars() {
    m_placing = true;
    const bool vShown = m_vBar && !m_vBar->isHidden();
    const bool hShown = m_hBar && !m_hBar->isHidden();
    if (m_hBar) {
        const QRect list = GeometryFor(m_hBar);
        if (list.height() < m_hBar->height()) {
            m_hBar->move(m_hBar->x(), list.top());
        } else {
            const int width = list.width() - 2 - (vShown ? m_vBar->width() : 0);
            m_hBar->setGeometry(list.left() + 1, list.top() + list.height() - m_hBar->height() - 2,
                                std::max(0, width), m_hBar->height());
        }
    }
    if (m_vBar) {
        const QRect list = GeometryFor(m_vBar);
        if (list.width() < m_vBar->width()) {
            m_vBar->move(list.left(), m_vBar->y());
        } else {
            const int height = list.height() - 2 - (hShown ? m_hBar->height() : 0);
            m_vBar->setGeometry(list.left() + list.width() - m_vBar->width() - 2, list.top() + 1,
                                m_vBar->width(), std::max(0, height));
        }
    }
    Sync();
    m_placing = false;
}

QImage TskListView::Render() {
    QImage buffer = NewBuffer();
    buffer.fill(ColorToQColor(Color()));
    QPainter p(&buffer);
    FrameControlBorder(p, this, m_borderColor, Color(), true);
    return buffer;
}

void TskListView::resizeEvent(QResizeEvent* event) {
    TskControl::resizeEvent(event);
    m_list->setGeometry(rect().adjusted(2, 2, -2, -2));
    PlaceBars();
    Q_EMIT OnResize();
}

void TskListView::moveEvent(QMoveEvent* event) {
    TskControl::moveEvent(event);
    PlaceBars();
}

void TskListView::showEvent(QShowEvent* event) {
    TskControl::showEvent(event);
    Sync();
}

void TskListView::hideEvent(QHideEvent* event) {
    TskControl::hideEvent(event);
    for (TskScrollBar* bar : {m_vBar.data(), m_hBar.data()})
        if (bar) bar->hide();
}

void TskListView::changeEvent(QEvent* event) {
    TskControl::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) Sync();
    if (event->type() == QEvent::ParentChange) ColorChanged();
}

bool TskListView::eventFilter(QObject* watched, QEvent* event) {
    const QScrollBar* vNative = m_list->verticalScrollBar();
    const QScrollBar* hNative = m_list->horizontalScrollBar();
    if (watched == vNative || watched == hNative) {
        // The list's own bar appearing or going: the skinned one follows.
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide ||
            event->type() == QEvent::EnabledChange)
            Sync();
        return false;
    }
    if (watched != m_list && watched != m_list->viewport()) return TskControl::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        EmitKeyDown(static_cast<QKeyEvent*>(event));
        return false;
    case QEvent::KeyRelease:
        EmitKeyUp(static_cast<QKeyEvent*>(event));
        return false;
    case QEvent::MouseButtonPress:
        if (watched == m_list->viewport()) {
            ArmClick(static_cast<QMouseEvent*>(event));
            EmitMouseDown(static_cast<QMouseEvent*>(event));
        }
        return false;
    case QEvent::MouseMove:
        if (watched == m_list->viewport()) EmitMouseMove(static_cast<QMouseEvent*>(event));
        return false;
    case QEvent::MouseButtonRelease:
        if (watched == m_list->viewport()) {
            if (TakeClick(static_cast<QMouseEvent*>(event))) Q_EMIT OnClick();
            EmitMouseUp(static_cast<QMouseEvent*>(event));
        }
        return false;
    case QEvent::MouseButtonDblClick:
        if (watched == m_list->viewport()) Q_EMIT OnDblClick();
        return false;
    case QEvent::FocusIn:
        if (watched == m_list) Q_EMIT OnEnter();
        return false;
    case QEvent::FocusOut:
        if (watched == m_list) Q_EMIT OnExit();
        return false;
    default:
        return false;
    }
}
