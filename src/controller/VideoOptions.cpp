#include "VideoOptions.h"

#include "FrameBuilder.h"
#include "NumberText.h"
#include "VideoSettings.h"

#include <array>

namespace {

const std::array<OptionGroupInfo, OptionGroupCount> &groups()
{
    static const std::array<OptionGroupInfo, OptionGroupCount> table{{
        {"optOperationMode",
         "&Operation Mode",
         Command::OperationMode,
         {"PC", "Video", "Both"},
         {"PC", "Video", "Both"}},
        {"optOperationModeN",
         "Operation Mode",
         Command::OperationMode,
         {"P&C Mode", "&Video Mode", "PC and Video &Mode"},
         {"PC", "Video", "Both"}},
        {"optHorFilter",
         "Horizontal Filter",
         Command::HorFilter,
         {"Adaptive", "Bypassed", "Filter 1", "Filter 2", "Filter 3", "Filter 4", "Filter 5", "Filter 6"},
         {"Adaptive", "Bypassed", "Filter1", "Filter2", "Filter3", "Filter4", "Filter5", "Filter6"}},
        {"optVerFilter",
         "Vertical Filter",
         Command::VerFilter,
         {"Linear", "Bypassed", "Geometrical Filter 1", "Geometrical Filter 2", "Geometrical Filter 3"},
         {"Linear", "Bypassed", "Filter1", "Filter2", "Filter3"}},
        {"optAntigamma", "Antigamma Table", Command::Antigamma, {"On", "Off"}, {"On", "Off"}},
        {"optVideoSource",
         "Video Source",
         Command::VideoSource,
         {"Composite 1", "Composite 2", "Composite 3", "Composite 4", "Svideo 1", "Svideo 2"},
         {"Composite1", "Composite2", "Composite3", "Composite4", "Svideo1", "Svideo2"}},
    }};
    return table;
}

const std::array<PictureInfo, PictureCount> &pictures()
{
    static const std::array<PictureInfo, PictureCount> table{{
        {"SbtnBrightness", "txtBrightness", "Brightness :", "0 - 255", 255, Command::Brightness},
        {"SbtnContrast", "txtContrast", "Contrast    :", "0 - 127", 127, Command::Contrast},
        {"SbtnSaturation", "txtSaturation", "Saturation :", "0 - 127", 127, Command::Saturation},
        {"SbtnHue", "txthue", "Hue          :", "0 - 255", 255, Command::Hue},
    }};
    return table;
}

} // namespace

const OptionGroupInfo &optionGroupInfo(OptionGroup group)
{
    return groups().at(static_cast<size_t>(group));
}

QString &groupText(VideoSettings &settings, OptionGroup group)
{
    switch (group) {
    case OptionGroup::OperationMode:
    case OptionGroup::OperationModeN:
        return settings.OperationModeText;
    case OptionGroup::HorFilter:
        return settings.HorFilterText;
    case OptionGroup::VerFilter:
        return settings.VerFilterText;
    case OptionGroup::Antigamma:
        return settings.AntigammaText;
    case OptionGroup::VideoSource:
        break;
    }
    return settings.VideoSourceText;
}

int &groupIndex(VideoSettings &settings, OptionGroup group)
{
    switch (group) {
    case OptionGroup::OperationMode:
    case OptionGroup::OperationModeN:
        return settings.OperationModeIndex;
    case OptionGroup::HorFilter:
        return settings.HorFilterIndex;
    case OptionGroup::VerFilter:
        return settings.VerFilterIndex;
    case OptionGroup::Antigamma:
        return settings.AntigammaIndex;
    case OptionGroup::VideoSource:
        break;
    }
    return settings.VideoSourceIndex;
}

int optionForText(OptionGroup group, const QString &text)
{
    const int found = static_cast<int>(optionGroupInfo(group).texts.indexOf(text));
    switch (group) {
    case OptionGroup::OperationMode:
    case OptionGroup::OperationModeN:
        return found >= 0 ? found : 2;
    case OptionGroup::Antigamma:
        return found == 0 ? 0 : 1;
    default:
        return found;
    }
}

const PictureInfo &pictureInfo(Picture picture)
{
    return pictures().at(static_cast<size_t>(picture));
}

namespace {
// The record's member for a picture value, for reading and for writing alike.
int VideoSettings::*pictureMember(Picture picture)
{
    switch (picture) {
    case Picture::Brightness:
        return &VideoSettings::brightness;
    case Picture::Contrast:
        return &VideoSettings::contrast;
    case Picture::Saturation:
        return &VideoSettings::saturation;
    case Picture::Hue:
        break;
    }
    return &VideoSettings::hue;
}
} // namespace

int &pictureValue(VideoSettings &settings, Picture picture)
{
    return settings.*pictureMember(picture);
}

int pictureValue(const VideoSettings &settings, Picture picture)
{
    return settings.*pictureMember(picture);
}

QString pictureDisplay(Picture picture, int value)
{
    const double percent = NumberText::roundHalfEven(value * 100.0 / pictureInfo(picture).maximum);
    return QStringLiteral("%1 (%2%)").arg(value).arg(static_cast<int>(percent));
}
