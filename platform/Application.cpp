#include "platform/Application.h"

#include <QMessageBox>

#include <exception>

namespace {
Application::ErrorPresenter& presenter() {
    static Application::ErrorPresenter p;
    return p;
}
} // namespace

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

void Application::setErrorPresenter(ErrorPresenter p) {
    presenter() = std::move(p);
}

void Application::showException(const QString& text) {
    if (presenter()) {
        presenter()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showException(QString::fromUtf8(e.what()));
    } catch (...) {
        showException(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}
