#include "FileText.h"

#include "FileError.h"

QString loadFailure(const TableRecord::Read &read, const QString &source, const QString &filename)
{
    QString text = ComposeFileError(read.error, source) + QStringLiteral(" (") + filename;
    if (read.where > 0 || read.why != fileErrorText(read.error))
        text += QStringLiteral(": %1 at byte %2").arg(read.why).arg(read.where);
    return text + QLatin1Char(')');
}

QString saveFailure(const QString &filename, const QString &why)
{
    return QStringLiteral("%1 was not saved: %2").arg(filename, why);
}
