#pragma once

#include <QString>
#include <QStringList>

struct VideoSettings;

// The option groups of the video page and the register page. Within a group the option
// index is the value byte of the group's command.
enum class OptionGroup { OperationMode, OperationModeN, HorFilter, VerFilter, Antigamma, VideoSource };
constexpr int OptionGroupCount = 6;

struct OptionGroupInfo {
    QString objectName;   // "optOperationMode"
    QString frameCaption; // "&Operation Mode"
    int command;          // command code of the group
    QStringList captions; // what the operator sees, by index
    QStringList texts;    // what VideoSettings and setting files hold, by index
};

const OptionGroupInfo &optionGroupInfo(OptionGroup group);

// The text and index fields of VideoSettings that a group writes. Both operation mode groups
// write the same two fields.
QString &groupText(VideoSettings &settings, OptionGroup group);
int &groupIndex(VideoSettings &settings, OptionGroup group);

// The option a loaded text selects, or -1 when the text leaves the group unchanged.
// Comparison is exact. Operation mode: "PC" 0, "Video" 1, anything else 2. Antigamma:
// "On" 0, anything else 1 (and the caller sets the text to "Off").
int optionForText(OptionGroup group, const QString &text);

// The four picture values and their spin buttons.
enum class Picture { Brightness, Contrast, Saturation, Hue };
constexpr int PictureCount = 4;

struct PictureInfo {
    QString spinName;    // "SbtnBrightness"
    QString displayName; // "txtBrightness"
    QString label;       // "Brightness :"
    QString rangeLabel;  // "0 - 255"
    int maximum;         // the minimum is 0, the step 1
    int command;
};

const PictureInfo &pictureInfo(Picture picture);
int &pictureValue(VideoSettings &settings, Picture picture);
int pictureValue(const VideoSettings &settings, Picture picture);

// "128 (50%)": the value and its share of the maximum, rounded to a whole percent.
QString pictureDisplay(Picture picture, int value);
