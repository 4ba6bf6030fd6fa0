#pragma once

#include <QEvent>
#include <QObject>

#include <functional>

// Messages a worker thread posts to a window. They are queued and handled in the order posted, on
// the user-interface thread, by the window's customEvent(). Two of them share one numeric value, as
// they always have; each keeps its own identity all the same.
enum class WindowMessageId {
    HotkeyDetected,    // wParam 0 start recording, 1 stop
    ConvertProgress,   // wParam 1, lParam percent
    SplitJoinProgress, // wParam entry index, lParam percent
};

constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_HOTKEYDETECTED = WM_USER + 1;
constexpr unsigned WM_CONVERTPROGRESS = WM_USER + 1;
constexpr unsigned WM_SPLITJOINPROGRESS = WM_USER + 2;

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(WindowMessageId id, qintptr wParam, qintptr lParam);

    static QEvent::Type eventType();

    WindowMessageId id() const { return m_id; }
    unsigned message() const; // the numeric value (WM_...)
    qintptr wParam() const { return m_wParam; }
    qintptr lParam() const { return m_lParam; }

private:
    WindowMessageId m_id;
    qintptr m_wParam;
    qintptr m_lParam;
};

// Safe from any thread. A window that is gone by the time the message would arrive never gets it.
void PostWindowMessage(QObject* window, WindowMessageId id, qintptr wParam, qintptr lParam);

// Runs `fn` on the thread of `context` (the user-interface thread for a window or a component's
// event target), later, in posting order. Dropped when `context` is destroyed first.
void RunOnUiThread(QObject* context, std::function<void()> fn);
