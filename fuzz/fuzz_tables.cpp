// The table record of the schedule (*.shd), task (*.tsk) and intensity (*.int) files on any
// bytes, and tables the writers wrote read back the same.
#include "FuzzInput.h"
#include "IntensityFile.h"
#include "TableRecord.h"

namespace {
// A table of up to 20 entries with cells drawn from the input (no TAB, CR, LF or quote:
// the cells of a stored table cannot hold them).
Table drawnTable(FuzzInput &draw, int cellCount)
{
    Table table(cellCount);
    QList<QStringList> rows;
    for (int n = draw.byte() % 21; n > 0 && !draw.atEnd(); --n) {
        QStringList cells;
        for (int c = 0; c < cellCount; ++c)
            cells << draw.text(10, "\t\r\n\"");
        rows << cells;
    }
    table.setEntries(rows);
    return table;
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
    }
    const IntensityFile::Read intensity = IntensityFile::parse(input.bytes());
    FUZZ_CHECK(intensity.where >= 0 && intensity.where <= input.bytes().size());
    FUZZ_CHECK(intensity.recordsRead >= 0 && intensity.recordsRead <= 3);
    FUZZ_CHECK(!intensity.ok() || intensity.recordsRead >= 2);
    FUZZ_CHECK(intensity.hasTable == (intensity.recordsRead == 3));

    FuzzInput draw(data, size);
    const Table table = drawnTable(draw, 4);
    const TableRecord::Read back = TableRecord::parse(TableRecord::write(table), 4);
    FUZZ_CHECK(back.ok() && back.entries == table.entries());

    IntensityFile::Header header;
    header.level = draw.byte() - 1;
    header.manual = draw.byte() % 2;
    header.delay = draw.text(8, "\"");
    header.switchOff = draw.byte() % 2;
    const IntensityFile::Read file = IntensityFile::parse(IntensityFile::write(header, table));
    FUZZ_CHECK(file.ok() && file.header.level == header.level && file.header.manual == header.manual &&
               file.header.delay == header.delay && file.header.switchOff == header.switchOff);
    FUZZ_CHECK(file.entries == table.entries() && file.hasTable == !table.isEmpty());
    return 0;
}
