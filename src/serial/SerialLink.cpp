#include "SerialLink.h"

#include "CommErrors.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace {
const int RetryIntervalMs = 3000;
}

SerialLink::SerialLink(QObject *parent) : QObject(parent)
{
    m_retry.setInterval(RetryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &SerialLink::retryOpen);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
    // Queued: the port reports progress from inside write(), and a listener to drained() may
    // well queue the next frames.
    connect(&m_port, &QSerialPort::bytesWritten, this, &SerialLink::onBytesWritten, Qt::QueuedConnection);
}

int SerialLink::open(const QString &devicePath, const PortSettings &settings)
{
    m_retry.stop();
    m_lost = false;
    int lastError = 0;
    m_openFailure.clear();
    auto remember = [&](PortStep step, bool ok) {
        if (!ok) {
            lastError = commErrorCode(m_port.error(), step);
            m_openFailure = m_port.errorString();
        }
        m_port.clearError();
    };

    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_devicePath = devicePath;
    m_port.setPortName(devicePath);

    bool settingsUsable = settings.isValid();
    if (settingsUsable) {
        remember(PortStep::BaudRate, m_port.setBaudRate(settings.baudRate()));
        if (settings.dataBits() < 5) {
            // No serial device can frame 4-bit characters.
            lastError = CommError::ByteSizeInvalid;
            settingsUsable = false;
        } else {
            remember(PortStep::DataBits,
                     m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits())));
        }
        static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                       QSerialPort::OddParity};
        remember(PortStep::Parity, m_port.setParity(parities[settings.ParityIndex]));
        remember(PortStep::StopBits, m_port.setStopBits(settings.StopBitsIndex == 0 ? QSerialPort::OneStop
                                                                                    : QSerialPort::TwoStop));
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    } else {
        const bool portKnown =
            settings.PortIndex >= 0 && settings.PortIndex < PortSettings::portEntries().size();
        lastError = portKnown ? 380 : int(CommError::InvalidPortNumber); // 380: invalid property value
    }

    // A port with settings it cannot have stays closed rather than run with stale ones.
    if (settingsUsable)
        remember(PortStep::Open, m_port.open(QIODevice::ReadWrite));
    return m_port.isOpen() ? 0 : (lastError != 0 ? lastError : int(CommError::DeviceNotOpen));
}

void SerialLink::close()
{
    m_retry.stop();
    m_lost = false;
    if (m_port.isOpen())
        m_port.close();
}

SerialLink::Write SerialLink::write(const QByteArray &frame)
{
    m_writeError = 0;
    if (!m_port.isOpen())
        return Write::NotOpen;
    if (m_port.bytesToWrite() + frame.size() > QueueLimit)
        return Write::QueueFull;
    m_port.clearError();
    if (m_port.write(frame) != frame.size()) {
        const int code = commErrorCode(m_port.error(), PortStep::Write);
        m_writeError = code != 0 ? code : int(CommError::DeviceBusy);
        m_port.clearError();
        return Write::Failed;
    }
    // What the device takes now goes at once; the rest follows as it takes more. A device
    // that takes nothing now is not an error (onError tells the two apart).
    m_port.flush();
    if (m_lost)
        return Write::Lost;
    const int code = commErrorCode(m_port.error(), PortStep::Write);
    m_port.clearError();
    if (code != 0) {
        m_writeError = code;
        return Write::Failed;
    }
    return Write::Queued;
}

void SerialLink::clearInput()
{
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Input);
}

void SerialLink::onReadyRead()
{
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void SerialLink::onBytesWritten()
{
    if (m_port.isOpen() && m_port.bytesToWrite() == 0)
        emit drained();
}

// Whether the device behind the open port has gone away (hung up, an I/O error, a closed
// descriptor), as opposed to a full output buffer, which the port also reports as a
// resource error.
bool SerialLink::deviceGone() const
{
#ifdef Q_OS_UNIX
    pollfd probe{static_cast<int>(m_port.handle()), POLLIN | POLLOUT, 0};
    if (::poll(&probe, 1, 0) < 0)
        return true;
    return (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    // Overlapped writes never report a full buffer as an error there.
    return true;
#endif
}

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (!m_port.isOpen() || m_lost)
        return;
    if (error == QSerialPort::ResourceError && !deviceGone()) {
        // Back-pressure: the port keeps the bytes and writes them when the device is ready.
        m_port.clearError();
        return;
    }
    // A vanished device keeps raising these thousands of times a second while the port
    // still counts as open: close at the first one and report it once.
    const QString reason = m_port.errorString();
    m_port.close();
    m_port.clearError();
    m_lost = true;
    m_retry.start();
    emit lost(m_devicePath, reason);
}

void SerialLink::retryOpen()
{
    m_port.clearError();
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_port.clearError();
        return;
    }
    m_retry.stop();
    m_lost = false;
    emit restored(m_devicePath);
}
