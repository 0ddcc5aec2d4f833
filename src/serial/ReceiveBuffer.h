#pragma once

#include <QByteArray>
#include <QString>

// ReceiveBuffer: the display form of what the controller sent since the last frame went
// out. Printable characters stand as they are; a code below 30 or above 127 becomes a
// bracketed marker with its code in two upper-case hexadecimal digits ("[0D]"), the way
// frames are written. Only the newest text is kept, so a controller that talks for
// months cannot fill the memory; appending costs time in proportion to what arrived.
class ReceiveBuffer {
public:
    static constexpr qsizetype Capacity = qsizetype(64) * 1024;

    static QString displayForm(const QByteArray &bytes);

    // Appends the display form of the bytes and returns that piece.
    QString append(const QByteArray &bytes);
    void clear() { m_text.clear(); }
    const QString &text() const { return m_text; }

    // Counts the times old text was dropped, so a display can tell that its copy no
    // longer starts where the buffer does.
    quint64 trims() const { return m_trims; }

private:
    QString m_text;
    quint64 m_trims = 0;
};
