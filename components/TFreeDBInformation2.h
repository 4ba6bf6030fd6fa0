#pragma once

#include <QObject>
#include <QString>

// The disc-lookup settings the ripper hands to the CD component: which server of the table is
// chosen, its port and the time-out. Selecting a server sets that server's usual port; a later
// SetPort overrides it.
class TFreeDBInformation2 : public QObject {
    Q_OBJECT

public:
    enum class Protocol { Http, Cddbp, None };

    struct Server {
        const char* name; // what GetServerName returns
        const char* host; // empty for an unused slot
        Protocol protocol;
        int port;
        const char* path; // query path for HTTP
    };

    static constexpr int kServerCount = 11;
    static const Server& server(int index);

    explicit TFreeDBInformation2(QObject* parent = nullptr);

    // Index 0..10 of the server table; anything else raises ComponentError.
    void SelectServer(int index);
    QString GetServerName() const;
    // 1..65535; anything else raises ComponentError.
    void SetPort(int port);
    // Milliseconds, at least 1; anything else raises ComponentError.
    void SetTimeOut(int milliseconds);

    int selectedServer() const { return m_index; }
    QString host() const;
    Protocol protocol() const;
    QString queryPath() const;
    int port() const { return m_port; }
    int timeOut() const { return m_timeOut; }

private:
    int m_index = 1;
    int m_port = 80;
    int m_timeOut = 7000;
};
