#pragma once

#include "ConsoleState.h"
#include "YearlyTask.h"

#include <functional>

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

    // How Check files reads a setting file a daily schedule names: why it cannot be used, or
    // "". Without one, a setting file is only looked for.
    void setSettingCheck(std::function<QString(const QString &path)> check)
    {
        m_settingCheck = std::move(check);
    }

protected:
    FileLoad loadDaily(const QString &path, const QString &date) override;
    void loadDefaultDaily() override;
    // The daily schedule has no name then, so its Save asks for one.
    void emptiedByDelete() override;
    TaskFilesCheck::Daily readDaily(const QString &name) const override;
    QString namedFileProblem(const QString &name) const override;

private:
    ConsoleState &m_state;
    DailySchedule &m_daily;
    std::function<QString(const QString &)> m_settingCheck;
};
