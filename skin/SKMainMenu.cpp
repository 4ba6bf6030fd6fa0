#include "skin/SKMainMenu.h"

#include "skin/SKMgr.h"

#include <QAction>
#include <QEvent>
#include <QVariant>
#include <QWidget>

TskMainMenu::TskMainMenu(QObject* owner) : QObject(owner), m_items(std::make_unique<QMenu>()) {
    InitCore(this);
    InstallOn(m_items.get());
    SetUIStyle(GetFormUIStyle(owner));
    // The first skinned form panel of the owning form shows this menu.
    if (auto* form = qobject_cast<QWidget*>(owner); form && form->isWindow()) {
        for (QObject* child : form->children()) {
            if (child->isWidgetType() && child->inherits("TskForm")) {
                child->setProperty("Menu", QVariant::fromValue(static_cast<QObject*>(this)));
                break;
            }
        }
    }
}

TskMainMenu::~TskMainMenu() = default;

QMenu* TskMainMenu::AddMenu(const QString& caption) {
    QMenu* sub = m_items->addMenu(caption);
    InstallOn(sub);
    return sub;
}

void TskMainMenu::Loaded() {
    InstallOn(m_items.get());
    CallPanel("RebuildMenuBar");
}

void TskMainMenu::SetUseSystemFont(bool value) {
    TskMenuCore::SetUseSystemFont(value);
    CallPanel("SetMenuBarFont");
}

QImage TskMainMenu::ItemImage(const QAction* action) const {
    bool ok = false;
    const int index = action ? action->property("ImageIndex").toInt(&ok) : -1;
    if (ok && index >= 0 && index < m_images.size()) return m_images[index];
    return TskMenuCore::ItemImage(action);
}

void TskMainMenu::LookChanged() {
    const QFont font = m_look.ItemFont();
    m_items->setFont(font);
    for (QMenu* sub : m_items->findChildren<QMenu*>())
        sub->setFont(font);
}

void TskMainMenu::CallPanel(const char* method) {
    if (!m_formPanel) return;
    const QMetaObject* mo = m_formPanel->metaObject();
    if (mo->indexOfMethod(QMetaObject::normalizedSignature((QByteArray(method) + "()").constData())) >= 0)
        QMetaObject::invokeMethod(m_formPanel, method);
}

bool TskMainMenu::eventFilter(QObject* watched, QEvent* event) {
    WatchEvent(watched, event);
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
    case QEvent::ActionChanged:
        Q_EMIT MenuChanged();
        CallPanel("RefreshMenuBar");
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
