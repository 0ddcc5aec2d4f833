#include "Transmitter.h"

#include "FrameBuilder.h"
#include "SerialLink.h"

Transmitter::Transmitter(SerialLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&m_link, &SerialLink::drained, this, [this] { m_queueFullSaid = false; });
}

Transmission Transmitter::TransmitToKVR(int mode, int value, const QByteArray &sValue)
{
    const Frame frame = FrameBuilder::build(mode, value, sValue, m_intensityLevels);
    emit receiveCleared();
    if (!frame.ok()) {
        emit frameRejected(QStringLiteral("Frame not sent: ") + frame.rejection);
        return {frame.rejection};
    }
    switch (m_link.write(frame.bytes)) {
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
