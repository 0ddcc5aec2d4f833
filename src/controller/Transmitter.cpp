#include "Transmitter.h"

#include "AuditTrail.h"
#include "FrameBuilder.h"
#include "SerialLink.h"

Transmitter::Transmitter(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&m_link, &SerialLink::drained, this, [this] { m_queueFullSaid = false; });
}

// The arguments of TransmitToKVR, in its order.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
QString Transmitter::describe(int mode, int value, const QByteArray &sValue) const
{
    const QString name = Command::name(mode);
    if (name.isEmpty())
        return QStringLiteral("command %1").arg(mode);
    if (mode == Command::VgaRegisters)
        return name + QLatin1Char(' ') + QString::fromLatin1(sValue.toHex(' ').toUpper());
    if (mode == Command::IntensityLevel) {
        return QStringLiteral("%1 %2 (code %3)")
            .arg(name, m_levelNames.value(value, QString::number(value)), m_intensityLevels.value(value).trimmed());
    }
    return name + QLatin1Char(' ') + QString::number(value);
}

Transmission Transmitter::TransmitToKVR(int mode, int value, const QByteArray &sValue)
{
    const Frame frame = FrameBuilder::build(mode, value, sValue, m_intensityLevels);
    emit receiveCleared();
    Transmission result = frame.ok() ? transmit(frame.bytes) : Transmission{frame.rejection};
    if (!frame.ok())
        emit frameRejected(QStringLiteral("Frame not sent: ") + frame.rejection);
    if (result.sent())
        AuditTrail::sent(describe(mode, value, sValue));
    else
        AuditTrail::notSent(describe(mode, value, sValue), result.whyNot);
    return result;
}

Transmission Transmitter::transmit(const QByteArray &frame)
{
    switch (m_link.write(frame)) {
    case SerialLink::Write::Queued:
        ++m_framesWritten;
        return {};
    case SerialLink::Write::NotOpen:
        return {QStringLiteral("the serial port is closed")};
    case SerialLink::Write::Lost:
        return {QStringLiteral("the serial device is gone")};
    case SerialLink::Write::QueueFull: {
        const QString why = QStringLiteral("the line's queue is full (%1 bytes wait for the device)")
                                .arg(m_link.queuedBytes());
        if (!m_queueFullSaid) {
            m_queueFullSaid = true;
            emit queueFull(QStringLiteral("Frames not sent: ") + why);
        }
        return {why};
    }
    case SerialLink::Write::Failed:
        break;
    }
    emit writeFailed(m_link.writeError());
    return {QStringLiteral("the port refused it (error %1)").arg(m_link.writeError())};
}
