#include "SafeFile.h"

#include "FileError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString writeWholeFile(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    if (info.exists() && (info.isDir() || !info.isWritable()))
        return QStringLiteral("Permission denied");
    // A FIFO or device in the file's place would block the write or be replaced by it.
    if (info.exists() && !info.isFile())
        return QStringLiteral("Not a regular file");

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // The data sits in a buffer until flushed; a disk that refuses it then (full, or a size
    // limit) must stop the save, so the flush is checked here rather than left to commit().
    if (file.write(data) != data.size() || !file.flush()) {
        QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

namespace {

QString kindText(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a plain file");
}

} // namespace

QString sizeText(qint64 bytes)
{
    constexpr qint64 MiB = qint64(1024) * 1024;
    if (bytes >= MiB && bytes % MiB == 0)
        return QStringLiteral("%1 MiB").arg(bytes / MiB);
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KiB").arg(bytes / 1024);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QByteArray readWholeFile(const QString &path, int *error, qint64 maxBytes, QString *why)
{
    auto fail = [&](FileError number, const QString &text) {
        *error = static_cast<int>(number);
        if (why)
            *why = text;
        return QByteArray();
    };
    *error = 0;
    if (why)
        why->clear();
    if (path.isEmpty())
        return fail(FileError::FileNotFound, fileErrorText(int(FileError::FileNotFound)));

    // Opening a FIFO waits for a writer and opening a device can wake it, so the kind of
    // file is checked first, and again on the open file in case the name was swapped.
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return fail(FileError::FileNotFound, fileErrorText(int(FileError::FileNotFound)));
        return fail(FileError::PathFileAccess, qt_error_string(errno));
    }
    const QString tooLarge = QStringLiteral("it is larger than %1, more than any file of its kind holds")
                                 .arg(sizeText(maxBytes));
    if (!S_ISREG(info.st_mode))
        return fail(FileError::PathFileAccess, QStringLiteral("it is %1, not a file").arg(kindText(info.st_mode)));
    if (info.st_size > maxBytes)
        return fail(FileError::FileTooLarge, tooLarge);

    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(FileError::PathFileAccess, qt_error_string(errno));
    QByteArray data;
    QString problem;
    FileError failure = FileError::None;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        failure = FileError::PathFileAccess;
        problem = QStringLiteral("it is %1, not a file").arg(kindText(info.st_mode));
    } else {
        // The size is checked again while reading: the file may grow after fstat().
        data.reserve(static_cast<qsizetype>(info.st_size));
        char chunk[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                failure = FileError::PathFileAccess;
                problem = qt_error_string(errno);
                break;
            }
            if (got == 0)
                break;
            if (data.size() + got > maxBytes) {
                failure = FileError::FileTooLarge;
                problem = tooLarge;
                break;
            }
            data.append(chunk, got);
        }
    }
    ::close(fd);
    if (failure != FileError::None)
        return fail(failure, problem);
    return data;
}
