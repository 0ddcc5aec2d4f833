#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// What the console tells a service manager that started it (systemd, Type=notify): READY=1
// once start-up has run, WATCHDOG=1 from the event loop at half the watchdog interval (so a
// hung loop is noticed and the service started again), STATUS= with a one-line summary of
// what is in force, STOPPING=1 at shutdown. Started any other way (by hand, by an autostart
// entry, by a test) there is no NOTIFY_SOCKET and nothing is sent.
class ServiceNotifier : public QObject {
    Q_OBJECT
public:
    // 'status' gives the summary; it is asked whenever the status may have changed.
    explicit ServiceNotifier(std::function<QString()> status, QObject *parent = nullptr);

    // A service manager listens.
    static bool isWatched();

    // Start-up has run: READY=1 with the status, and the watchdog's pace begins when the
    // manager asked for one.
    void ready();
    // STATUS= again when the summary is no longer the one sent last.
    void refreshStatus();
    // STOPPING=1; the watchdog falls silent.
    void stopping();

    // The watchdog's interval, 0 without one.
    int watchdogIntervalMs() const { return m_watchdog.isActive() ? m_watchdog.interval() : 0; }

    // A start that ends at once (another console runs): the manager is told it is ready and
    // why, so that its end counts as done rather than as a start that failed.
    static void endedAtOnce(const QString &status);

private:
    static bool send(const QByteArray &state);

    std::function<QString()> m_status;
    QString m_sentStatus;
    QTimer m_watchdog;
    bool m_stopping = false;
};
