#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Printable text at a steady byte rate, as a controller chattering on its line would
// send. Each tick sends what is due since the start, so timer jitter never adds up.
class TextStreamer : public QObject {
    Q_OBJECT
public:
    static constexpr int LineLength = 64;

    TextStreamer(qint64 bytesPerSecond, bool lineEnds, QObject *parent = nullptr);

    void start();
    qint64 produced() const { return m_produced; }

signals:
    void bytesReady(const QByteArray &bytes);

private:
    void tick();
    QByteArray text(qint64 count);

    qint64 m_rate = 0;
    bool m_lineEnds = false;
    qint64 m_produced = 0;
    int m_column = 0;
    int m_next = 0; // index into the printable characters
    QElapsedTimer m_clock;
    QTimer m_timer;
};
