#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

// Short bursts of random bytes, like a noisy line or a controller that lost its mind.
class GarbageSource : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 100;
    static constexpr int MaxBurst = 16;

    explicit GarbageSource(QObject *parent = nullptr);
    void start() { m_timer.start(); }

signals:
    void bytesReady(const QByteArray &bytes);

private:
    void burst();

    QTimer m_timer;
};
