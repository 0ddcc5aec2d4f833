// The record reader on any bytes: positions stay inside the input, every field read moves
// it on, and a field read and written again reads back the same. Written texts of any kind
// read back the same, or the writer refuses the file because one cannot be stored.
#include "FuzzInput.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "StorableText.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    RecordReader reader(input.bytes());
    int fields = 0;
    while (const std::optional<QString> field = reader.next()) {
        FUZZ_CHECK(reader.fieldStart() <= input.bytes().size());
        FUZZ_CHECK(++fields <= input.bytes().size() + 1);
        // Only a bare field can hold a double quote; any other field written reads back.
        RecordWriter again;
        again.text(*field).endRecord();
        FUZZ_CHECK(again.ok() != field->contains(QLatin1Char('"')));
        if (again.ok())
            FUZZ_CHECK(RecordReader(again.bytes()).next() == *field);
    }
    FUZZ_CHECK(reader.fieldStart() <= input.bytes().size());

    FuzzInput draw(data, size);
    RecordWriter writer;
    QStringList written;
    bool storable = true;
    while (!draw.atEnd()) {
        if (draw.byte() % 2) {
            written << draw.anyText(40);
            storable =
                storable && StorableText::problem(written.last(), StorableText::Place::Field).isEmpty();
            writer.text(written.last());
        } else {
            const qint64 n = qint64(draw.byte()) * 1000 - 128000;
            written << QString::number(n);
            writer.number(n);
        }
        if (draw.byte() % 3 == 0)
            writer.endRecord();
    }
    writer.endRecord();
    FUZZ_CHECK(writer.ok() == storable);
    if (!writer.ok())
        return 0;
    RecordReader back(writer.bytes());
    for (const QString &field : written)
        FUZZ_CHECK(back.next() == field);
    return 0;
}
