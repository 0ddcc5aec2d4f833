#pragma once

#include <QByteArray>
#include <QString>

// Writes the system's text record format: fields of one record separated by commas,
// texts in double quotes, numbers bare, each record ended by CR LF. Texts are written
// as 8-bit characters (the inverse of RecordReader).
class RecordWriter {
public:
    RecordWriter &text(const QString &value);
    RecordWriter &number(qint64 value);
    // Ends the current record with CR LF.
    RecordWriter &endRecord();

    const QByteArray &bytes() const { return m_bytes; }

private:
    void separate();

    QByteArray m_bytes;
    bool m_recordOpen = false;
};
