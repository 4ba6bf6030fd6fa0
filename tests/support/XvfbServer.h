#pragma once

#include <QProcess>
#include <QString>

// A private X server (Xvfb) for the tests that only a real X server can answer: global key state,
// window shapes; with `WithWindowManager` also a window manager (openbox) on it, for what only a
// desktop shows: placement, moves and size limits as the window manager takes them. `Start` gives
// an empty reason when the server (and its window manager) runs; otherwise the reason it could
// not start, for the test's skip message. Both end with the object.
class XvfbServer {
public:
    enum Desktop { BareServer, WithWindowManager };
    explicit XvfbServer(Desktop desktop = BareServer) : m_desktop(desktop) {}
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    QString Start();
    QString Display() const { return m_display; } // ":<n>"
    // Runs an X client (xdotool ...) against this server; true when it exits with 0.
    bool Run(const QString& program, const QStringList& arguments, int timeoutMs = 5000) const;

private:
    QString StartWindowManager();

    Desktop m_desktop;
    QProcess m_process;
    QProcess m_windowManager;
    QString m_display;
};
