#pragma once

#include "AllowedClients.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// tcpServer: listens on port 1001 for one client console at a time and asks for a refresh
// when the client sends the command word. While a client is connected nothing listens, so
// a second client is refused. Whatever arrives is read and dropped at once; nothing is ever
// sent back. With an allow list in force, a connection from anyone else is closed at once,
// before it becomes the connected client, and the server goes on listening.
class RemoteServer : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 Port = 1001;
    static const QByteArray Command; // "UpdCmd"

    // Keep-alive probing of an accepted connection, in seconds: a client that lost power
    // or its network surfaces as an error within idle + count * interval.
    struct KeepAlive {
        int idle = 60;
        int interval = 10;
        int count = 3;
    };

    explicit RemoteServer(QObject *parent = nullptr) : RemoteServer(KeepAlive(), parent) {}
    RemoteServer(KeepAlive keepAlive, QObject *parent = nullptr);
    ~RemoteServer() override;

    // Starts listening; a refusal (port taken, no right to it) is shown and tried again
    // every few seconds.
    void listen();
    // Closes the connection to the client, if there is one (the console is ending).
    void closeConnection();

    bool isListening() const { return m_server.isListening(); }
    // The accepted connection, if any.
    QTcpSocket *connection() const { return m_socket; }
    // The connected client's address ("" when none), IPv4 peers in their IPv4 form.
    QString clientAddress() const;

    // Who may connect; load it before listening.
    AllowedClients &allowedClients() { return m_allowed; }

signals:
    void status(const QString &text);
    // The exact word arrived from the client at 'peer' (its address).
    void refreshRequested(const QString &peer);
    // A connection from 'address' was closed at once: it is not an allowed client.
    void refused(const QString &address);
    // Listening started or stopped, or a client came or went.
    void stateChanged();

private:
    void accept();
    void readArrival();
    void closedByClient();
    void failed();
    void dropConnection();

    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    QTimer m_retryListen;
    KeepAlive m_keepAlive;
    AllowedClients m_allowed;
};
