#include "platform/WindowMessages.h"

#include "platform/Application.h"

#include <QCoreApplication>

WindowMessageEvent::WindowMessageEvent(WindowMessageId id, qintptr wParam, qintptr lParam)
    : QEvent(eventType()), m_id(id), m_wParam(wParam), m_lParam(lParam) {}

QEvent::Type WindowMessageEvent::eventType() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

unsigned WindowMessageEvent::message() const {
    switch (m_id) {
    case WindowMessageId::HotkeyDetected:
        return WM_HOTKEYDETECTED;
    case WindowMessageId::ConvertProgress:
        return WM_CONVERTPROGRESS;
    case WindowMessageId::SplitJoinProgress:
        return WM_SPLITJOINPROGRESS;
    }
    return 0;
}

void PostWindowMessage(QObject* window, WindowMessageId id, qintptr wParam, qintptr lParam) {
    if (!window) return;
    QCoreApplication::postEvent(window, new WindowMessageEvent(id, wParam, lParam));
}

void RunOnUiThread(QObject* context, std::function<void()> fn) {
    if (!context || !fn) return;
    QMetaObject::invokeMethod(
        context, [fn = std::move(fn)] { RunGuarded(fn); }, Qt::QueuedConnection);
}
