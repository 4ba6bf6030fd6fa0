#include "platform/DropDownList.h"

#include "platform/WindowPlace.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

void PlaceDropDownList(QComboBox* combo) {
    QAbstractItemView* view = combo->view();
    QWidget* list = view ? view->window() : nullptr;
    if (!list || list == combo->window() || !list->isVisible()) return;
    CorrectWindowPlace(combo->window());
    const QRect box(combo->mapToGlobal(QPoint(0, 0)), combo->size());
    QRect placed(QPoint(box.left(), box.bottom() + 1),
                 QSize(std::max(list->width(), box.width()), list->height()));
    if (const QScreen* screen = combo->screen()) {
        const QRect area = screen->availableGeometry();
        const int below = area.bottom() - box.bottom();
        const int above = box.top() - area.top();
        if (placed.height() > below && above > below) {
            placed.setHeight(std::min(placed.height(), above));
            placed.moveBottom(box.top() - 1);
        } else {
            placed.setHeight(std::max(1, std::min(placed.height(), below)));
        }
        placed.moveLeft(
            std::clamp(placed.left(), area.left(), std::max(area.left(), area.right() + 1 - placed.width())));
    }
    list->setGeometry(placed);
    if (view->currentIndex().isValid())
        view->scrollTo(view->currentIndex(), QAbstractItemView::EnsureVisible);
}

namespace {

// On the open list's view, before the combo box's own handling: the shortcut check that comes
// ahead of a key press (ShortcutOverride) is claimed for Escape, so no window shortcut takes it,
// and the press itself closes the list.
class EscapeInList : public QObject {
public:
    static constexpr const char* kName = "escapeInList";
    EscapeInList(QComboBox* combo, QObject* parent) : QObject(parent), m_combo(combo) {
        setObjectName(kName);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier)
            return QObject::eventFilter(watched, event);
        key->accept();
        if (type == QEvent::KeyPress) m_combo->hidePopup();
        return true;
    }

private:
    QComboBox* m_combo;
};

} // namespace

void KeepEscapeInList(QComboBox* combo) {
    QAbstractItemView* view = combo->view();
    if (!view) return;
    QObject* filter = view->findChild<QObject*>(EscapeInList::kName, Qt::FindDirectChildrenOnly);
    if (!filter) filter = new EscapeInList(combo, view);
    // Installed again at each opening: the combo box puts its own filter first as its list opens,
    // and the filter installed last runs first.
    view->installEventFilter(filter);
}

void TComboBox::showPopup() {
    QComboBox::showPopup();
    KeepEscapeInList(this);
    PlaceDropDownList(this);
}
