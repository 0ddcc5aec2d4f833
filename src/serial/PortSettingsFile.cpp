#include "PortSettingsFile.h"

#include "FileError.h"
#include "NumberText.h"
#include "RecordReader.h"
#include "SafeFile.h"

#include <array>

QByteArray PortSettingsFile::format(const PortSettings &s)
{
    QByteArray bytes;
    for (int value : {s.PortIndex, s.BaudRateIndex, s.DataBitsIndex, s.ParityIndex, s.StopBitsIndex})
        bytes += QByteArray::number(value) + "\r\n";
    return bytes;
}

PortSettingsRead PortSettingsFile::parse(const QByteArray &data)
{
    static const std::array<const char *, 5> names{"port", "baud rate", "data bits", "parity", "stop bits"};
    PortSettingsRead result;
    RecordReader reader(data);
    std::array<int, 5> values{};
    for (size_t i = 0; i < values.size(); ++i) {
        const std::optional<QString> field = reader.next();
        if (!field) {
            result.error = static_cast<int>(FileError::InputPastEnd);
            result.problem = QStringLiteral("the %1 setting is missing").arg(names[i]);
            return result;
        }
        const std::optional<int> value = NumberText::strictWhole(*field, -32768, 32767);
        if (!value) {
            result.error = static_cast<int>(FileError::TypeMismatch);
            result.problem = QStringLiteral("the %1 setting \"%2\" is not a number").arg(names[i], *field);
            return result;
        }
        values[i] = *value;
    }
    const PortSettings read{values[0], values[1], values[2], values[3], values[4]};
    if (!read.isValid()) {
        // A hand-edited position outside its list cannot be selected in the dialog.
        result.error = static_cast<int>(FileError::InvalidValue);
        result.problem = QStringLiteral("a setting lies outside its list (%1)")
                             .arg(QString::fromLatin1(format(read).replace("\r\n", " ").trimmed()));
        return result;
    }
    result.settings = read;
    return result;
}

PortSettingsRead PortSettingsFile::read(const QString &path)
{
    int error = 0;
    const QByteArray data = readWholeFile(path, &error);
    if (error != 0) {
        PortSettingsRead result;
        result.error = error;
        result.problem = fileErrorText(error);
        return result;
    }
    return parse(data);
}

QString PortSettingsFile::write(const QString &path, const PortSettings &settings)
{
    return writeWholeFile(path, format(settings));
}
