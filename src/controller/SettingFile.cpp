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

SettingFileRead stopped(SettingFileRead result, FileError error, qsizetype offset)
{
    result.error = static_cast<int>(error);
    result.errorOffset = offset;
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
            return stopped(result, FileError::InputPastEnd, reader.fieldStart());
        result.texts << *field;
    }

    for (int i = 0; i < PictureCount; ++i) {
        const std::optional<QString> field = reader.next();
        if (!field)
            return stopped(result, FileError::InputPastEnd, reader.fieldStart());
        if (!NumberText::isNumber(*field))
            return stopped(result, FileError::TypeMismatch, reader.fieldStart());
        // An out-of-range value would otherwise reach the controller through its spin button.
        const int maximum = pictureInfo(static_cast<Picture>(i)).maximum;
        const std::optional<int> value =
            NumberText::wholeInRange(NumberText::leadingNumber(*field), 0, maximum);
        if (!value)
            return stopped(result, FileError::InvalidValue, reader.fieldStart());
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
