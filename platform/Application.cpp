#include "platform/Application.h"

#include "platform/UserMessages.h"

#include <exception>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The main window decides when the program ends, not the last visible window.
    setQuitOnLastWindowClosed(false);
}

void Application::setTitle(const QString& title) {
    setApplicationDisplayName(title);
}

QString Application::title() const {
    return applicationDisplayName();
}

namespace {
void showEscaped(std::exception_ptr escaped) {
    try {
        std::rethrow_exception(escaped);
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("An unexpected error occurred."));
    }
}
} // namespace

bool Application::notify(QObject* receiver, QEvent* event) {
    // The last line of defence: handlers run guarded, but Qt's own event handlers may throw too
    // (std::bad_alloc).
    std::exception_ptr escaped;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        escaped = std::current_exception();
    }
    showEscaped(escaped);
    return false;
}

void RunGuarded(const std::function<void()>& handler) {
    std::exception_ptr escaped;
    try {
        handler();
    } catch (...) {
        escaped = std::current_exception();
    }
    // Shown outside the handler's catch: the error box runs a nested loop.
    if (escaped) showEscaped(escaped);
}
