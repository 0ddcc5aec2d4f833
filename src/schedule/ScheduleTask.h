#pragma once

#include "ConsoleState.h"
#include "YearlyTask.h"

class DailySchedule;

// The yearly schedule task: which daily schedule (*.shd) is in force from which date. Its
// runner (TimerScheduleTask) makes the schedule of the entry in force current.
class ScheduleTask : public YearlyTask {
    Q_OBJECT
public:
    static const QString DefaultFileName; // "ScheduleTask.tsk"
    static const QString LoadSource;      // "Open Schedule Task"

    ScheduleTask(ConsoleState &state, DailySchedule &daily, const Clock &clock, QObject *parent = nullptr);

    bool OpenScheduleTask(const QString &filename) { return open(filename); }
    bool SaveScheduleTask(const QString &filename) { return save(filename); }
    void SortScheduleTask() { sort(); }
    void newTask() { clearAll(); }

protected:
    void loadDaily(const QString &path, const QString &date) override;
    void loadDefaultDaily() override;
    // The daily schedule has no name then, so its Save asks for one.
    void emptiedByDelete() override;

private:
    ConsoleState &m_state;
    DailySchedule &m_daily;
};
