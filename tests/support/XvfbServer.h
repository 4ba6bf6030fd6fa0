#pragma once

#include <QProcess>
#include <QString>

// A private X server (Xvfb) for the tests that only a real X server can answer: global key state,
// window shapes. `Start` gives an empty reason when the server runs; otherwise the reason it could
// not start, for the test's skip message. The server ends with the object.
class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    QString Start();
    QString Display() const { return m_display; } // ":<n>"
    // Runs an X client (xdotool ...) against this server; true when it exits with 0.
    bool Run(const QString& program, const QStringList& arguments, int timeoutMs = 5000) const;

private:
    QProcess m_process;
    QString m_display;
};
