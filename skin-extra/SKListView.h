#pragma once

// TskListView: a report-style list (columns of texts, one row per item) inside a skin border in
// the theme's control border colour, with optionally two skinned scroll bars standing in front of
// the list's own scroll bars and following them.

#include "platform/Colors.h"
#include "skin/SKControls.h"
#include "skin/SKScrollBar.h"

#include <QPointer>
#include <QStyledItemDelegate>

class QScrollBar;
class QTreeWidget;

// The rows of the suite's lists: a pixel taller than their text above and below, so that a grid
// line on a row's last pixel never covers the text's descent (an underscore sits on the last pixel
// row of the font's height).
class TskListRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TskListView : public TskControl {
    Q_OBJECT
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(TskFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Skin::TskUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TskScrollBar* VScrollBar READ VScrollBar WRITE SetVScrollBar)
    Q_PROPERTY(TskScrollBar* HScrollBar READ HScrollBar WRITE SetHScrollBar)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(QStringList Columns READ Columns WRITE SetColumns)
    Q_PROPERTY(bool ShowColumnHeaders READ ShowColumnHeaders WRITE SetShowColumnHeaders)
    Q_PROPERTY(bool MultiSelect READ MultiSelect WRITE SetMultiSelect)
    Q_PROPERTY(bool RowSelect READ RowSelect WRITE SetRowSelect)
public:
    explicit TskListView(QWidget* parent = nullptr);
    ~TskListView() override;

    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor value);
    TskScrollBar* VScrollBar() const { return m_vBar; }
    // Attaches a skinned bar (nothing when unchanged): the bar released before gets back its
    // defaults; the new one steps 5, takes the direction, follows the list and stands in front.
    void SetVScrollBar(TskScrollBar* value);
    TskScrollBar* HScrollBar() const { return m_hBar; }
    void SetHScrollBar(TskScrollBar* value);

    // The column captions.
    QStringList Columns() const;
    void SetColumns(const QStringList& value);
    bool ShowColumnHeaders() const;
    void SetShowColumnHeaders(bool value);
    bool MultiSelect() const;
    void SetMultiSelect(bool value);
    bool RowSelect() const;
    void SetRowSelect(bool value);

    // The native list inside the border (items, columns and its own scroll bars).
    QTreeWidget* List() const { return m_list; }
    // Brings the attached skinned bars to the list's scroll bars: shown and enabled with the
    // list's range and position while the list's own bar is there, otherwise hidden.
    void Sync();
    // Places the attached bars over the list's right and bottom edges.
    void PlaceBars();
    // The border; the list inside is drawn by itself.
    QImage Render() override;

Q_SIGNALS:
    void OnSelectItem(int row, bool selected);
    void OnColumnClick(int column);
    void OnResize();

protected:
    void UIStyleChanged() override;
    void ColorChanged() override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReleaseBar(TskScrollBar* bar);
    void AttachBar(TskScrollBar* bar, TskProgressBarOrientation orientation);
    void SyncBar(TskScrollBar* bar, const QScrollBar* native, Qt::Orientation orientation);
    void VerticalBarChanged();
    void HorizontalBarChanged();
    // The list's rectangle in the coordinates of the bar's parent.
    QRect GeometryFor(const TskScrollBar* bar) const;

    QTreeWidget* m_list;
    TColor m_borderColor = clBlack;
    QPointer<TskScrollBar> m_vBar;
    QPointer<TskScrollBar> m_hBar;
    bool m_syncing = false;
    bool m_placing = false;
};
