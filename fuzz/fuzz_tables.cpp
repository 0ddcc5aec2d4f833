// The table record of the schedule (*.shd), task (*.tsk) and intensity (*.int) files on any
// bytes; what the readers accept, written again, reads back the same or is refused whole;
// and tables of any cells the writers wrote read back the same, or the writers refuse them
// because a cell cannot be stored.
#include "FuzzInput.h"
#include "IntensityFile.h"
#include "StorableText.h"
#include "TableRecord.h"

namespace {
// A table of up to 20 entries with cells of any characters drawn from the input.
Table drawnTable(FuzzInput &draw, int cellCount)
{
    Table table(cellCount);
    QList<QStringList> rows;
    for (int n = draw.byte() % 21; n > 0 && !draw.atEnd(); --n) {
        QStringList cells;
        for (int c = 0; c < cellCount; ++c)
            cells << draw.anyText(10);
        rows << cells;
    }
    table.setEntries(rows);
    return table;
}

bool storable(const Table &table)
{
    for (const QStringList &entry : table.entries()) {
        for (const QString &cell : entry) {
            if (!StorableText::problem(cell, StorableText::Place::Cell).isEmpty())
                return false;
        }
    }
    return true;
}

// Written, it reads back as it is, or the writer refused it for a cell it cannot hold.
void writesBackOrRefuses(const Table &table, int cells)
{
    const FileBytes written = TableRecord::write(table);
    FUZZ_CHECK(written.ok() == storable(table));
    FUZZ_CHECK(written.ok() || written.bytes.isEmpty());
    if (!written.ok())
        return;
    const TableRecord::Read back = TableRecord::parse(written.bytes, cells);
    FUZZ_CHECK(back.ok() && back.entries == table.entries());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    for (int cells : {3, 4}) {
        const TableRecord::Read read = TableRecord::parse(input.bytes(), cells);
        FUZZ_CHECK(read.where >= 0 && read.where <= input.bytes().size());
        FUZZ_CHECK(read.ok() || read.entries.isEmpty()); // never half a table
        for (const QStringList &entry : read.entries)
            FUZZ_CHECK(entry.size() == cells);
        FUZZ_CHECK(read.entries.size() <= Table::MaxEntries);
        if (read.ok()) {
            Table table(cells);
            table.setEntries(read.entries);
            writesBackOrRefuses(table, cells);
        }
    }
    const IntensityFile::Read intensity = IntensityFile::parse(input.bytes());
    FUZZ_CHECK(intensity.where >= 0 && intensity.where <= input.bytes().size());
    FUZZ_CHECK(intensity.recordsRead >= 0 && intensity.recordsRead <= 3);
    FUZZ_CHECK(!intensity.ok() || intensity.recordsRead >= 2);
    FUZZ_CHECK(intensity.hasTable == (intensity.recordsRead == 3));

    FuzzInput draw(data, size);
    const Table table = drawnTable(draw, 4);
    writesBackOrRefuses(table, 4);

    IntensityFile::Header header;
    header.level = draw.byte() - 1;
    header.manual = draw.byte() % 2;
    header.delay = draw.anyText(8);
    header.switchOff = draw.byte() % 2;
    const FileBytes written = IntensityFile::write(header, table);
    FUZZ_CHECK(written.ok() == (storable(table) &&
                                StorableText::problem(header.delay, StorableText::Place::Field).isEmpty()));
    if (!written.ok())
        return 0;
    const IntensityFile::Read file = IntensityFile::parse(written.bytes);
    FUZZ_CHECK(file.ok() && file.header.level == header.level && file.header.manual == header.manual &&
               file.header.delay == header.delay && file.header.switchOff == header.switchOff);
    FUZZ_CHECK(file.entries == table.entries() && file.hasTable == !table.isEmpty());
    return 0;
}
