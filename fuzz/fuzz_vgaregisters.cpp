// VGAReg.cfg on any bytes: every entry is three bytes, the pause never negative, and a
// file with entries the reader refuses sends nothing.
#include "FuzzInput.h"
#include "VgaRegisterFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const VgaRegisterList list = VgaRegisterFile::parse(input.bytes());
    FUZZ_CHECK(list.pauseMs >= 0);
    for (const QByteArray &entry : list.entries)
        FUZZ_CHECK(entry.size() == 3);
    FUZZ_CHECK(list.usable || list.entries.isEmpty());
    return 0;
}
