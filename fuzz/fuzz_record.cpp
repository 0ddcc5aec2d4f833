// The record reader on any bytes: positions stay inside the input, every field read moves
// it on, and fields the writer wrote read back the same.
#include "FuzzInput.h"
#include "RecordReader.h"
#include "RecordWriter.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    RecordReader reader(input.bytes());
    int fields = 0;
    while (reader.next()) {
        FUZZ_CHECK(reader.fieldStart() <= input.bytes().size());
        FUZZ_CHECK(++fields <= input.bytes().size() + 1);
    }
    FUZZ_CHECK(reader.fieldStart() <= input.bytes().size());

    // Texts without a double quote, numbers: written, then read back field for field.
    FuzzInput draw(data, size);
    RecordWriter writer;
    QStringList written;
    while (!draw.atEnd()) {
        if (draw.byte() % 2) {
            written << draw.text(40, "\"");
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
    RecordReader back(writer.bytes());
    for (const QString &field : written)
        FUZZ_CHECK(back.next() == field);
    return 0;
}
