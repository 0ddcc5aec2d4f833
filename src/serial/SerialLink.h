#pragma once

#include "PortSettings.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

// The one serial port of the console. Opens the device with the stored settings, queues
// frames for it, passes on what arrives, and copes with a device that vanishes: at the first
// read or resource error that the device really is gone, the port is closed and the loss
// reported once; then the link tries to open the same device again every few seconds,
// silently, until it is back.
//
// Writing is a queue, not a pipe: a frame is taken whole into the port's ordered output
// buffer and leaves as the device takes it. A device that is slower than the console (a full
// kernel buffer, "Resource temporarily unavailable") is waited for, never taken for a lost one.
class SerialLink : public QObject {
    Q_OBJECT
public:
    // The largest burst the console makes is a full VGAReg.cfg (1 MiB of at least six bytes an
    // entry: under 175 000 ten-byte frames) followed by a refresh's dozen frames; the queue
    // holds that with room to spare and refuses whole frames beyond it.
    static constexpr qint64 QueueLimit = qint64(2) * 1024 * 1024;

    enum class Write {
        Queued,    // taken whole; it goes out in order after the frames before it
        NotOpen,   // the port is closed: nothing was taken
        QueueFull, // the queue cannot take the whole frame: nothing was taken
        Lost,      // the device vanished while the frame was handed over
        Failed,    // the port refused the frame; writeError() tells the code
    };

    explicit SerialLink(QObject *parent = nullptr);

    // Closes the port if it is open, applies the settings and opens the device. Every step
    // runs even after one failed; the result is the code of the last failure, 0 when open.
    int open(const QString &devicePath, const PortSettings &settings);
    void close();
    bool isOpen() const { return m_port.isOpen(); }
    QString devicePath() const { return m_devicePath; }
    // Why the last open failed, in the system's words ("" after a successful one).
    QString openFailure() const { return m_openFailure; }

    // Queues a frame whole and hands the device as much as it takes now, without waiting,
    // so on a free line the frame is out before the caller goes on (paced sends do not run
    // the event loop).
    Write write(const QByteArray &frame);
    // The port's error code after Write::Failed.
    int writeError() const { return m_writeError; }
    // Bytes queued and not yet taken by the device.
    qint64 queuedBytes() const { return m_port.isOpen() ? m_port.bytesToWrite() : 0; }

    // Drops whatever has arrived and not been read yet.
    void clearInput();

    bool isLost() const { return m_lost; }
    void setRetryInterval(int milliseconds) { m_retry.setInterval(milliseconds); }

signals:
    void received(const QByteArray &bytes);
    void lost(const QString &devicePath, const QString &reason);
    void restored(const QString &devicePath);
    // Everything queued has been taken by the device.
    void drained();

private:
    void onReadyRead();
    void onBytesWritten();
    void onError(QSerialPort::SerialPortError error);
    bool deviceGone() const;
    void retryOpen();

    QSerialPort m_port;
    QTimer m_retry;
    QString m_devicePath;
    QString m_openFailure;
    int m_writeError = 0;
    bool m_lost = false;
};
