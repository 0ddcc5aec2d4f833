#include "SettingFile.h"

#include "FileError.h"
#include "FileLoad.h"
#include "NumberText.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "SafeFile.h"
#include "VideoOptions.h"
#include "VideoSettings.h"

namespace {

constexpr int TextCount = 5;
constexpr int FieldCount = TextCount + PictureCount;

// The line on which a byte stands (CR LF, CR and LF each end one).
int lineAt(const QByteArray &data, qsizetype offset)
{
    int line = 1;
    for (qsizetype i = 0; i < offset && i < data.size(); ++i) {
        if (data.at(i) == '\n' || (data.at(i) == '\r' && (i + 1 >= data.size() || data.at(i + 1) != '\n')))
            ++line;
    }
    return line;
}

SettingFileRead stopped(SettingFileRead result, FileError error, const QByteArray &data, qsizetype offset,
                        const QString &field = QString())
{
    result.error = static_cast<int>(error);
    result.errorOffset = offset;
    const int read = int(result.texts.size() + result.values.size());
    if (error == FileError::InputPastEnd) {
        result.stop = QStringLiteral("it ends after %1 of %2 fields").arg(read).arg(FieldCount);
        return result;
    }
    const PictureInfo &picture = pictureInfo(static_cast<Picture>(result.values.size()));
    const QString name = picture.label.section(QLatin1Char(' '), 0, 0).toLower();
    result.stop = error == FileError::TypeMismatch
                      ? QStringLiteral("line %1: the %2 \"%3\" is not a number").arg(lineAt(data, offset)).arg(name, field)
                      : QStringLiteral("line %1: the %2 \"%3\" is not a value from 0 to %4")
                            .arg(lineAt(data, offset))
                            .arg(name, field)
                            .arg(picture.maximum);
    return result;
}

} // namespace

SettingFileRead SettingFile::parse(const QByteArray &data)
{
    SettingFileRead result;
    RecordReader reader(data);

    for (int i = 0; i < TextCount; ++i) {
        const std::optional<QString> field = reader.next();
        if (!field)
            return stopped(result, FileError::InputPastEnd, data, reader.fieldStart());
        result.texts << *field;
    }

    for (int i = 0; i < PictureCount; ++i) {
        const std::optional<QString> field = reader.next();
        if (!field)
            return stopped(result, FileError::InputPastEnd, data, reader.fieldStart());
        if (!NumberText::isNumber(*field))
            return stopped(result, FileError::TypeMismatch, data, reader.fieldStart(), *field);
        // An out-of-range value would otherwise reach the controller through its spin button.
        const int maximum = pictureInfo(static_cast<Picture>(i)).maximum;
        const std::optional<int> value =
            NumberText::wholeInRange(NumberText::leadingNumber(*field), 0, maximum);
        if (!value)
            return stopped(result, FileError::InvalidValue, data, reader.fieldStart(), *field);
        result.values << *value;
    }
    return result;
}

SettingFileRead SettingFile::read(const QString &path)
{
    int error = 0;
    QString why;
    const QByteArray data = readWholeFile(path, &error, MaxFileSize, &why);
    if (error != 0) {
        SettingFileRead result;
        result.error = error;
        result.refusal = why;
        return result;
    }
    return parse(data);
}

QString SettingFile::problem(const QString &path)
{
    const SettingFileRead result = read(path);
    if (result.complete())
        return QString();
    if (!result.refusal.isEmpty())
        return FileLoad::plainWhy(result.error, result.refusal);
    return QStringLiteral("%1 at byte %2").arg(fileErrorText(result.error)).arg(result.errorOffset);
}

FileBytes SettingFile::format(const VideoSettings &settings)
{
    RecordWriter writer;
    for (const QString *text : {&settings.OperationModeText, &settings.HorFilterText, &settings.VerFilterText,
                                &settings.AntigammaText, &settings.VideoSourceText})
        writer.text(*text).endRecord();
    // Numbers are quoted too, as the console has always written them.
    for (int i = 0; i < PictureCount; ++i)
        writer.text(QString::number(pictureValue(settings, static_cast<Picture>(i)))).endRecord();
    return writer.result(MaxFileSize);
}

QString SettingFile::write(const QString &path, const VideoSettings &settings)
{
    const FileBytes file = format(settings);
    return file.ok() ? writeWholeFile(path, file.bytes) : file.refusal;
}
