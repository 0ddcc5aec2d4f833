#pragma once

#include "Clock.h"
#include "ConsoleState.h"
#include "SecondTicker.h"
#include "Table.h"
#include "WorkingFolder.h"

#include <QObject>

class DailySchedule;

// The yearly schedule task: a table of dates "dd/MM/yyyy" and daily schedule files with a
// hidden key "yyyyMMdd", its file (*.tsk), the editor's operations, and the task runner
// (TimerScheduleTask), which makes the daily schedule of the entry in force current.
class ScheduleTask : public QObject {
    Q_OBJECT
public:
    enum Cell { DateCell = 1, PathCell = 2, KeyCell = 3, CellCount = 4 };
    static const QString DefaultFileName; // "ScheduleTask.tsk"
    static const QString LoadSource;      // "Open Schedule Task"

    ScheduleTask(ConsoleState &state, DailySchedule &daily, const Clock &clock, QObject *parent = nullptr);

    Table &table() { return m_table; }
    const Table &table() const { return m_table; }

    // Loads a task file as it is stored (keys as read, no sort). A file that cannot be
    // read, a 0-byte file among them, leaves the table as it was and says why.
    bool OpenScheduleTask(const QString &filename);
    // Writes the table whole or not at all; a table without entries gives a 0-byte file.
    bool SaveScheduleTask(const QString &filename);
    // Every key made anew from its date, then the entries sorted by key.
    void SortScheduleTask();

    int add(int currentRow, const QString &date, const QString &path);
    int modify(int currentRow, const QString &date, const QString &path);
    // Delete Row; once no entry is left the default daily schedule is loaded, the runner
    // stops and the daily schedule has no name.
    int removeRows(int currentRow, int otherEnd);
    void newTask();

    void startRunner() { m_timer.start(); }
    void stopRunner() { m_timer.stop(); }
    bool isRunning() const { return m_timer.isActive(); }
    // One tick: the entry in force today, and its daily schedule loaded when it is not the
    // current one.
    void tick();

signals:
    void tableChanged(int currentRow);
    void inForceChanged(int row);
    void loadFailed(const QString &text);
    void saveFailed(const QString &text);
    void status(const QString &text);

private:
    void loadDefaultSchedule();
    int sorted(int row);

    ConsoleState &m_state;
    DailySchedule &m_daily;
    const Clock &m_clock;
    Table m_table{CellCount};
    SecondTicker m_timer;
};
