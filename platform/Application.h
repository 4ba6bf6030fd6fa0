#pragma once

#include <QApplication>

#include <functional>

// The application object of both programs. Its default error handler catches an exception that
// escapes an event handler, reports its text (ReportError, platform/UserMessages) and lets the
// message loop go on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    // The title shown in message boxes and the task bar ("Application.Title").
    void setTitle(const QString& title);
    QString title() const;

    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs `handler`; an exception that escapes it is reported like any escaped error (ReportError) and
// goes no further. Every handler a form description binds and every component event run inside
// it, so no exception unwinds through Qt's event delivery; the loop goes on.
void RunGuarded(const std::function<void()>& handler);
