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

PortSettingsRead PortSettingsFile::parse(const QByteArray &data, const PortSettings &before)
{
    static const std::array<const char *, 5> names{"port", "baud rate", "data bits", "parity", "stop bits"};
    PortSettingsRead result;
    result.settings = before;
    RecordReader reader(data);
    std::array<int, 5> values{before.PortIndex, before.BaudRateIndex, before.DataBitsIndex, before.ParityIndex,
                              before.StopBitsIndex};
    auto settingsOf = [&values] { return PortSettings{values[0], values[1], values[2], values[3], values[4]}; };
    for (size_t i = 0; i < values.size(); ++i) {
        const std::optional<QString> field = reader.next();
        if (!field) {
            // The positions read before the end are kept, as the file is read into them one
            // by one; the port is not opened with a half-read setting.
            result.error = static_cast<int>(FileError::InputPastEnd);
            result.problem = QStringLiteral("the %1 setting is missing").arg(names[i]);
            if (settingsOf().isValid())
                result.settings = settingsOf();
            return result;
        }
        // The number at the start of the field, blanks skipped; no number gives 0.
        const std::optional<int> value = NumberText::leadingWhole(*field, -32768, 32767);
        if (!value) {
            result.error = static_cast<int>(FileError::InvalidValue);
            result.problem = QStringLiteral("the %1 setting \"%2\" is outside -32768 to 32767").arg(names[i], *field);
            return result;
        }
        values[i] = *value;
    }
    const PortSettings read = settingsOf();
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

PortSettingsRead PortSettingsFile::read(const QString &path, const PortSettings &before)
{
    int error = 0;
    QString why;
    const QByteArray data = readWholeFile(path, &error, MaxFileSize, &why);
    if (error != 0) {
        PortSettingsRead result;
        result.settings = before;
        result.error = error;
        result.problem = why;
        return result;
    }
    return parse(data, before);
}

QString PortSettingsFile::write(const QString &path, const PortSettings &settings)
{
    return writeWholeFile(path, format(settings));
}
