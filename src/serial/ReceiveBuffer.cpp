#include "ReceiveBuffer.h"

QString ReceiveBuffer::displayForm(const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QString piece;
    piece.reserve(bytes.size());
    for (const char c : bytes) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 30 || code > 127) {
            piece += QLatin1Char('[');
            piece += QLatin1Char(hex[code >> 4]);
            piece += QLatin1Char(hex[code & 0x0F]);
            piece += QLatin1Char(']');
        } else {
            piece += QLatin1Char(c);
        }
    }
    return piece;
}

QString ReceiveBuffer::append(const QByteArray &bytes)
{
    QString piece = displayForm(bytes);
    m_text += piece;
    // Trim in steps of a quarter of the capacity, so the cost of moving the text is spread
    // over many appends.
    if (m_text.size() > Capacity + Capacity / 4) {
        m_text.remove(0, m_text.size() - Capacity);
        ++m_trims;
    }
    return piece;
}
