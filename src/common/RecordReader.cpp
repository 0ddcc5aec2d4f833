#include "RecordReader.h"

#include "StorableText.h"

namespace {
bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
} // namespace

RecordReader::RecordReader(QByteArray data) : m_data(std::move(data)) {}

void RecordReader::skipBlanks()
{
    while (m_pos < m_data.size() && isBlank(m_data.at(m_pos)))
        ++m_pos;
}

// Consumes the separator that ends a field: a comma, or one line end (CR LF counts as one).
void RecordReader::skipSeparator()
{
    if (m_pos >= m_data.size())
        return;
    const char c = m_data.at(m_pos);
    if (c == ',' || c == '\n') {
        ++m_pos;
    } else if (c == '\r') {
        ++m_pos;
        if (m_pos < m_data.size() && m_data.at(m_pos) == '\n')
            ++m_pos;
    }
}

std::optional<QString> RecordReader::next()
{
    m_fieldStart = m_pos;
    if (atEnd())
        return std::nullopt;

    skipBlanks();
    QByteArray field;
    if (m_pos < m_data.size() && m_data.at(m_pos) == '"') {
        const qsizetype open = m_pos + 1;
        qsizetype close = m_data.indexOf('"', open);
        if (close < 0)
            close = m_data.size(); // an unclosed quote runs to the end of the data
        field = m_data.mid(open, close - open);
        m_pos = qMin(close + 1, m_data.size());
        while (m_pos < m_data.size() && m_data.at(m_pos) != ',' && !isLineEnd(m_data.at(m_pos)))
            ++m_pos;
    } else {
        const qsizetype begin = m_pos;
        while (m_pos < m_data.size() && m_data.at(m_pos) != ',' && !isLineEnd(m_data.at(m_pos)))
            ++m_pos;
        qsizetype end = m_pos;
        while (end > begin && isBlank(m_data.at(end - 1)))
            --end;
        field = m_data.mid(begin, end - begin);
    }
    skipSeparator();
    ++m_fieldsRead;
    return StorableText::decode(field);
}
