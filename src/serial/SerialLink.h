#pragma once

#include "PortSettings.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

// The one serial port of the console. Opens the device with the stored settings, writes
// frames, passes on what arrives, and copes with a device that vanishes: at the first
// read or resource error the port is closed and the loss reported once; then the link
// tries to open the same device again every few seconds, silently, until it is back.
class SerialLink : public QObject {
    Q_OBJECT
public:
    explicit SerialLink(QObject *parent = nullptr);

    // Closes the port if it is open, applies the settings and opens the device. Every step
    // runs even after one failed; the result is the code of the last failure, 0 when open.
    int open(const QString &devicePath, const PortSettings &settings);
    void close();
    bool isOpen() const { return m_port.isOpen(); }
    QString devicePath() const { return m_devicePath; }
    // Why the last open failed, in the system's words ("" after a successful one).
    QString openFailure() const { return m_openFailure; }

    // Writes the bytes in one write and pushes them to the device at once, so a frame is on
    // the line before the caller goes on (paced sends do not run the event loop).
    // 0 on success, else the error code. A device lost during the write is reported as a
    // loss, not as a write error.
    int write(const QByteArray &bytes);

    // Drops whatever has arrived and not been read yet.
    void clearInput();

    bool isLost() const { return m_lost; }
    void setRetryInterval(int milliseconds) { m_retry.setInterval(milliseconds); }

signals:
    void received(const QByteArray &bytes);
    void lost(const QString &devicePath, const QString &reason);
    void restored(const QString &devicePath);

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void retryOpen();

    QSerialPort m_port;
    QTimer m_retry;
    QString m_devicePath;
    QString m_openFailure;
    bool m_lost = false;
};
