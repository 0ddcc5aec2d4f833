// comset.prt and ComPorts.txt on any bytes: settings read whole are valid and written back
// the same; a device name is never asked for outside the port numbers.
#include "FuzzInput.h"
#include "PortDirectory.h"
#include "PortSettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const PortSettingsRead read = PortSettingsFile::parse(input.bytes());
    if (read.ok()) {
        FUZZ_CHECK(read.settings.isValid());
        const PortSettingsRead again = PortSettingsFile::parse(PortSettingsFile::format(read.settings));
        FUZZ_CHECK(again.ok() && again.settings == read.settings);
    }
    const PortDirectory ports = PortDirectory::parse(input.bytes());
    for (int port = -1; port <= 14; ++port)
        ports.devicePath(port);
    return 0;
}
