#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads the system's text record format field by field.
//
// A field ends at a comma or at a line end (CR LF, CR or LF); a field that starts with a
// double quote runs to the next double quote, so it may hold commas and line ends, and
// anything between the closing quote and the next separator is dropped. Unquoted fields
// lose their leading and trailing blanks. Line breaks between fields therefore do not
// matter: nine fields on one line read like nine lines of one field each.
//
// Files are 8-bit text in the system's encoding; a field that is not valid in it is read as
// Latin-1 (StorableText::decode), so older files still read. A field read and written
// again reads back the same.
class RecordReader {
public:
    explicit RecordReader(QByteArray data);

    // Nothing is left to read.
    bool atEnd() const { return m_pos >= m_data.size(); }

    // The next field, or nothing when the data ended before it.
    std::optional<QString> next();

    // Byte offset at which the last field returned by next() (or the failed attempt) began.
    qsizetype fieldStart() const { return m_fieldStart; }

    // How many fields next() has returned.
    int fieldsRead() const { return m_fieldsRead; }

private:
    void skipBlanks();
    void skipSeparator();

    QByteArray m_data;
    qsizetype m_pos = 0;
    qsizetype m_fieldStart = 0;
    int m_fieldsRead = 0;
};
