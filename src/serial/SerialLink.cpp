#include "SerialLink.h"

#include "CommErrors.h"

namespace {
const int RetryIntervalMs = 3000;
}

SerialLink::SerialLink(QObject *parent) : QObject(parent)
{
    m_retry.setInterval(RetryIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &SerialLink::retryOpen);
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLink::onError);
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

int SerialLink::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return CommError::DeviceNotOpen;
    m_port.clearError();
    const qint64 written = m_port.write(bytes);
    if (written != bytes.size()) {
        const int code = commErrorCode(m_port.error(), PortStep::Write);
        return code != 0 ? code : int(CommError::DeviceBusy);
    }
    m_port.flush();
    if (m_lost)
        return 0;
    return commErrorCode(m_port.error(), PortStep::Write);
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

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    // A device that vanishes keeps raising these thousands of times a second while the
    // port still counts as open: close at the first one and report it once.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (!m_port.isOpen() || m_lost)
        return;
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
