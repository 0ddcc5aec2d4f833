#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

// One console per machine. A lock file says who runs (a console killed hard leaves a lock
// whose process is gone, which the next start takes over); a local socket carries a later
// start's request to come to the front.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);

    // True when this process is now the console; it then listens for later starts.
    bool claim();

    // Asks the running console to come to the front. Waits a little for it, since two
    // consoles started at the same moment may find the winner not listening yet.
    bool activateRunning(int timeoutMs = 5000);

signals:
    void activationRequested();

private:
    // The lock names no owner on this machine that could still release it.
    bool ownerUnknowable() const;

    QString m_key;
    QString m_lockPath;
    QLockFile m_lock;
    QLocalServer m_server;
};
