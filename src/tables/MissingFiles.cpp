#include "MissingFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

MissingFiles::MissingFiles(const WorkingFolder &folder, std::function<QStringList()> names, QObject *parent)
    : QObject(parent), m_folder(folder), m_names(std::move(names))
{
    m_minute.setInterval(60 * 1000);
    // A file made, removed or renamed changes its folder's time; while no folder's time
    // moved, the names need not be looked up again.
    connect(&m_minute, &QTimer::timeout, this, [this] {
        const bool moved = std::any_of(m_folderTimes.cbegin(), m_folderTimes.cend(), [](const auto &folder) {
            return QFileInfo(folder.first).lastModified() != folder.second;
        });
        if (moved && refresh())
            emit changed();
    });
    m_minute.start();
}

namespace {
// Names of a folder's files as the file system compares them.
QString fileKey(const QString &name)
{
#ifdef Q_OS_WIN
    return name.toLower();
#else
    return name;
#endif
}

// 'absolute': the name is a full path, so the working folder has no part in it.
QString problemOfInfo(bool absolute, const QFileInfo *info)
{
    if (!info || !info->exists())
        return absolute ? QStringLiteral("does not exist")
                        : QStringLiteral("does not exist in the working folder");
    if (info->isDir())
        return QStringLiteral("is a folder, not a file");
    if (!info->isReadable())
        return QStringLiteral("cannot be read: no permission");
    return QString();
}

// A folder's entries by file key, listed once.
QHash<QString, QFileInfo> listing(const QString &folder)
{
    QHash<QString, QFileInfo> files;
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo &info : QDir(folder).entryInfoList(all, QDir::Unsorted))
        files.insert(fileKey(info.fileName()), info);
    return files;
}
} // namespace

bool MissingFiles::refresh()
{
    // Each folder is listed once rather than each name looked up: a table of thousands of
    // entries naming files of the working folder costs one listing of it.
    m_folderTimes = {{m_folder.path(), QFileInfo(m_folder.path()).lastModified()}};
    const QHash<QString, QFileInfo> workingFolder = listing(m_folder.path());
    QHash<QString, QHash<QString, QString>> elsewhere; // folder -> file key -> name
    QHash<QString, QString> problems;
    const auto note = [&problems](const QString &name, const QString &why) {
        if (!why.isEmpty())
            problems.insert(name, why);
    };
    for (const QString &name : m_names()) {
        if (name.isEmpty())
            continue;
        // Most names are bare: a file of the working folder, named as it is there.
        if (!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
            name != QLatin1String(".") && name != QLatin1String("..")) {
            const auto found = workingFolder.constFind(fileKey(name));
            note(name, problemOfInfo(false, found == workingFolder.cend() ? nullptr : &found.value()));
            continue;
        }
        const QString path = QDir::fromNativeSeparators(m_folder.resolve(name));
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash < 0 || slash == path.size() - 1)
            note(name, problemOf(m_folder, name));
        else
            elsewhere[path.left(slash + 1)].insert(fileKey(path.mid(slash + 1)), name);
    }
    for (auto folder = elsewhere.cbegin(); folder != elsewhere.cend(); ++folder) {
        m_folderTimes.append({folder.key(), QFileInfo(folder.key()).lastModified()});
        const QHash<QString, QFileInfo> files = listing(folder.key());
        for (auto file = folder->cbegin(); file != folder->cend(); ++file) {
            const auto found = files.constFind(file.key());
            note(file.value(), problemOfInfo(QDir::isAbsolutePath(file.value()),
                                             found == files.cend() ? nullptr : &found.value()));
        }
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
    return problemOfInfo(QDir::isAbsolutePath(name), &info);
}

QString MissingFiles::warning(const QString &name, const QString &problem, const QString &outcome)
{
    return QStringLiteral("%1 %2; %3").arg(name, problem, outcome);
}
