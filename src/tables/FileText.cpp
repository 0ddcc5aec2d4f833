#include "FileText.h"

#include "FileError.h"

#include <QFileInfo>

QString saveFailure(const QString &filename, const QString &why)
{
    return QStringLiteral("%1 was not saved: %2").arg(filename, why);
}

QString switchFailure(const QString &entry, const QString &path, const FileLoad &load, const QString &before)
{
    const QString stays = load.partly ? QStringLiteral("the values read before the break are in use")
                          : before.isEmpty()
                              ? QStringLiteral("what was in force before stays so")
                              : QStringLiteral("%1 stays in force").arg(QFileInfo(before).fileName());
    return QStringLiteral("the %1 entry names %2, which could not be loaded: %3; %4. %5")
        .arg(entry, path, load.why, stays, load.composed());
}
