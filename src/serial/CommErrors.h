#pragma once

#include <QSerialPort>
#include <QString>

// The port service's error codes, as operators know them from the console's messages.
namespace CommError {
enum Code : int {
    InvalidPortNumber = 8002,
    PortAlreadyOpen = 8005,
    DeviceIdInvalid = 8006,
    BaudRateUnsupported = 8007,
    ByteSizeInvalid = 8008,
    HardwareNotAvailable = 8010,
    DeviceNotOpen = 8012,
    CouldNotSetCommState = 8015,
    DeviceBusy = 8019,
    ErrorReading = 8020,
};
}

// The message text for an error code; empty for a code that has none.
QString CommErrorText(int code);

// Which step of opening or using the port failed; an unsupported setting is reported by
// the setting it concerns.
enum class PortStep { Open, BaudRate, DataBits, Parity, StopBits, Write, Read };

// The error code for a failure of the serial port service; 0 for NoError.
int commErrorCode(QSerialPort::SerialPortError error, PortStep step);
