#include "TextStreamer.h"

namespace {

const char First = '!';
const char Last = '~';
const qint64 NsPerSecond = 1000000000;

} // namespace

TextStreamer::TextStreamer(qint64 bytesPerSecond, bool lineEnds, QObject *parent)
    : QObject(parent), m_rate(bytesPerSecond), m_lineEnds(lineEnds)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &TextStreamer::tick);
}

void TextStreamer::start()
{
    m_produced = 0;
    m_clock.start();
    m_timer.start();
}

void TextStreamer::tick()
{
    const qint64 ns = m_clock.nsecsElapsed();
    const qint64 due = ns / NsPerSecond * m_rate + ns % NsPerSecond * m_rate / NsPerSecond;
    qint64 count = due - m_produced;
    // After a long stall send at most a second's worth; a line would not queue more.
    if (count > m_rate) {
        m_produced += count - m_rate;
        count = m_rate;
    }
    if (count <= 0)
        return;
    m_produced += count;
    emit bytesReady(text(count));
}

QByteArray TextStreamer::text(qint64 count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (char &c : bytes) {
        if (m_lineEnds && m_column == LineLength) {
            c = '\r';
            ++m_column;
        } else if (m_lineEnds && m_column > LineLength) {
            c = '\n';
            m_column = 0;
        } else {
            c = static_cast<char>(First + m_next);
            m_next = (m_next + 1) % (Last - First + 1);
            ++m_column;
        }
    }
    return bytes;
}
