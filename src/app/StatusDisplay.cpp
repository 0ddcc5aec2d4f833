#include "StatusDisplay.h"

#include "ReceiveBuffer.h"
#include "StatusBox.h"

StatusDisplay::StatusDisplay(ReceiveBuffer &buffer, StatusBox &box, QObject *parent)
    : QObject(parent), m_buffer(buffer), m_box(box)
{
    box.setMaximumLength(ReceiveBuffer::Capacity);
    m_timer.setSingleShot(true);
    m_timer.setInterval(RefreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &StatusDisplay::refresh);
}

void StatusDisplay::received(const QByteArray &bytes)
{
    const QString piece = m_buffer.append(bytes);
    if (!m_boxBehind) {
        m_pending += piece;
        if (m_pending.size() > ReceiveBuffer::Capacity) {
            m_pending.clear();
            m_boxBehind = true;
        }
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
