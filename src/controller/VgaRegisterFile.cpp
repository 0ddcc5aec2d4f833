#include "VgaRegisterFile.h"

#include "FileError.h"
#include "NumberText.h"
#include "RecordReader.h"
#include "SafeFile.h"

#include <QStringList>

namespace {

constexpr int FieldsPerEntry = 3;

bool allBlank(const QStringList &fields)
{
    for (const QString &field : fields) {
        if (!field.trimmed().isEmpty())
            return false;
    }
    return true;
}

} // namespace

VgaRegisterList VgaRegisterFile::parse(const QByteArray &data)
{
    VgaRegisterList list;
    RecordReader reader(data);

    const std::optional<QString> pauseField = reader.next();
    if (!pauseField) {
        list.stopReason = QStringLiteral("pause is missing");
        return list;
    }
    // The pause must be a plain 16-bit number; a file that starts otherwise is not trusted at all.
    const std::optional<int> pause = NumberText::strictWhole(*pauseField, -32768, 32767);
    if (!pause) {
        list.stopReason =
            NumberText::isNumber(*pauseField)
                ? QStringLiteral("pause %1 is outside -32768 to 32767").arg(pauseField->trimmed())
                : QStringLiteral("pause is not a number");
        return list;
    }
    list.pauseMs = qMax(*pause, 0);
    list.usable = true;

    while (!reader.atEnd()) {
        QStringList fields;
        QByteArray entry;
        while (fields.size() < FieldsPerEntry) {
            const std::optional<QString> field = reader.next();
            if (!field) {
                // A blank line at the end is no entry, so nothing is worth reporting.
                if (!allBlank(fields))
                    list.stopReason = QStringLiteral("last entry incomplete");
                return list;
            }
            fields << *field;
            const std::optional<int> value = NumberText::leadingWhole(*field, 0, 255);
            if (!value) {
                list.stopReason = QStringLiteral("entry %1: %2 is outside 0 to 255")
                                      .arg(list.entries.size() + 1)
                                      .arg(field->trimmed());
                return list;
            }
            entry.append(static_cast<char>(*value));
        }
        list.entries << entry;
    }
    return list;
}

VgaRegisterList VgaRegisterFile::read(const QString &path)
{
    int error = 0;
    QString why;
    const QByteArray data = readWholeFile(path, &error, MaxFileSize, &why);
    if (error == static_cast<int>(FileError::FileNotFound)) {
        VgaRegisterList list;
        list.stopReason = QStringLiteral("file not found");
        list.fileMissing = true;
        return list;
    }
    if (error != 0) {
        VgaRegisterList list;
        list.stopReason = QStringLiteral("file cannot be read (%1)").arg(why);
        return list;
    }
    return parse(data);
}
