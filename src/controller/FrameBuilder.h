#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The KVR command frame: STX 00 01 00, a count, the command code, its data bytes, EOT.
// No checksum. The count covers the command byte and the data bytes only.
namespace Command {
enum Code : int {
    OperationMode = 1,
    Brightness = 2,
    Contrast = 3,
    Saturation = 4,
    Hue = 5,
    HorFilter = 6,
    VerFilter = 7,
    Antigamma = 8,
    VideoSource = 9,
    IntensityLevel = 10,
    VgaRegisters = 11,
    Watchdog = 16,
};

// "brightness", "vga", ...; empty for a code outside the command table.
QString name(int code);
} // namespace Command

struct Frame {
    QByteArray bytes;  // the whole frame; empty when the call broke a limit
    QString rejection; // why nothing may be sent, in words for the operator
    bool ok() const { return rejection.isEmpty(); }
};

// Builds one frame from the arguments of TransmitToKVR. A call outside the command table
// or its limits (value byte outside the command's range, intensity position without a
// whole level code 0 to 255, more than 254 register bytes) gives no bytes and a reason.
class FrameBuilder {
public:
    static constexpr int MaxRegisterBytes = 254;

    static Frame build(int mode, int value, const QByteArray &sValue, const QStringList &intensityLevels);

    // The highest value byte the command accepts (its lowest is always 0); -1 when the
    // command takes no single value.
    static int maxValue(int mode);
};
