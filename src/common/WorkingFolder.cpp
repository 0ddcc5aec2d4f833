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

namespace {
// 'file' relative to 'folder' when it lies inside it; else empty.
QString inside(const QString &folder, const QString &file)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity fileNameCase = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity fileNameCase = Qt::CaseSensitive;
#endif
    if (folder.isEmpty() || file.isEmpty())
        return QString();
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return file.startsWith(prefix, fileNameCase) ? file.mid(prefix.size()) : QString();
}

// The path with its folder's links resolved; the file itself need not exist yet (Save As).
QString canonical(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + info.fileName();
}
} // namespace

QString WorkingFolder::storedName(const QString &path) const
{
    if (path.isEmpty())
        return path;
    const QString full = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString name = inside(QDir::cleanPath(m_path), full);
    // The folder reached through a link, or the dialog's path through one.
    if (name.isEmpty())
        name = inside(QFileInfo(m_path).canonicalFilePath(), canonical(path));
    return name.isEmpty() ? full : name;
}

QString WorkingFolder::resolve(const QString &name) const
{
    if (name.isEmpty() || QFileInfo(name).isAbsolute())
        return name;
    return QDir::cleanPath(m_path + name);
}
