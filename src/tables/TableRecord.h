#pragma once

#include "RecordWriter.h"
#include "Table.h"

#include <QByteArray>
#include <QString>

class RecordReader;

// The stored form of a table: one record holding the row count with the header (N + 1), a
// comma, and a quoted text in which the cells of an entry are joined by TAB and the entries
// by CR, then CR LF. A table without entries is stored as nothing at all (a 0-byte file).
namespace TableRecord {

// 32767 entries with long paths in them (a kilobyte each) and room to spare.
inline constexpr qint64 MaxFileSize = qint64(48) * 1024 * 1024;

// The record, or why the table cannot be stored: a cell that holds a double quote, TAB, CR or
// LF, or a character outside the system's encoding, or more bytes than the reader takes.
FileBytes write(const Table &table);
// The record after others of a file (the intensity file's table); nothing for no entries. A
// cell the record cannot hold refuses the writer's file.
void append(RecordWriter &writer, const Table &table);

struct Read {
    QList<QStringList> entries;
    int error = 0;         // a FileError number; 0 when the record was read whole
    qsizetype where = 0;   // byte offset at which reading stopped, for the message
    QString why;           // what was wrong there, in words
    bool emptyFile = false; // 0 bytes: a table without entries
    int rowCount = 0;       // the row count read, header included; 0 when none was read
    bool ok() const { return error == 0; }
};

// Reads a record of entries with 'cellCount' cells each. A damaged record (no count, a
// count that is not the number of entries, more than 32767 entries, an entry with the wrong
// number of cells) gives an error and no entries, so a table is never half replaced. A CR
// after the last entry leaves an empty entry that is no entry when the count agrees.
Read parse(const QByteArray &data, int cellCount);
// The same, from where a reader of a longer file stands (the intensity file's last record).
Read parse(RecordReader &reader, int cellCount);

// The file at 'path' read and parsed; a file that cannot be read gives its error.
Read readFile(const QString &path, int cellCount);

} // namespace TableRecord
