#include "SingleInstance.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSysInfo>
#include <QThread>

namespace {
constexpr char ActivateWord[] = "show";
}

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent), m_key(key), m_lockPath(QDir::tempPath() + QLatin1Char('/') + key + QStringLiteral(".lock")),
      m_lock(m_lockPath)
{
    // A console runs for months: the lock must never count as stale by its age, only when
    // the process that holds it is gone.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(ActivateWord))
                    emit activationRequested();
            });
        }
    });
}

bool SingleInstance::claim()
{
    if (!m_lock.tryLock(0)) {
        if (!ownerUnknowable())
            return false;
        m_lock.removeStaleLockFile();
        if (!m_lock.tryLock(0))
            return false;
    }
    // A socket left behind by a console killed hard would stop listen().
    QLocalServer::removeServer(m_key);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_key);
    return true;
}

bool SingleInstance::ownerUnknowable() const
{
    // A crash while the lock was being written leaves it empty, and a renamed machine leaves
    // one naming another host; no console can ever release either. Once such a lock is a few
    // seconds old nobody is still writing it.
    qint64 pid = 0;
    QString host, application;
    const bool readable = m_lock.getLockInfo(&pid, &host, &application);
    if (readable && host == QSysInfo::machineHostName())
        return false;
    const QDateTime written = QFileInfo(m_lockPath).lastModified();
    return written.isValid() && qAbs(written.msecsTo(QDateTime::currentDateTime())) > 5000;
}

bool SingleInstance::activateRunning(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(m_key);
        if (socket.waitForConnected(200)) {
            socket.write(ActivateWord);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}
