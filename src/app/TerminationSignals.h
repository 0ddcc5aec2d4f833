#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the signals that end a process politely (SIGTERM from a service manager or a
// shutdown, SIGINT, SIGHUP) into a Qt signal on the event loop, so the console's own
// shutdown runs before it ends. A second signal while the first is handled changes nothing.
// Where there are no such signals it does nothing.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    // "SIGTERM", "SIGINT" or "SIGHUP".
    void received(const QString &name);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
