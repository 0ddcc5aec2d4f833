#include "RemoteClient.h"

#include "RemoteServer.h"
#include "SocketErrors.h"

RemoteClient::RemoteClient(QObject *parent) : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::connected, this, [this] {
        if (m_socket.state() == QAbstractSocket::ConnectedState)
            emit status(QStringLiteral("Socket Connected Successfully"));
    });
    // The server sends nothing; whatever comes is dropped so that it cannot pile up.
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { m_socket.readAll(); });
    m_socket.setReadBufferSize(4096);
    connect(&m_socket, &QTcpSocket::disconnected, this, &RemoteClient::closedByPeer);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &RemoteClient::failure);
    connect(&m_socket, &QTcpSocket::stateChanged, this, &RemoteClient::stateChanged);
}

RemoteClient::~RemoteClient()
{
    // The socket reports its disconnect as it goes; that is not the server's close.
    m_socket.disconnect(this);
}

void RemoteClient::setRemoteHost(const QString &host)
{
    m_host = host;
    emit stateChanged();
}

void RemoteClient::connectToServer()
{
    m_socket.abort();
    m_socket.connectToHost(m_host, Port);
}

void RemoteClient::refresh()
{
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        m_socket.write(RemoteServer::Command);
    else if (m_socket.state() == QAbstractSocket::UnconnectedState)
        emit status(QStringLiteral("Socket Closed"));
}

void RemoteClient::closedByPeer()
{
    emit status(QStringLiteral("Server connection closed"));
    emit closedByServer();
}

void RemoteClient::failure()
{
    // The server's close (or reset) arrives as this error, followed by disconnected().
    if (m_socket.error() == QAbstractSocket::RemoteHostClosedError)
        return;
    const QString text = socketErrorText(m_socket);
    // Closing a connected socket reports a disconnect, which is not the server's close.
    const QSignalBlocker quiet(m_socket);
    m_socket.abort();
    emit status(text);
    emit failed();
}
