#include "platform/DropDownList.h"

#include <QAbstractItemView>
#include <QScreen>

#include <algorithm>

void PlaceDropDownList(QComboBox* combo) {
    QAbstractItemView* view = combo->view();
    QWidget* list = view ? view->window() : nullptr;
    if (!list || list == combo->window() || !list->isVisible()) return;
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

void TComboBox::showPopup() {
    QComboBox::showPopup();
    PlaceDropDownList(this);
}
