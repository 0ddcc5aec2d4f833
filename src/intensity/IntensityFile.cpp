#include "IntensityFile.h"

#include "FileError.h"
#include "NumberText.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "SafeFile.h"
#include "TableRecord.h"

#include <limits>

namespace IntensityFile {

namespace {
constexpr QLatin1String Manual("Manual");
constexpr QLatin1String Automatic("Automatic");
constexpr QLatin1String SwitchOff("SwitchOff");

Read &failed(Read &read, FileError error, qsizetype where, const QString &why)
{
    read.error = static_cast<int>(error);
    read.where = where;
    read.why = why;
    return read;
}

// A level beyond 16 bits is no list position; it is kept out of range rather than wrapped.
int levelOf(const QString &field)
{
    constexpr int low = std::numeric_limits<qint16>::min();
    return NumberText::leadingWhole(field, low, std::numeric_limits<qint16>::max()).value_or(low);
}
} // namespace

FileBytes write(const Header &header, const Table &table)
{
    RecordWriter writer;
    writer.number(header.level).text(header.manual ? Manual : Automatic).endRecord();
    writer.text(header.delay).text(header.switchOff ? SwitchOff : Automatic).endRecord();
    TableRecord::append(writer, table);
    return writer.result(TableRecord::MaxFileSize);
}

Read parse(const QByteArray &data)
{
    Read read;
    RecordReader reader(data);
    const std::optional<QString> level = reader.next();
    const std::optional<QString> mode = level ? reader.next() : std::nullopt;
    if (!mode)
        return failed(read, FileError::InputPastEnd, reader.fieldStart(), QStringLiteral("no level and mode"));
    read.header.level = levelOf(*level);
    read.header.manual = *mode == Manual;
    read.recordsRead = 1;

    const std::optional<QString> delay = reader.next();
    const std::optional<QString> watchdog = delay ? reader.next() : std::nullopt;
    if (!watchdog)
        return failed(read, FileError::InputPastEnd, reader.fieldStart(), QStringLiteral("no watchdog setting"));
    read.header.delay = *delay;
    read.header.switchOff = *watchdog == SwitchOff;
    read.recordsRead = 2;

    if (reader.atEnd())
        return read; // a table without entries
    TableRecord::Read table = TableRecord::parse(reader, CellCount);
    if (!table.ok())
        return failed(read, static_cast<FileError>(table.error), table.where, table.why);
    read.hasTable = true;
    read.entries = std::move(table.entries);
    read.recordsRead = 3;
    return read;
}

Read readFile(const QString &path)
{
    int error = 0;
    QString why;
    const QByteArray data = readWholeFile(path, &error, TableRecord::MaxFileSize, &why);
    if (error != 0) {
        Read read;
        return failed(read, static_cast<FileError>(error), 0, why);
    }
    return parse(data);
}

} // namespace IntensityFile
