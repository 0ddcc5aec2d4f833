#include "FileText.h"

#include "FileError.h"

QString saveFailure(const QString &filename, const QString &why)
{
    return QStringLiteral("%1 was not saved: %2").arg(filename, why);
}
