#include "tests/gallery/LayoutCheck.h"

#include "skin/SKComboBox.h"
#include "skin/SKPageControl.h"
#include "skin/SKTabControl.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTreeView>
#include <QWidget>

namespace {

QString plain(QString text) {
    // An accelerator's '&' is not drawn; "&&" draws one.
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
    return text;
}

QString nameOf(const QWidget& w) {
    return QStringLiteral("%1 (%2)").arg(w.objectName(), QString::fromLatin1(w.metaObject()->className()));
}

// What a description places outside the window on purpose.
bool leftOut(const QWidget& w, const QWidget& window) {
    const QString name = w.objectName();
    const bool outside = !QRect(w.mapTo(&window, QPoint(0, 0)), w.size()).intersects(window.rect());
    // The default button the tool windows keep out of sight, so that Enter has a target.
    if (name == QLatin1String("Button1") && outside) return true;
    // The splitter's source format line, kept out of sight as the window's only place for it.
    if (name == QLatin1String("lbFormatStr") && outside) return true;
    return false;
}

// Shown now: on the page in front of every page control it stands in.
bool shown(const QWidget& w, const QWidget& window) {
    if (!w.isVisibleTo(&window)) return false;
    for (const QWidget* up = &w; up && up != &window; up = up->parentWidget())
        if (const auto* page = qobject_cast<const TskTabSheet*>(up))
            if (page->PageControl() && page->PageControl()->ActivePage() != page) return false;
    return true;
}

// Pictures and frames that make up the window itself rather than stand on it.
bool windowPart(const QWidget& w, const QWidget& window) {
    if (w.inherits("TskForm") || w.inherits("TskSkinForm") || w.inherits("TskTitleBar")) return true;
    // The background, corner and side pictures draw the window's own border.
    if (const auto* picture = qobject_cast<const QLabel*>(&w); picture && !picture->pixmap().isNull())
        return true;
    // The skinned frame's client panel fills the room inside the frame.
    return w.parentWidget() && w.parentWidget()->inherits("TskForm") && w.size() != window.size();
}

// The native box a drop-down list draws its shown item in, and the room its text has there.
int comboRoom(const QWidget& w, const QComboBox& combo) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    option.subControls = QStyle::SC_All;
    QRect field =
        combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    field.translate(combo.mapTo(&w, QPoint(0, 0)));
    // A skinned box lays its own button over the native one's right end.
    if (const auto* skinned = qobject_cast<const TskCustomComboBox*>(&w))
        field.setRight(std::min(field.right(), skinned->ButtonRect().left() - 1));
    // The text stands a pixel in from the field's left.
    return field.width() - 1;
}

// The width a control's text may take, or -1 where the control draws no single-line text of its own.
int room(const QWidget& w, QString& text) {
    const QVariant caption = w.property("Caption");
    if (w.inherits("TskCheckBox")) {
        text = caption.toString();
        // The box picture (13 pixels in the themes) stands one pixel in, the text 4 pixels after it.
        return w.width() - 13 - 4 - 1;
    }
    if (w.inherits("TskCustomButton") && !w.inherits("TskImageButton")) {
        text = caption.toString();
        return w.width() - 4;
    }
    if (w.inherits("TskCustomGroupBox")) {
        text = caption.toString();
        return w.width() - 10;
    }
    // A drop-down list may come to show any of its items: the widest one must fit.
    const auto* combo = qobject_cast<const QComboBox*>(&w);
    if (!combo && w.inherits("TskCustomComboBox")) combo = static_cast<const TskCustomComboBox&>(w).Combo();
    if (combo) {
        // The ripper's drive box names a disc image by its path, which no width holds: its edit
        // scrolls such a name, and the open list shows it whole.
        if (w.objectName() == QLatin1String("cboxDevice")) return -1;
        const QFontMetrics fm = combo->fontMetrics();
        for (int i = 0; i < combo->count(); ++i)
            if (fm.horizontalAdvance(combo->itemText(i)) > fm.horizontalAdvance(text))
                text = combo->itemText(i);
        return comboRoom(w, *combo);
    }
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        if (label->wordWrap() || label->textFormat() == Qt::RichText) return -1;
        text = label->text();
        return label->contentsRect().width() - 2 * label->margin();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&w)) {
        text = button->text();
        return button->width() -
               (button->sizeHint().width() - button->fontMetrics().horizontalAdvance(plain(button->text())));
    }
    return -1;
}

QString place(const QWidget& w) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(w.x()).arg(w.y()).arg(w.width()).arg(w.height());
}

} // namespace

QStringList LayoutFaults(const QWidget& window) {
    QStringList faults;
    const QRect inside = window.rect().adjusted(kWindowMargin, kWindowMargin, -kWindowMargin, -kWindowMargin);
    const QList<QWidget*> all = window.findChildren<QWidget*>();
    for (const QWidget* w : all) {
        // Only the controls a form description places, as far as they are shown now.
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        if (w->isWindow() || !shown(*w, window) || leftOut(*w, window)) continue;
        const QWidget* parent = w->parentWidget();
        if (parent && !parent->rect().contains(w->geometry())) {
            const QRect r = w->geometry();
            const int past = std::max({-r.left(), -r.top(), r.right() - (parent->width() - 1),
                                       r.bottom() - (parent->height() - 1)});
            faults << QStringLiteral("%1 at %2 reaches %3 px past %4 (%5x%6)")
                          .arg(nameOf(*w), place(*w))
                          .arg(past)
                          .arg(nameOf(*parent))
                          .arg(parent->width())
                          .arg(parent->height());
        }
        if (!windowPart(*w, window)) {
            const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
            if (!inside.contains(r)) {
                const int close = std::min(
                    {r.left(), r.top(), window.width() - 1 - r.right(), window.height() - 1 - r.bottom()});
                faults << QStringLiteral(
                              "%1 at %2 stands %3 px from the window's border, %4 px short of the margin")
                              .arg(nameOf(*w), place(*w))
                              .arg(close)
                              .arg(kWindowMargin - close);
            }
        }
        // Every tab of a tab row stands in it whole, with no scroll buttons to reach the rest.
        if (const auto* tabs = qobject_cast<const TskTab*>(w);
            tabs && tabs->TopPanel() && tabs->TopPanel()->Overflow())
            faults << QStringLiteral("%1 tabs do not fit its width of %2 px").arg(nameOf(*w)).arg(w->width());
        // The columns of a list fit it as shown now, and would beside a vertical scroll bar with the
        // last column (which stretches over what is left) as narrow as its heading.
        if (const auto* list = qobject_cast<const QTreeView*>(w); list && !list->isHeaderHidden()) {
            const QHeaderView* header = list->header();
            int columns = 0, last = -1;
            for (int i = 0; i < header->count(); ++i) {
                const int section = header->logicalIndex(i);
                if (header->isSectionHidden(section)) continue;
                columns += header->sectionSize(section);
                last = section;
            }
            const int least =
                last < 0 ? 0 : columns - header->sectionSize(last) + header->sectionSizeHint(last);
            const int barred =
                list->width() - 2 * list->frameWidth() - list->verticalScrollBar()->sizeHint().width();
            const int now = list->viewport()->width();
            if (columns > now || least > barred)
                faults << QStringLiteral("%1 columns are %2 px wide in %3, %4 px too wide")
                              .arg(nameOf(*w))
                              .arg(columns > now ? columns : least)
                              .arg(columns > now ? now : barred)
                              .arg(columns > now ? columns - now : least - barred);
        }
        QString text;
        const int space = room(*w, text);
        // A control that draws a text is not hidden under a sibling stacked above it (a later
        // child of the same parent): a label's text where it stands, an empty label's whole room
        // (any text may come there), any other control's whole box.
        if (space >= 0 && parent && !windowPart(*w, window)) {
            QRect drawnAt = w->geometry();
            if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->text().isEmpty()) {
                const QSize size(label->fontMetrics().horizontalAdvance(plain(label->text())),
                                 label->fontMetrics().height());
                drawnAt = QStyle::alignedRect(label->layoutDirection(), label->alignment(), size,
                                              label->contentsRect())
                              .translated(label->pos())
                              .intersected(drawnAt);
            }
            const QObjectList& siblings = parent->children();
            for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
                const auto* above = qobject_cast<const QWidget*>(siblings.at(i));
                if (!above || above->objectName().isEmpty() || above->isWindow() || !shown(*above, window) ||
                    windowPart(*above, window) || !above->geometry().intersects(drawnAt))
                    continue;
                faults << QStringLiteral("%1 at %2 is partly under %3 at %4")
                              .arg(nameOf(*w), place(*w), nameOf(*above), place(*above));
            }
        }
        if (space < 0 || text.trimmed().isEmpty()) continue;
        const QString drawn = plain(text);
        // A text with line breaks takes the room of its widest line.
        int wide = 0;
        for (const QString& line : drawn.split(QLatin1Char('\n')))
            wide = std::max(wide, w->fontMetrics().horizontalAdvance(line));
        if (wide > space)
            faults << QStringLiteral("%1 text \"%2\" is %3 px wide in %4, %5 px short")
                          .arg(nameOf(*w), drawn)
                          .arg(wide)
                          .arg(space)
                          .arg(wide - space);
    }
    return faults;
}
