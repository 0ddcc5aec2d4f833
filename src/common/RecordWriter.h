#pragma once

#include <QByteArray>
#include <QString>

// The bytes a writer formed for a file, or why the file cannot be written (then there are
// none, and nothing is to be written).
struct FileBytes {
    QByteArray bytes;
    QString refusal;
    bool ok() const { return refusal.isEmpty(); }
};

// Writes the system's text record format: fields of one record separated by commas,
// texts in double quotes, numbers bare, each record ended by CR LF. Texts are written in
// the system's 8-bit encoding (the inverse of RecordReader).
//
// A text that a field cannot hold (StorableText) refuses the whole file: the writer keeps
// the first refusal, adds nothing after it, and its caller writes nothing.
class RecordWriter {
public:
    RecordWriter &text(const QString &value);
    RecordWriter &number(qint64 value);
    // Ends the current record with CR LF.
    RecordWriter &endRecord();

    // Refuses the file for a rule of the caller's (a table cell that holds a TAB).
    void refuse(const QString &why);
    // Why the file cannot be written; empty when it can.
    const QString &refusal() const { return m_refusal; }
    bool ok() const { return m_refusal.isEmpty(); }

    const QByteArray &bytes() const { return m_bytes; }
    // The bytes, or the refusal; a file larger than its reader takes ('maxBytes') is refused too.
    FileBytes result(qint64 maxBytes) const;

private:
    void separate();

    QByteArray m_bytes;
    QString m_refusal;
    int m_fields = 0;
    bool m_recordOpen = false;
};
