#include "WorkingFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

WorkingFolder::WorkingFolder(const QString &path)
    : m_path(QDir::cleanPath(QDir(path).absolutePath()) + QLatin1Char('/'))
{
}

WorkingFolder WorkingFolder::forApplication()
{
    return WorkingFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/sys"));
}

bool WorkingFolder::enter() const
{
    QDir dir(m_path);
    if (!dir.exists() && !dir.mkpath(QStringLiteral(".")))
        return false;
    return QDir::setCurrent(m_path);
}

QString WorkingFolder::resolve(const QString &name) const
{
    if (name.isEmpty() || QFileInfo(name).isAbsolute())
        return name;
    return QDir::cleanPath(m_path + name);
}
