// ConfigSetup.txt on any bytes: never more page records than pages, no caption or level
// name longer than the cap, the level count always one the lists can hold.
#include "ConfigSetup.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const ConfigSetupRead read = ConfigSetup::parse(input.bytes());
    const InstallationConfig &c = read.config;
    FUZZ_CHECK(read.pageRecordsRead >= 0 && read.pageRecordsRead <= PageCount);
    FUZZ_CHECK(c.IntensityLevelCount >= InstallationConfig::MinLevels &&
               c.IntensityLevelCount <= InstallationConfig::MaxLevels);
    for (const QString &caption : c.captions)
        FUZZ_CHECK(caption.size() <= InstallationConfig::MaxNameLength);
    for (const QString &name : c.IntensityLevelNames)
        FUZZ_CHECK(name.size() <= InstallationConfig::MaxNameLength);
    FUZZ_CHECK(c.IntensityLevelNames.size() == InstallationConfig::TableSize);
    return 0;
}
