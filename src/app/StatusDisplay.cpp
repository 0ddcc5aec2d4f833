#include "StatusDisplay.h"

#include "ReceiveBuffer.h"
#include "StatusBox.h"

StatusDisplay::StatusDisplay(ReceiveBuffer &buffer, StatusBox &box, QObject *parent)
    : QObject(parent), m_buffer(buffer), m_box(box)
{
    // The box keeps all the buffer holds and follows the buffer's own trimming (below), so
    // the two always show the same text.
    box.setMaximumLength(2 * ReceiveBuffer::Capacity);
    m_timer.setSingleShot(true);
    m_timer.setInterval(RefreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &StatusDisplay::refresh);
}

void StatusDisplay::received(const QByteArray &bytes)
{
    const quint64 trimsBefore = m_buffer.trims();
    const QString piece = m_buffer.append(bytes);
    if (m_buffer.trims() != trimsBefore) {
        // The buffer dropped its oldest text: the box is shown the buffer whole at the next
        // refresh, which happens once per quarter of the buffer at most.
        m_pending.clear();
        m_boxBehind = true;
    } else if (!m_boxBehind) {
        m_pending += piece;
    }
    if (!m_timer.isActive())
        m_timer.start();
}

void StatusDisplay::transmitted()
{
    m_buffer.clear();
    m_pending.clear();
    m_boxBehind = false;
    m_timer.stop();
    m_box.clear();
}

void StatusDisplay::clearBox()
{
    m_timer.stop();
    m_box.clear();
    m_pending.clear();
    m_boxBehind = true;
}

void StatusDisplay::refresh()
{
    m_timer.stop();
    if (m_boxBehind) {
        m_box.setText(m_buffer.text());
        m_boxBehind = false;
    } else {
        m_box.appendText(m_pending);
    }
    m_pending.clear();
}
