#include "MissingFiles.h"

#include <QFileInfo>
#include <QSet>

MissingFiles::MissingFiles(const WorkingFolder &folder, std::function<QStringList()> names, QObject *parent)
    : QObject(parent), m_folder(folder), m_names(std::move(names))
{
    m_minute.setInterval(60 * 1000);
    connect(&m_minute, &QTimer::timeout, this, [this] {
        if (refresh())
            emit changed();
    });
    m_minute.start();
}

bool MissingFiles::refresh()
{
    QHash<QString, QString> problems;
    QSet<QString> seen; // a file named by many entries is looked up once
    for (const QString &name : m_names()) {
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        const QString why = problemOf(m_folder, name);
        if (!why.isEmpty())
            problems.insert(name, why);
    }
    if (problems == m_problems)
        return false;
    m_problems = std::move(problems);
    return true;
}

QString MissingFiles::problemOf(const WorkingFolder &folder, const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("names no file");
    const QFileInfo info(folder.resolve(name));
    if (!info.exists())
        return QFileInfo(name).isAbsolute() ? QStringLiteral("does not exist")
                                            : QStringLiteral("does not exist in the working folder");
    if (info.isDir())
        return QStringLiteral("is a folder, not a file");
    if (!info.isReadable())
        return QStringLiteral("cannot be read: no permission");
    return QString();
}

QString MissingFiles::warning(const QString &name, const QString &problem, const QString &outcome)
{
    return QStringLiteral("%1 %2; %3").arg(name, problem, outcome);
}
