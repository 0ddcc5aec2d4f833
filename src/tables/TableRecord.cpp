#include "TableRecord.h"

#include "FileError.h"
#include "NumberText.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "SafeFile.h"
#include "StorableText.h"

namespace TableRecord {

void append(RecordWriter &writer, const Table &table)
{
    if (table.isEmpty())
        return;
    QStringList entries;
    entries.reserve(table.entryCount());
    for (const QStringList &cells : table.entries()) {
        // The TAB and CR that join cells and entries cannot stand inside a cell.
        for (const QString &cell : cells) {
            const QString why =
                StorableText::refusal(QStringLiteral("entry %1").arg(entries.size() + 1), cell,
                                      StorableText::Place::Cell, QStringLiteral("the file"));
            if (!why.isEmpty()) {
                writer.refuse(why);
                return;
            }
        }
        entries.append(cells.join(QLatin1Char('\t')));
    }
    writer.number(table.rowCount()).text(entries.join(QLatin1Char('\r'))).endRecord();
}

FileBytes write(const Table &table)
{
    RecordWriter writer;
    append(writer, table);
    return writer.result(MaxFileSize);
}

namespace {
Read failure(FileError error, qsizetype where, const QString &why, int rowCount = 0)
{
    Read read;
    read.rowCount = rowCount;
    read.error = static_cast<int>(error);
    read.where = where;
    read.why = why;
    return read;
}
} // namespace

Read parse(const QByteArray &data, int cellCount)
{
    if (data.isEmpty()) {
        Read read;
        read.emptyFile = true;
        return read;
    }
    RecordReader reader(data);
    return parse(reader, cellCount);
}

Read parse(RecordReader &reader, int cellCount)
{
    const std::optional<QString> count = reader.next();
    if (!count)
        return failure(FileError::InputPastEnd, reader.fieldStart(), QStringLiteral("no row count"));
    const NumberText::Leading rows = NumberText::parseLeading(*count);
    const double whole = NumberText::roundHalfEven(rows.value);
    if (!rows.found || whole < 1 || whole > Table::MaxEntries + 1) {
        return failure(FileError::InvalidValue, reader.fieldStart(),
                       QStringLiteral("the row count \"%1\" is not 1 to %2").arg(*count).arg(Table::MaxEntries + 1));
    }
    const int entryCount = static_cast<int>(whole) - 1;

    const std::optional<QString> text = reader.next();
    if (!text) {
        return failure(FileError::InputPastEnd, reader.fieldStart(), QStringLiteral("no table text after the row count"),
                       entryCount + 1);
    }

    Read read;
    read.rowCount = entryCount + 1;
    if (entryCount == 0 && text->isEmpty())
        return read;
    QStringList lines = text->split(QLatin1Char('\r'));
    // An editor's CR (or CR LF) after the last entry: no entry, when the count agrees.
    if (lines.size() == entryCount + 1 &&
        (lines.constLast().isEmpty() || lines.constLast() == QLatin1String("\n")))
        lines.removeLast();
    if (lines.size() != entryCount) {
        return failure(FileError::InputPastEnd, reader.fieldStart(),
                       QStringLiteral("the row count says %1 entries, the table text holds %2")
                           .arg(entryCount)
                           .arg(lines.size()),
                       entryCount + 1);
    }
    read.entries.reserve(entryCount);
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.startsWith(QLatin1Char('\n')))
            line.remove(0, 1); // an editor that wrote CR LF between entries
        QStringList cells = line.split(QLatin1Char('\t'));
        if (cells.size() != cellCount) {
            return failure(FileError::TypeMismatch, reader.fieldStart(),
                           QStringLiteral("entry %1 has %2 cells instead of %3")
                               .arg(i + 1)
                               .arg(cells.size())
                               .arg(cellCount),
                           entryCount + 1);
        }
        read.entries.append(std::move(cells));
    }
    return read;
}

Read readFile(const QString &path, int cellCount)
{
    int error = 0;
    QString why;
    const QByteArray data = readWholeFile(path, &error, MaxFileSize, &why);
    if (error != 0)
        return failure(static_cast<FileError>(error), 0, why);
    return parse(data, cellCount);
}

} // namespace TableRecord
