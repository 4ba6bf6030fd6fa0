#include "common/DialogControls.h"

#include "platform/FormResource.h"
#include "skin-extra/SKListView.h"
#include "skin/SKComboBox.h"
#include "skin/SKEdit.h"
#include "skin/SKForm.h"
#include "skin/SKMgr.h"
#include "skin/SKThemes.h"
#include "skin/SKTitleBar.h"

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>
#include <utility>

namespace {
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 80;
} // namespace

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(kRepeatIntervalMs);
        SetPosition(m_position + m_heldStep);
    });
}

void TUpDown::SetMin(int value) {
    m_min = value;
    SetPosition(m_position);
}

void TUpDown::SetMax(int value) {
    m_max = value;
    SetPosition(m_position);
}

void TUpDown::SetPosition(int value) {
    const int p = std::clamp(value, m_min, std::max(m_min, m_max));
    const bool changed = p != m_position;
    m_position = p;
    showPosition();
    if (changed) Q_EMIT OnChange();
}

void TUpDown::SetAssociate(QWidget* edit) {
    m_associate = edit;
    if (edit) edit->setEnabled(isEnabled());
    showPosition();
}

void TUpDown::SetEnabled(bool value) {
    setEnabled(value);
}

void TUpDown::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (m_associate) m_associate->setEnabled(isEnabled());
        if (!isEnabled()) m_repeat.stop();
    }
    QWidget::changeEvent(event);
}

void TUpDown::hideEvent(QHideEvent* event) {
    m_repeat.stop();
    QWidget::hideEvent(event);
}

void TUpDown::showPosition() {
    if (QLineEdit* edit = NativeEdit(m_associate)) edit->setText(QString::number(m_position));
}

void TUpDown::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int half = height() / 2;
    const QRect parts[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = parts[i];
        style()->drawControl(QStyle::CE_PushButtonBevel, &button, &p, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = parts[i].adjusted(2, 1, -2, -1);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
                               &p, this);
    }
}

int TUpDown::stepAt(const QPointF& point) const {
    if (!rect().contains(point.toPoint())) return 0;
    return point.y() < height() / 2 ? 1 : -1;
}

void TUpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_heldStep = stepAt(event->position());
    if (m_heldStep == 0) return;
    SetPosition(m_position + m_heldStep);
    m_repeat.start(kRepeatDelayMs);
}

void TUpDown::mouseMoveEvent(QMouseEvent* event) {
    // Qt sends moves to the control while its button is held, wherever the pointer is.
    if (m_repeat.isActive() && stepAt(event->position()) != m_heldStep) m_repeat.stop();
}

void TUpDown::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_repeat.stop();
}

TDateTimePicker::TDateTimePicker(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    setDisplayFormat(QLocale::system().dateFormat(QLocale::LongFormat));
    setDate(QDate::currentDate());
}

namespace {
// Folder and file icons and types by kind only: the default provider sniffs file contents for their type,
// and reading some files (under /proc, devices, pipes) never returns.
class KindIconProvider : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QAbstractFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo& info) const override {
        return info.isDir() ? QStringLiteral("Folder") : QStringLiteral("File");
    }
};
} // namespace

TShellTreeView::TShellTreeView(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QFileSystemModel* TShellTreeView::EnsureModel() const {
    if (m_model) return m_model;
    auto* self = const_cast<TShellTreeView*>(this);
    static KindIconProvider icons;
    m_model = new QFileSystemModel(self);
    m_model->setIconProvider(&icons);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(QStringLiteral("/"));
    self->setModel(m_model);
    for (int c = 1; c < m_model->columnCount(); ++c)
        self->hideColumn(c);
    // "/" itself is the one node at the top.
    self->setRootIndex(m_model->index(QStringLiteral("/")).parent());
    self->setSortingEnabled(true);
    self->sortByColumn(0, Qt::AscendingOrder);
    // Folders are read in the background; each one read may push the chosen folder down, and so
    // may the sort that follows a read (the sorted rows are laid out after it).
    connect(m_model, &QFileSystemModel::directoryLoaded, self, [self] { self->KeepSelectedInView(); });
    connect(
        m_model, &QFileSystemModel::layoutChanged, self, [self] { self->KeepSelectedInView(); },
        Qt::QueuedConnection);
    const QStringList pending = std::exchange(m_pendingFolders, {});
    for (const QString& folder : pending)
        self->Select(folder);
    return m_model;
}

void TShellTreeView::showEvent(QShowEvent* event) {
    EnsureModel();
    QTreeView::showEvent(event);
    KeepSelectedInView();
}

void TShellTreeView::KeepSelectedInView() {
    if (m_keptInView.isEmpty()) return;
    const QModelIndex current = currentIndex();
    if (!current.isValid() || m_model->filePath(current) != m_keptInView) {
        m_keptInView.clear();
        return;
    }
    if (isVisible()) scrollTo(current, QAbstractItemView::PositionAtCenter);
}

QString TShellTreeView::SelectedFolder() const {
    EnsureModel();
    const QModelIndex i = currentIndex();
    return i.isValid() ? m_model->filePath(i) : QString();
}

void TShellTreeView::SelectFolder(const QString& folder) {
    if (!m_model) {
        m_pendingFolders.append(folder);
        return;
    }
    Select(folder);
}

void TShellTreeView::Select(const QString& folder) {
    const QModelIndex target = m_model->index(QDir::cleanPath(folder));
    if (!target.isValid()) return;
    for (QModelIndex i = target.parent(); i.isValid(); i = i.parent())
        expand(i);
    expand(target);
    setCurrentIndex(target);
    m_keptInView = m_model->filePath(target);
    KeepSelectedInView();
}

void TShellTreeView::keyPressEvent(QKeyEvent* event) {
    m_keptInView.clear();
    QTreeView::keyPressEvent(event);
}

void TShellTreeView::wheelEvent(QWheelEvent* event) {
    m_keptInView.clear();
    QTreeView::wheelEvent(event);
}

void TShellTreeView::mousePressEvent(QMouseEvent* event) {
    m_keptInView.clear();
    if (event->button() == Qt::RightButton) {
        const QModelIndex i = indexAt(event->position().toPoint());
        if (i.isValid()) setCurrentIndex(i);
    }
    QTreeView::mousePressEvent(event);
}

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {
    // Tabs as narrow as the classic ones, so that seven fit across a small dialog.
    setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 6px; }"));
}

TTabSheet::TTabSheet(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true); // the face colour the skin controls lay their pictures on
    if (auto* pages = qobject_cast<TPageControl*>(parent)) pages->addTab(this, QString());
}

void TTabSheet::SetCaption(const QString& value) {
    m_caption = value;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
            tabs->setTabText(tabs->indexOf(this), value);
            break;
        }
    }
}

TListView::TListView(QWidget* parent) : QTreeWidget(parent) {
    setItemDelegate(new TskListRowDelegate(this));
    setRootIsDecorated(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(true);
    connect(header(), &QHeaderView::sectionClicked, this, &TListView::OnColumnClick);
    connect(this, &QTreeWidget::itemClicked, this, [this] { Q_EMIT OnClick(); });
    connect(this, &QTreeWidget::itemSelectionChanged, this, &TListView::OnSelectItem);
}

void TListView::SetGridLines(bool on) {
    m_gridLines = on;
    viewport()->update();
}

QColor TListView::GridLineColor() {
    return QColor(0xE0, 0xE0, 0xE0);
}

void TListView::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (!m_gridLines || columnCount() == 0) return;
    QPainter p(viewport());
    p.setPen(GridLineColor());
    const int height = viewport()->height();
    // Rows are of one height; below the last row the lines go on at that height.
    const QModelIndex first = indexAt(QPoint(0, 0));
    int rowHeight = first.isValid() ? visualRect(first).height() : 0;
    if (rowHeight <= 0) rowHeight = topLevelItemCount() > 0 ? sizeHintForRow(0) : 0;
    if (rowHeight <= 0) rowHeight = fontMetrics().height() + 4;
    const int top = first.isValid() ? visualRect(first).top() : 0;
    const QHeaderView* head = header();
    int right = 0;
    for (int c = 0; c < columnCount(); ++c) {
        if (head->isSectionHidden(c)) continue;
        const int x = head->sectionViewportPosition(c) + head->sectionSize(c) - 1;
        right = std::max(right, x);
        p.drawLine(x, 0, x, height);
    }
    for (int y = top + rowHeight - 1; y < height; y += rowHeight)
        p.drawLine(0, y, right, y);
}

QStringList TListView::Columns() const {
    QStringList headers;
    for (int c = 0; c < columnCount(); ++c)
        headers << headerItem()->text(c);
    return headers;
}

void TListView::SetColumns(const QStringList& headers) {
    setColumnCount(int(headers.size()));
    setHeaderLabels(headers);
}

QLineEdit* NativeEdit(QObject* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit;
    if (auto* skinned = qobject_cast<TskEdit*>(control)) return skinned->Editor();
    return nullptr;
}

QComboBox* NativeCombo(QObject* control) {
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo;
    if (auto* skinned = qobject_cast<TskCustomComboBox*>(control)) return skinned->Combo();
    return nullptr;
}

QVariantList TListView::ColumnWidths() const {
    QVariantList widths;
    for (int c = 0; c < columnCount(); ++c)
        widths << columnWidth(c);
    return widths;
}

void TListView::SetColumnWidths(const QVariantList& widths) {
    for (int c = 0; c < int(widths.size()); ++c)
        setColumnWidth(c, std::clamp(widths[c].toInt(), 0, 4096));
}

QTreeWidget* NativeList(QObject* control) {
    if (auto* list = qobject_cast<QTreeWidget*>(control)) return list;
    if (auto* skinned = qobject_cast<TskListView*>(control)) return skinned->List();
    return nullptr;
}

namespace {
TskBuiltInFileTheme* MainWindowTheme(QWidget* form, const QString& name) {
    auto* theme = form->findChild<TskBuiltInFileTheme*>(name, Qt::FindDirectChildrenOnly);
    if (!theme)
        theme = static_cast<TskBuiltInFileTheme*>(ResolveFormReference(
            form, QStringLiteral("frmMain.") + name, &TskBuiltInFileTheme::staticMetaObject));
    return theme;
}
} // namespace

TskBuiltInFileTheme* ApplyEmbeddedTheme(QWidget* form) {
    TskBuiltInFileTheme* frameTheme = MainWindowTheme(form, QStringLiteral("themeNew"));
    TskBuiltInFileTheme* controlTheme = MainWindowTheme(form, QStringLiteral("themeMp10"));
    // Guarded: a control re-themed here (the frame's title bar) may replace parts of its own that the
    // list still holds.
    QList<QPointer<QObject>> objects;
    for (QObject* o : form->findChildren<QObject*>())
        objects.append(o);
    for (const QPointer<QObject>& o : objects) {
        if (!o || o->metaObject()->indexOfProperty("FileTheme") < 0) continue;
        // A control whose description names its theme keeps it.
        if (o->property("FileTheme").value<QObject*>()) continue;
        const bool frame = qobject_cast<TskForm*>(o) || qobject_cast<TskTitleBar*>(o);
        o->setProperty("FileTheme", QVariant::fromValue<TskFileTheme*>(frame ? frameTheme : controlTheme));
    }
    return frameTheme;
}

void FitSkinnedDialog(QWidget* form) {
    auto* frame = form->findChild<TskForm*>(QString(), Qt::FindDirectChildrenOnly);
    if (!frame) return;
    if (form->property("BorderStyle").toString() == QLatin1String("bsDialog")) {
        TskTitleBarButtons* buttons = frame->TitleBarButtons();
        for (int i = 0; i < buttons->Count(); ++i) {
            TskTitleBarButton* button = buttons->Items(i);
            if (button->ButtonType() == skMax || button->ButtonType() == skMin) button->SetVisible(false);
        }
    }
}

void RegisterDialogControls() {
    FormClassRegistry::addWidget<TUpDown>(QStringLiteral("TUpDown"));
    FormClassRegistry::addWidget<TDateTimePicker>(QStringLiteral("TDateTimePicker"));
    FormClassRegistry::addWidget<TShellTreeView>(QStringLiteral("TShellTreeView"));
    FormClassRegistry::addWidget<TPageControl>(QStringLiteral("TPageControl"));
    FormClassRegistry::addWidget<TTabSheet>(QStringLiteral("TTabSheet"));
    FormClassRegistry::addWidget<TListView>(QStringLiteral("TListView"));
    // A skinned edit, drop-down list or track list gives the plain control inside it the palette
    // colours its description names (and the track list its column header too).
    FormClassRegistry::addPropertyAdapter<TskEdit>([](TskEdit* edit, const QString& name, const QVariant& v) {
        return FormValue::applyPaletteColor(edit->Editor(), name, v);
    });
    FormClassRegistry::addPropertyAdapter<TskCustomComboBox>(
        [](TskCustomComboBox* combo, const QString& name, const QVariant& v) {
            return FormValue::applyPaletteColor(combo->Combo(), name, v);
        });
    FormClassRegistry::addPropertyAdapter<TskListView>(
        [](TskListView* list, const QString& name, const QVariant& v) {
            return FormValue::applyPaletteColor(list->List(), name, v) &&
                   FormValue::applyPaletteColor(list->List()->header(), name, v);
        });
}
