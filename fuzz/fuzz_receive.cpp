// The receive path fed random chunks: the buffer stays within its capacity, and each appended
// piece is the display form of its bytes, which the buffer's text ends with.
#include "FuzzInput.h"
#include "ReceiveBuffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    ReceiveBuffer buffer;
    qsizetype at = 0;
    while (at < input.bytes().size()) {
        // The chunk's own first byte sets its length.
        const qsizetype length = 1 + static_cast<unsigned char>(input.bytes().at(at)) % 64;
        const QByteArray chunk = input.bytes().mid(at, length);
        at += length;
        const QString piece = buffer.append(chunk);
        FUZZ_CHECK(piece == ReceiveBuffer::displayForm(chunk));
        FUZZ_CHECK(buffer.text().size() <= ReceiveBuffer::Capacity + ReceiveBuffer::Capacity / 4); // trimmed in steps
        if (piece.size() <= buffer.text().size())
            FUZZ_CHECK(buffer.text().endsWith(piece));
        if (chunk.endsWith('\x1b')) // now and then a frame goes out and the buffer starts again
            buffer.clear();
    }
    return 0;
}
