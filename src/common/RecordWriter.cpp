#include "RecordWriter.h"

#include "SafeFile.h"
#include "StorableText.h"

void RecordWriter::separate()
{
    if (m_recordOpen)
        m_bytes.append(',');
    m_recordOpen = true;
    ++m_fields;
}

RecordWriter &RecordWriter::text(const QString &value)
{
    if (!ok())
        return *this;
    // The reader ends a field at its next double quote, and a character the encoding lacks
    // would come back as another one.
    const QString why = StorableText::refusal(QStringLiteral("field %1").arg(m_fields + 1), value,
                                              StorableText::Place::Field, QStringLiteral("the file"));
    if (!why.isEmpty()) {
        refuse(why);
        return *this;
    }
    separate();
    m_bytes.append('"');
    m_bytes.append(StorableText::encode(value));
    m_bytes.append('"');
    return *this;
}

RecordWriter &RecordWriter::number(qint64 value)
{
    if (!ok())
        return *this;
    separate();
    m_bytes.append(QByteArray::number(value));
    return *this;
}

RecordWriter &RecordWriter::endRecord()
{
    if (!ok())
        return *this;
    m_bytes.append("\r\n");
    m_recordOpen = false;
    return *this;
}

void RecordWriter::refuse(const QString &why)
{
    if (ok())
        m_refusal = why;
}

FileBytes RecordWriter::result(qint64 maxBytes) const
{
    if (!ok())
        return {QByteArray(), m_refusal};
    if (m_bytes.size() > maxBytes) {
        return {QByteArray(), QStringLiteral("it would be %1 bytes, more than the %2 that its reader takes")
                                  .arg(m_bytes.size())
                                  .arg(sizeText(maxBytes))};
    }
    return {m_bytes, QString()};
}
