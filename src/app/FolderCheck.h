#pragma once

#include "ConfigSetup.h"
#include "WorkingFolder.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class Table;

// What an installer runs before leaving a site (pav-control --check): every file of a working
// folder read with the console's own readers, each schedule and task entry followed to the
// file it names (a yearly task over the next twelve months from 'today'), and a line for each
// problem. It opens no port and no socket, and writes nothing.
class FolderCheck {
public:
    struct Problem {
        QString file;  // as the folder or an entry names it
        QString where; // "line 3", "byte 41", "entry 2 (18:00)"; may be empty
        QString what;
        QString line() const; // "<file>: <where>: <what>"
    };

    FolderCheck(const WorkingFolder &folder, QDate today);

    void run();

    const QList<Problem> &problems() const { return m_problems; }
    // One line per problem, then the summary.
    QStringList report() const;

private:
    enum class Kind { Setting, Schedule, ScheduleTask, Intensity, IntensityTask };

    void checkConfig();
    void checkPort();
    void checkPageFiles();
    void checkOtherFiles();
    void checkHostName();

    // The file's own problems are added the first time it is checked. The answer, kept for
    // later askers, is why the console could not load it ("is missing", "cannot be used
    // (...)"), or "" when it loads: a table whose entries name missing files still loads, and
    // those entries have lines of their own.
    QString check(const QString &name, Kind kind);
    QString checkSetting(const QString &name, const QString &path);
    QString checkSchedule(const QString &name);
    QString checkIntensity(const QString &name, const QString &path);
    QString checkTask(const QString &name, Kind kind);
    // A table file's entries, or its problem added and nothing.
    bool readTable(const QString &name, int cellCount, bool emptyAllowed, Table *table);
    // A file a page loads at start.
    void checkDefault(const QString &name, Kind kind, const QString &page);

    void add(const QString &file, const QString &where, const QString &what);

    WorkingFolder m_folder;
    QDate m_today;
    InstallationConfig m_config;
    QList<Problem> m_problems;
    QHash<QString, QString> m_checked; // path -> why it cannot be used, "" when it can
};
