// Setting files (*.pav) on any bytes: the place a read stopped lies inside the input and at
// most the nine fields are kept; a file the writer wrote reads back field for field, and
// texts it cannot store are refused, never written.
#include "FuzzInput.h"
#include "SettingFile.h"
#include "StorableText.h"
#include "VideoSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const SettingFileRead read = SettingFile::parse(input.bytes());
    FUZZ_CHECK(read.errorOffset >= 0 && read.errorOffset <= input.bytes().size());
    FUZZ_CHECK(read.texts.size() <= 5 && read.values.size() <= 4);

    FuzzInput draw(data, size);
    VideoSettings s;
    bool storable = true;
    for (QString *text :
         {&s.OperationModeText, &s.HorFilterText, &s.VerFilterText, &s.AntigammaText, &s.VideoSourceText}) {
        *text = draw.anyText(12);
        storable = storable && StorableText::problem(*text, StorableText::Place::Field).isEmpty();
    }
    s.brightness = draw.byte();
    s.contrast = draw.byte() / 2;
    s.saturation = draw.byte() / 2;
    s.hue = draw.byte();
    const FileBytes written = SettingFile::format(s);
    FUZZ_CHECK(written.ok() == storable);
    if (!written.ok())
        return 0;
    const SettingFileRead back = SettingFile::parse(written.bytes);
    FUZZ_CHECK(back.complete());
    FUZZ_CHECK(back.texts == QStringList({s.OperationModeText, s.HorFilterText, s.VerFilterText, s.AntigammaText,
                                          s.VideoSourceText}));
    FUZZ_CHECK(back.values == QList<int>({s.brightness, s.contrast, s.saturation, s.hue}));
    return 0;
}
