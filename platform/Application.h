#pragma once

#include <QApplication>

#include <functional>

// The application object of both programs. Its default error handler catches an exception that
// escapes an event handler, shows its text in an error box and lets the message loop go on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    // The title shown in message boxes and the task bar ("Application.Title").
    void setTitle(const QString& title);
    QString title() const;

    bool notify(QObject* receiver, QEvent* event) override;

    // What shows an escaped exception's text; by default an error box with the application's
    // title. Replaceable so that a test can watch it.
    using ErrorPresenter = std::function<void(const QString&)>;
    static void setErrorPresenter(ErrorPresenter presenter);
    static void showException(const QString& text);
};

// Runs `handler`; an exception that escapes it is shown like any escaped error (the error box) and
// goes no further. Every handler a form description binds and every component event run inside
// it, so no exception unwinds through Qt's event delivery; the loop goes on.
void RunGuarded(const std::function<void()>& handler);
