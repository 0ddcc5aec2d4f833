#pragma once

#include "RecordWriter.h"
#include "Table.h"

#include <QByteArray>
#include <QString>

// The daily intensity file (*.int): two or three records.
//   1. the level (list position + 1, 0 for none) and the mode word "Manual" or "Automatic"
//   2. the watchdog delay text as typed, and "SwitchOff" or "Automatic"
//   3. only when the table has entries: the table record of its entries
// Only the exact words "Manual" and "SwitchOff" count; any other word means Automatic.
namespace IntensityFile {

enum Cell { TimeCell = 1, NameCell = 2, LevelCell = 3, CellCount = 4 };

// What records 1 and 2 hold.
struct Header {
    int level = 0; // list position + 1
    bool manual = false;
    QString delay;
    bool switchOff = false;
};

struct Read {
    Header header;
    int recordsRead = 0; // whole records read: the ones before a break still count
    bool hasTable = false;
    QList<QStringList> entries;
    int error = 0;       // a FileError number; 0 when the file was read whole
    qsizetype where = 0; // byte offset of the field at which reading stopped
    QString why;
    bool ok() const { return error == 0; }
};

// The file, or why it cannot be stored (a text or cell the record cannot hold).
FileBytes write(const Header &header, const Table &table);
Read parse(const QByteArray &data);
// The file at 'path'; a file that cannot be read gives its error and no records.
Read readFile(const QString &path);

} // namespace IntensityFile
