#include "FileText.h"

#include "FileError.h"

// ComposeFileError's number and source, with where and why the reader stopped: each caller
// passes a reader's result and its own names, in this order.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
QString loadFailure(int error, qsizetype where, const QString &why, const QString &source, const QString &filename)
{
    QString text = ComposeFileError(error, source) + QStringLiteral(" (") + filename;
    // A file that could not be read at all has no place to point at.
    const bool unread = error == int(FileError::FileNotFound) || error == int(FileError::PathFileAccess) ||
                        error == int(FileError::FileTooLarge);
    if (unread && why != fileErrorText(error))
        text += QStringLiteral(": %1").arg(why);
    else if (!unread)
        text += QStringLiteral(": %1 at byte %2").arg(why).arg(where);
    return text + QLatin1Char(')');
}

QString loadFailure(const TableRecord::Read &read, const QString &source, const QString &filename)
{
    return loadFailure(read.error, read.where, read.why, source, filename);
}

QString saveFailure(const QString &filename, const QString &why)
{
    return QStringLiteral("%1 was not saved: %2").arg(filename, why);
}
