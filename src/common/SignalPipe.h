#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal. The handler only writes a byte to a
// pipe; everything else happens in the event loop, where it is safe.
class SignalPipe : public QObject {
    Q_OBJECT
public:
    explicit SignalPipe(QObject *parent = nullptr);
    ~SignalPipe() override;

    bool install();

signals:
    void caught(int signalNumber);

private:
    static void handle(int signalNumber);
    void drain();

    static int s_writeFd;
    int m_fds[2] = {-1, -1};
    QSocketNotifier *m_notifier = nullptr;
};
