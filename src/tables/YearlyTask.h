#pragma once

#include "Clock.h"
#include "FailedSwitch.h"
#include "FileLoad.h"
#include "SecondTicker.h"
#include "Table.h"
#include "UnsavedChanges.h"
#include "TaskFilesCheck.h"
#include "WorkingFolder.h"

#include <QObject>

// A yearly task: a table of dates "dd/MM/yyyy" and daily files with a hidden key
// "yyyyMMdd", its file (*.tsk), the editor's operations, and its runner, which makes the
// daily file of the entry in force today current. The schedule task and the intensity task
// are this one table with their own daily file: a subclass says how a daily file loads and
// what happens when Delete Row leaves no entry.
class YearlyTask : public QObject {
    Q_OBJECT
public:
    enum Cell { DateCell = 1, PathCell = 2, KeyCell = 3, CellCount = 4 };

    struct Naming {
        QString timerName;   // the runner's timer
        QString loadSource;  // ComposeFileError's source of a refused load
        QString title;       // how status texts and save failures name the task
        QString restingFile; // the bare daily name recorded when no entry is in force
    };
    // The main-window state that this task's runner keeps.
    struct Counters {
        qint16 &maxIndex;
        qint16 &curIndex;
        QString &currentFile; // the daily file now current
    };

    YearlyTask(Naming naming, const Counters &counters, const WorkingFolder &folder, const Clock &clock,
               QObject *parent = nullptr);

    Table &table() { return m_table; }
    const Table &table() const { return m_table; }
    const WorkingFolder &workingFolder() const { return m_folder; }

    // Loads a task file as it is stored (keys as read, no sort). A file that cannot be
    // read, a 0-byte file among them, leaves the table as it was and says why, and refusal()
    // says so until a file loads.
    bool open(const QString &filename);
    // Writes the table whole or not at all; a table without entries gives a 0-byte file. A
    // table the file cannot hold is not written; a file there that does not read is kept
    // beside it as <name>.bak first.
    bool save(const QString &filename);
    // Why the last task file asked for did not load; empty once one loads or is saved.
    QString refusal() const { return m_refusal; }
    // Add, Modify and Delete Row since the table was last loaded, saved or emptied by New.
    const UnsavedChanges &unsaved() const { return m_unsaved; }

    // True when 'path' can stand in a task file; otherwise the status line says why, ending
    // with 'outcome' ("nothing was added").
    bool acceptsPath(const QString &path, const QString &outcome);
    // When the daily file 'path' names is missing or cannot be read, the status line says so,
    // ending with 'outcome' ("the entry was added and will fail when it comes due").
    void sayIfMissing(const QString &path, const QString &outcome);
    // Every key made anew from its date, then the entries sorted by key.
    void sort();

    // The editor. Rows are the grid's (0 = header); each returns the row current afterwards.
    // A path the file cannot hold changes nothing.
    int add(int currentRow, const QString &date, const QString &path);
    int modify(int currentRow, const QString &date, const QString &path);
    // Delete Row over rows currentRow..otherEnd; once no entry is left the default daily
    // file is loaded and the runner stops.
    int removeRows(int currentRow, int otherEnd);
    // New: no entries, the runner stopped, the default daily file loaded.
    void clearAll();

    void startRunner() { m_timer.start(); }
    void stopRunner() { m_timer.stop(); }
    bool isRunning() const { return m_timer.isActive(); }
    // One tick: the entry in force today, and its daily file loaded when it is not the
    // current one.
    void tick();
    // The entry whose daily file the runner could not load, while it is in force.
    const FailedSwitch &failedSwitch() const { return m_failed; }

    // Check files: each file the task needs over the twelve months from 'from' (its daily
    // files and the files they name) that is missing or cannot be read, with the dates it
    // is needed; or the line that says all is well.
    QStringList checkFiles(QDate from) const;

signals:
    void tableChanged(int currentRow);
    void inForceChanged(int row);
    void failedSwitchChanged();
    void loadFailed(const QString &text);
    void saveFailed(const QString &text);
    void saved(const QString &filename);
    void status(const QString &text);
    void refusalChanged(const QString &refusal);

protected:
    // The runner makes 'path', the file of the entry of 'date' ("dd/MM/yyyy"), current.
    virtual FileLoad loadDaily(const QString &path, const QString &date) = 0;
    virtual void loadDefaultDaily() = 0;
    // Delete Row has just left no entry; the default daily file is loaded, the runner stopped.
    virtual void emptiedByDelete() {}
    // A load was refused; 'rowsRead' is the row count read before it broke (0 for none).
    virtual void loadRefused(int rowsRead) { Q_UNUSED(rowsRead); }
    // For Check files: a daily file read with its own reader, and a file it names.
    virtual TaskFilesCheck::Daily readDaily(const QString &name) const = 0;
    virtual QString namedFileProblem(const QString &name) const;

    Counters m_counters;

private:
    int sorted(int row);
    void setRefusal(const QString &refusal);
    void takeAsSaved() { m_unsaved.setSaved(m_table.entries()); }
    void setFailed(const FailedSwitch &failed);

    Naming m_naming;
    WorkingFolder m_folder;
    const Clock &m_clock;
    Table m_table{CellCount};
    SecondTicker m_timer;
    QString m_refusal;
    QString m_missingSaid; // the missing file already reported
    UnsavedChanges m_unsaved;
    FailedSwitch m_failed;
};
