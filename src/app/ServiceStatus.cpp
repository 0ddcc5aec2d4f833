#include "ServiceStatus.h"

#include <QFileInfo>

QString ServiceStatus::text() const
{
    QStringList parts;
    const QString port = portOpen ? QStringLiteral("Port open") : QStringLiteral("Port closed");
    parts << (device.isEmpty() ? port : port + QStringLiteral(": ") + device);
    // The name alone keeps the line short; the journal has the whole path.
    parts << (settingFile.isEmpty() ? QStringLiteral("no setting file loaded")
                                    : QStringLiteral("setting file ") + QFileInfo(settingFile).fileName());
    if (!level.isEmpty()) {
        parts << QStringLiteral("level %1 sent at %2")
                     .arg(level, levelSentAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    }
    return parts.join(QStringLiteral("; "));
}
