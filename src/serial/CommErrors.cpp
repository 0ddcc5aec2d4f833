#include "CommErrors.h"

#include <QHash>

QString CommErrorText(int code)
{
    static const QHash<int, QString> texts{
        {380, "Invalid property value"},
        {383, "Property is read-only"},
        {394, "Property is read-only"},
        {8000, "Operation not valid while the port is opened"},
        {8001, "Timeout value must be greater than zero"},
        {8002, "Invalid Port Number"},
        {8003, "Property available only at run time"},
        {8004, "Property is read only at runtime"},
        {8005, "Port already open"},
        {8006, "The device identifier is invalid or unsupported"},
        {8007, "The Device's baud rate is unsupported"},
        {8008, "The specified byte size is invalid"},
        {8009, "The default parameters are in error"},
        {8010, "The hardware is not available (locked by another device)"},
        {8011, "The function cannot allocate the queues"},
        {8012, "The device is not open"},
        {8013, "The device is already open"},
        {8014, "Could not enable comm notification"},
        {8015, "Could not set comm state"},
        {8016, "Could not set comm event mask"},
        {8018, "Operation valid only when the port is open"},
        {8019, "device busy"},
        {8020, "Error reading comm device"},
        {8021, "Internal error retrieving device control block for the port"},
    };
    return texts.value(code);
}

int commErrorCode(QSerialPort::SerialPortError error, PortStep step)
{
    using E = QSerialPort::SerialPortError;
    switch (error) {
    case E::NoError:
        return 0;
    case E::DeviceNotFoundError:
        return CommError::InvalidPortNumber;
    case E::PermissionError:
        // Another program (or a lock file) holds the device, or it may not be opened at all.
        return CommError::HardwareNotAvailable;
    case E::OpenError:
        return CommError::PortAlreadyOpen;
    case E::NotOpenError:
        return CommError::DeviceNotOpen;
    case E::ReadError:
        return CommError::ErrorReading;
    case E::WriteError:
    case E::TimeoutError:
        return CommError::DeviceBusy;
    case E::ResourceError:
        // The device went away (an adapter pulled out).
        return CommError::DeviceIdInvalid;
    case E::UnsupportedOperationError:
        switch (step) {
        case PortStep::BaudRate:
            return CommError::BaudRateUnsupported;
        case PortStep::DataBits:
            return CommError::ByteSizeInvalid;
        default:
            return CommError::CouldNotSetCommState;
        }
    case E::UnknownError:
        break;
    }
    return CommError::CouldNotSetCommState;
}
