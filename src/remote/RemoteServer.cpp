#include "RemoteServer.h"

#include "SocketErrors.h"

#include <QTcpSocket>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#elif defined(Q_OS_WIN)
#include <winsock2.h>
#include <ws2tcpip.h>
// Windows 10 has the three options, in seconds as on Linux; MinGW-w64 and older SDKs lack
// their names.
#ifndef TCP_KEEPIDLE
#define TCP_KEEPIDLE 3
#endif
#ifndef TCP_KEEPCNT
#define TCP_KEEPCNT 16
#endif
#ifndef TCP_KEEPINTVL
#define TCP_KEEPINTVL 17
#endif
#endif

const QByteArray RemoteServer::Command = QByteArrayLiteral("UpdCmd");

namespace {
// An arrival longer than the command is never the command, so little is held at a time.
constexpr qint64 ReadBufferSize = qint64(16) * 1024;
constexpr int ListenRetryMs = 2000;

void setKeepAlive(QTcpSocket &socket, RemoteServer::KeepAlive keepAlive)
{
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    const int fd = int(socket.socketDescriptor());
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &keepAlive.idle, sizeof keepAlive.idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &keepAlive.interval, sizeof keepAlive.interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &keepAlive.count, sizeof keepAlive.count);
#elif defined(Q_OS_WIN)
    const SOCKET handle = SOCKET(socket.socketDescriptor());
    const DWORD values[][2] = {{TCP_KEEPIDLE, DWORD(keepAlive.idle)},
                               {TCP_KEEPINTVL, DWORD(keepAlive.interval)},
                               {TCP_KEEPCNT, DWORD(keepAlive.count)}};
    for (const auto &[option, value] : values)
        ::setsockopt(handle, IPPROTO_TCP, int(option), reinterpret_cast<const char *>(&value),
                     int(sizeof value));
#else
    Q_UNUSED(keepAlive)
#endif
}
} // namespace

RemoteServer::RemoteServer(KeepAlive keepAlive, QObject *parent) : QObject(parent), m_keepAlive(keepAlive)
{
    // Connections the system takes while the first one is being accepted are refused
    // below; there is no queue of clients waiting.
    m_server.setMaxPendingConnections(1);
    connect(&m_server, &QTcpServer::newConnection, this, &RemoteServer::accept);
    m_retryListen.setSingleShot(true);
    m_retryListen.setInterval(ListenRetryMs);
    connect(&m_retryListen, &QTimer::timeout, this, &RemoteServer::listen);
}

RemoteServer::~RemoteServer()
{
    // A socket going away reports its disconnect, which must not reach a half-destroyed server.
    if (m_socket) {
        m_socket->disconnect(this);
        delete m_socket;
    }
}

void RemoteServer::listen()
{
    if (m_socket || m_server.isListening())
        return;
    if (!m_server.listen(QHostAddress::Any, Port)) {
        const QString description = m_server.errorString();
        emit status(socketErrorText(winsockErrorNumber(m_server.serverError(), description), description));
        m_retryListen.start();
        return;
    }
    emit stateChanged();
}

QString RemoteServer::clientAddress() const
{
    return m_socket ? AllowedClients::plain(m_socket->peerAddress()).toString() : QString();
}

void RemoteServer::accept()
{
    QTcpSocket *socket = m_server.nextPendingConnection();
    if (!socket)
        return;
    if (m_socket) { // a second client that got in before listening stopped
        socket->abort();
        socket->deleteLater();
        return;
    }
    if (!m_allowed.allows(socket->peerAddress())) {
        const QString address = AllowedClients::plain(socket->peerAddress()).toString();
        socket->abort();
        socket->deleteLater();
        emit refused(address);
        return;
    }
    m_server.close();
    m_socket = socket;
    socket->setReadBufferSize(ReadBufferSize);
    setKeepAlive(*socket, m_keepAlive);
    connect(socket, &QTcpSocket::readyRead, this, &RemoteServer::readArrival);
    connect(socket, &QTcpSocket::disconnected, this, &RemoteServer::closedByClient);
    connect(socket, &QTcpSocket::errorOccurred, this, &RemoteServer::failed);
    emit status(QStringLiteral("Socket Connection Request Accepted"));
    emit stateChanged();
}

void RemoteServer::readArrival()
{
    if (!m_socket)
        return;
    emit status(QStringLiteral("Socket Data Arrival"));
    const QByteArray arrival = m_socket->readAll();
    if (arrival == Command)
        emit refreshRequested(clientAddress());
}

void RemoteServer::closedByClient()
{
    dropConnection();
    emit status(QStringLiteral("Socket Closed"));
    listen();
}

void RemoteServer::failed()
{
    // A close or a reset by the client arrives as this error and is followed by
    // disconnected(), which handles it as the client's close.
    if (!m_socket || m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    emit status(socketErrorText(*m_socket));
    dropConnection();
    // Closed for good, one lost client would leave the console unreachable.
    listen();
}

void RemoteServer::closeConnection()
{
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
        dropConnection();
}

void RemoteServer::dropConnection()
{
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    if (!socket)
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    emit stateChanged();
}
