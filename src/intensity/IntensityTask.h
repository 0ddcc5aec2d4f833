#pragma once

#include "ConsoleState.h"
#include "YearlyTask.h"

class DailyIntensity;

// The yearly intensity task: which daily intensity file (*.int) is in force from which
// date. Its runner (TimerIntScheduleTask) holds the daily intensity file to the one it names.
class IntensityTask : public YearlyTask {
    Q_OBJECT
public:
    static const QString DefaultFileName; // "IntensityTask.tsk"
    static const QString LoadSource;      // "Open Intensity Task"

    IntensityTask(ConsoleState &state, DailyIntensity &daily, const Clock &clock, QObject *parent = nullptr);

    bool OpenIntensityTask(const QString &filename) { return open(filename); }
    bool SaveIntScheduleTask(const QString &filename) { return save(filename); }
    void SortIntScheduleTask() { sort(); }

protected:
    FileLoad loadDaily(const QString &path, const QString &date) override;
    void loadDefaultDaily() override;
    // Delete Row down to no entry: the default file's level goes out.
    void emptiedByDelete() override;
    void loadRefused(int rowsRead) override;
    TaskFilesCheck::Daily readDaily(const QString &name) const override;

private:
    ConsoleState &m_state;
    DailyIntensity &m_daily;
};
