#include "SafeFile.h"

#include "FileError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString writeWholeFile(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    if (info.exists() && (info.isDir() || !info.isWritable()))
        return QStringLiteral("Permission denied");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // The data sits in a buffer until flushed; a disk that refuses it then (full, or a size
    // limit) must stop the save, so the flush is checked here rather than left to commit().
    if (file.write(data) != data.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

QByteArray readWholeFile(const QString &path, int *error)
{
    *error = 0;
    QFile file(path);
    if (path.isEmpty() || !file.exists()) {
        *error = static_cast<int>(FileError::FileNotFound);
        return QByteArray();
    }
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        *error = static_cast<int>(FileError::PathFileAccess);
        return QByteArray();
    }
    return file.readAll();
}
