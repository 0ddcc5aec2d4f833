#include "Transmitter.h"

#include "FrameBuilder.h"
#include "SerialLink.h"

Transmitter::Transmitter(SerialLink &link, QObject *parent) : QObject(parent), m_link(link) {}

void Transmitter::TransmitToKVR(int mode, int value, const QByteArray &sValue)
{
    const Frame frame = FrameBuilder::build(mode, value, sValue, m_intensityLevels);
    emit receiveCleared();
    if (!frame.ok()) {
        emit frameRejected(frame.rejection);
        return;
    }
    if (!m_link.isOpen())
        return;
    const int error = m_link.write(frame.bytes);
    if (error != 0)
        emit writeFailed(error);
    else
        ++m_framesWritten;
}
