#include "skin/SKPopupMenu.h"

#include "skin/SKMgr.h"

#include <QEvent>

TskPopupMenu::TskPopupMenu(QWidget* owner) : QMenu(owner) {
    InitCore(this);
    InstallOn(this);
    SetUIStyle(GetFormUIStyle(owner));
    connect(this, &QMenu::aboutToShow, this, &TskPopupMenu::OnPopup);
}

void TskPopupMenu::Loaded() {
    InstallOn(this);
}

void TskPopupMenu::Popup(int x, int y) {
    popup(QPoint(x, y));
}

void TskPopupMenu::LookChanged() {
    const QFont font = m_look.ItemFont();
    setFont(font);
    for (QMenu* sub : findChildren<QMenu*>())
        sub->setFont(font);
    update();
}

bool TskPopupMenu::eventFilter(QObject* watched, QEvent* event) {
    WatchEvent(watched, event);
    return QMenu::eventFilter(watched, event);
}
