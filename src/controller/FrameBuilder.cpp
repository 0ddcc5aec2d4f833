#include "FrameBuilder.h"

#include "NumberText.h"

namespace {

const char Stx = 0x02;
const char Eot = 0x04;

QByteArray frameOf(int code, const QByteArray &data)
{
    QByteArray bytes;
    bytes.reserve(7 + data.size());
    bytes.append(Stx).append('\x00').append('\x01').append('\x00');
    bytes.append(static_cast<char>(data.size() + 1));
    bytes.append(static_cast<char>(code));
    bytes.append(data);
    bytes.append(Eot);
    return bytes;
}

Frame rejected(const QString &why)
{
    return Frame{QByteArray(), why};
}

} // namespace

QString Command::name(int code)
{
    switch (code) {
    case OperationMode:
        return QStringLiteral("mode");
    case Brightness:
        return QStringLiteral("brightness");
    case Contrast:
        return QStringLiteral("contrast");
    case Saturation:
        return QStringLiteral("saturation");
    case Hue:
        return QStringLiteral("hue");
    case HorFilter:
        return QStringLiteral("horizontal filter");
    case VerFilter:
        return QStringLiteral("vertical filter");
    case Antigamma:
        return QStringLiteral("antigamma");
    case VideoSource:
        return QStringLiteral("video source");
    case IntensityLevel:
        return QStringLiteral("intensity");
    case VgaRegisters:
        return QStringLiteral("vga");
    case Watchdog:
        return QStringLiteral("watchdog");
    default:
        return QString();
    }
}

int FrameBuilder::maxValue(int mode)
{
    switch (mode) {
    case Command::OperationMode:
        return 2; // PC, Video, Both
    case Command::Brightness:
        return 255;
    case Command::Contrast:
    case Command::Saturation:
        return 127;
    case Command::Hue:
        return 255;
    case Command::HorFilter:
        return 7; // Adaptive, Bypassed, Filter1..6
    case Command::VerFilter:
        return 4; // Linear, Bypassed, Filter1..3
    case Command::Antigamma:
        return 1; // On, Off
    case Command::VideoSource:    // Composite1..4, Svideo1, Svideo2
    case Command::IntensityLevel: // a level position, not the byte sent
        return 5;
    case Command::Watchdog:
        return 255;
    default:
        return -1;
    }
}

Frame FrameBuilder::build(int mode, int value, const QByteArray &sValue, const QStringList &intensityLevels)
{
    const QString name = Command::name(mode);
    if (name.isEmpty())
        return rejected(QStringLiteral("command %1 is not a KVR command").arg(mode));

    if (mode == Command::VgaRegisters) {
        if (sValue.size() > MaxRegisterBytes)
            return rejected(QStringLiteral("%1 register bytes are more than one frame holds (%2)")
                                .arg(sValue.size())
                                .arg(MaxRegisterBytes));
        return Frame{frameOf(mode, sValue), QString()};
    }

    const int max = maxValue(mode);
    if (value < 0 || value > max)
        return rejected(QStringLiteral("%1 value %2 is outside 0 to %3").arg(name).arg(value).arg(max));

    if (mode == Command::IntensityLevel) {
        const QString code = value < intensityLevels.size() ? intensityLevels.at(value) : QString();
        const std::optional<int> level = NumberText::strictWhole(code, 0, 255);
        if (!level)
            return rejected(
                QStringLiteral("intensity level %1 has no code from 0 to 255 (\"%2\")").arg(value).arg(code));
        return Frame{frameOf(mode, QByteArray(1, static_cast<char>(*level))), QString()};
    }

    return Frame{frameOf(mode, QByteArray(1, static_cast<char>(value))), QString()};
}
