#include "RecordWriter.h"

void RecordWriter::separate()
{
    if (m_recordOpen)
        m_bytes.append(',');
    m_recordOpen = true;
}

RecordWriter &RecordWriter::text(const QString &value)
{
    separate();
    m_bytes.append('"');
    m_bytes.append(value.toLatin1());
    m_bytes.append('"');
    return *this;
}

RecordWriter &RecordWriter::number(qint64 value)
{
    separate();
    m_bytes.append(QByteArray::number(value));
    return *this;
}

RecordWriter &RecordWriter::endRecord()
{
    m_bytes.append("\r\n");
    m_recordOpen = false;
    return *this;
}
