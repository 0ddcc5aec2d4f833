#include "SafeFile.h"

#include "FileError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <QDir>
#include <qt_windows.h>

#include <vector>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
namespace {

// The system's description of a Windows error number.
QString windowsErrorText(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString said = length != 0 ? QString::fromWCharArray(text, int(length)).trimmed()
                                     : QStringLiteral("Windows error %1").arg(code);
    LocalFree(text);
    return said;
}

// The full path as Windows itself forms it. A reserved device name such as COM1 or NUL, in
// any folder, comes back as \\.\COM1, without the device being opened.
QString fullPathName(const QString &path)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    std::vector<wchar_t> full(MAX_PATH);
    for (;;) {
        const DWORD length = GetFullPathNameW(native.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (length == 0)
            return QString();
        if (length < full.size())
            return QString::fromWCharArray(full.data(), int(length));
        full.resize(length);
    }
}

// What a full path names when it is no file system path: "a named pipe" or "a device", else
// an empty text. Only the name is looked at: asking the system about a pipe connects to it,
// and asking about a serial port opens it.
QString namedKind(const QString &full)
{
    const auto starts = [](const QString &text, const char *with) {
        return text.startsWith(QLatin1String(with), Qt::CaseInsensitive);
    };
    if (starts(full, "\\\\.\\") || starts(full, "\\\\?\\")) {
        const QString rest = full.mid(4);
        const bool drive = rest.size() >= 3 && rest.at(0).isLetter() && rest.at(1) == QLatin1Char(':') &&
                           rest.at(2) == QLatin1Char('\\');
        if (starts(rest, "UNC\\"))
            return namedKind(QStringLiteral("\\\\") + rest.mid(4));
        if (drive || (starts(rest, "Volume{") && rest.indexOf(QLatin1String("}\\")) > 0))
            return QString();
        return starts(rest, "pipe\\") ? QStringLiteral("a named pipe") : QStringLiteral("a device");
    }
    // \\server\pipe\name is a pipe on another machine.
    if (starts(full, "\\\\")) {
        const qsizetype share = full.indexOf(QLatin1Char('\\'), 2);
        if (share > 2 && starts(full.mid(share + 1), "pipe\\"))
            return QStringLiteral("a named pipe");
    }
    return QString();
}

qint64 fileSize(const BY_HANDLE_FILE_INFORMATION &info)
{
    return qint64(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
}

// What an open handle is when it is no file on a disk.
QString handleKind(HANDLE handle)
{
    switch (GetFileType(handle)) {
    case FILE_TYPE_PIPE:
        return QStringLiteral("a named pipe");
    case FILE_TYPE_CHAR:
        return QStringLiteral("a device");
    default:
        return QStringLiteral("not a plain file");
    }
}

} // namespace
#endif

QString writeWholeFile(const QString &path, const QByteArray &data)
{
#ifdef Q_OS_WIN
    // Even asking whether a pipe or a device exists would reach it.
    if (!path.isEmpty() && !namedKind(fullPathName(path)).isEmpty())
        return QStringLiteral("Not a regular file");
#endif
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

#ifndef Q_OS_WIN
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
#endif

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

    const QString tooLarge = QStringLiteral("it is larger than %1, more than any file of its kind holds")
                                 .arg(sizeText(maxBytes));
#ifdef Q_OS_WIN
    // Opening a named pipe connects to its server and opening a device can wake it, so such
    // names are refused before anything is asked of them; the open file is checked again in
    // case the name led somewhere else.
    const QString full = fullPathName(path);
    if (full.isEmpty())
        return fail(FileError::PathFileAccess, windowsErrorText(GetLastError()));
    const QString kind = namedKind(full);
    if (!kind.isEmpty())
        return fail(FileError::PathFileAccess, QStringLiteral("it is %1, not a file").arg(kind));
    const std::wstring name = full.toStdWString();
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &attributes)) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME ||
            code == ERROR_INVALID_DRIVE)
            return fail(FileError::FileNotFound, fileErrorText(int(FileError::FileNotFound)));
        return fail(FileError::PathFileAccess, windowsErrorText(code));
    }
    if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return fail(FileError::PathFileAccess, QStringLiteral("it is a folder, not a file"));

    const HANDLE file =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(FileError::PathFileAccess, windowsErrorText(GetLastError()));
    QByteArray data;
    QString problem;
    FileError failure = FileError::None;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK) {
        failure = FileError::PathFileAccess;
        problem = QStringLiteral("it is %1, not a file").arg(handleKind(file));
    } else if (!GetFileInformationByHandle(file, &info)) {
        failure = FileError::PathFileAccess;
        problem = windowsErrorText(GetLastError());
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        failure = FileError::PathFileAccess;
        problem = QStringLiteral("it is a folder, not a file");
    } else if (fileSize(info) > maxBytes) {
        // The size is the open file's: a link's own attributes say nothing of where it leads.
        failure = FileError::FileTooLarge;
        problem = tooLarge;
    } else {
        // The size is checked again while reading: the file may grow meanwhile.
        data.reserve(static_cast<qsizetype>(fileSize(info)));
        char chunk[64 * 1024];
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
                failure = FileError::PathFileAccess;
                problem = windowsErrorText(GetLastError());
                break;
            }
            if (got == 0)
                break;
            if (data.size() + qint64(got) > maxBytes) {
                failure = FileError::FileTooLarge;
                problem = tooLarge;
                break;
            }
            data.append(chunk, qsizetype(got));
        }
    }
    CloseHandle(file);
    if (failure != FileError::None)
        return fail(failure, problem);
    return data;
#else
    // Opening a FIFO waits for a writer and opening a device can wake it, so the kind of
    // file is checked first, and again on the open file in case the name was swapped.
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return fail(FileError::FileNotFound, fileErrorText(int(FileError::FileNotFound)));
        return fail(FileError::PathFileAccess, qt_error_string(errno));
    }
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
#endif
}

namespace {

// Symmetric: the order of the two files does not matter.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
bool sameBytes(const QString &a, const QString &b)
{
    QFile first(a), second(b);
    if (first.size() != second.size() || !first.open(QIODevice::ReadOnly) ||
        !second.open(QIODevice::ReadOnly))
        return false;
    while (!first.atEnd()) {
        const QByteArray chunk = first.read(qint64(64) * 1024);
        if (chunk.isEmpty() || chunk != second.read(chunk.size()))
            return false;
    }
    return second.atEnd();
}

} // namespace

QString keepRefusedFile(const QString &path, const std::function<bool(const QString &)> &refused,
                        QString *why, bool *made)
{
    why->clear();
    if (made)
        *made = false;
    const QFileInfo info(path);
    // Nothing to lose in a missing or empty file; what is no plain file the save refuses anyway.
    if (!info.isFile() || info.size() == 0 || !refused(path))
        return QString();
    constexpr int MaxCopies = 100;
    for (int n = 0; n < MaxCopies; ++n) {
        QString copy = path + QStringLiteral(".bak") + (n ? QStringLiteral(".%1").arg(n) : QString());
        const QFileInfo there(copy);
        if (there.exists() || there.isSymLink()) {
            if (there.isFile() && sameBytes(path, copy))
                return copy;
            continue; // an older copy of other bytes stays as it is
        }
        // The copy goes through a temporary file, so a name that exists holds a whole copy.
        QFile source(path);
        if (source.copy(copy)) {
            if (made)
                *made = true;
            return copy;
        }
        *why = QStringLiteral("it could not be read, and no copy of it could be kept as %1 (%2)")
                   .arg(copy, source.errorString());
        return QString();
    }
    *why = QStringLiteral("it could not be read, and no copy of it could be kept: %1 older copies are there")
               .arg(MaxCopies);
    return QString();
}

SavedFile saveOverRefused(const QString &path, const QByteArray &data,
                          const std::function<bool(const QString &)> &refused)
{
    SavedFile saved;
    bool made = false;
    saved.keptAs = keepRefusedFile(path, refused, &saved.failure, &made);
    if (!saved.failure.isEmpty())
        return saved;
    saved.failure = writeWholeFile(path, data);
    if (!saved.failure.isEmpty()) {
        if (made)
            QFile::remove(saved.keptAs); // the old file is still there, whole
        saved.keptAs.clear();
    }
    return saved;
}

QString keptCopyText(const QString &filename, const QString &copy)
{
    return QStringLiteral("%1 could not be read, so its old bytes were kept as %2 before it was saved over.")
        .arg(filename, copy);
}
