#pragma once

#include "WorkingFolder.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

// Which of the files a table's entries name are missing or cannot be read, for the marks on
// its grid and strip. Those are asked while painting, so the answers are kept per name and
// looked up again when the table changes (refresh()) and, once a minute, when a folder they
// are in changed, so a file made later loses its mark within the minute; painting never
// touches the disk.
class MissingFiles : public QObject {
    Q_OBJECT
public:
    // 'names' gives the entries' file names, as the table holds them.
    MissingFiles(const WorkingFolder &folder, std::function<QStringList()> names, QObject *parent = nullptr);

    // Why the file a name stands for cannot be used, as last looked up; "" when it can.
    QString problem(const QString &name) const { return m_problems.value(name); }
    // Every name looked up again; true when an answer changed.
    bool refresh();

    // Why the file a name stands for cannot be used, looked up now: a bare name is the
    // working folder's, as the runners resolve it. "" when it can be read.
    static QString problemOf(const WorkingFolder &folder, const QString &name);
    // What the status line says when an entry names such a file: "<name> <problem>; <outcome>".
    static QString warning(const QString &name, const QString &problem, const QString &outcome);

signals:
    // An answer changed at the minute's look-up.
    void changed();

private:
    WorkingFolder m_folder;
    std::function<QStringList()> m_names;
    QHash<QString, QString> m_problems; // only the names with a problem
    QList<std::pair<QString, QDateTime>> m_folderTimes; // the folders looked in, as they were then
    QTimer m_minute{this};
};
