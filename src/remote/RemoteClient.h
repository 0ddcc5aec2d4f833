#pragma once

#include <QObject>
#include <QString>
#include <QTcpSocket>

// tcpClient: the connection of a client console to the server console on port 1001, over
// which Refresh sends the command word.
class RemoteClient : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 Port = 1001;

    explicit RemoteClient(QObject *parent = nullptr);
    ~RemoteClient() override;

    void setRemoteHost(const QString &host);
    void connectToServer();
    // Sends the command word when connected; says so when the socket is closed; does
    // nothing in between (while connecting, for example).
    void refresh();

    QAbstractSocket::SocketState state() const { return m_socket.state(); }
    QString remoteHost() const { return m_host; }

signals:
    void status(const QString &text);
    void closedByServer();
    void failed();
    // The socket connects, is connected or closes, or the host changed.
    void stateChanged();

private:
    void closedByPeer();
    void failure();

    QTcpSocket m_socket;
    QString m_host;
};
