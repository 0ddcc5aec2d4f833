#include "ScheduleTask.h"

#include "DailySchedule.h"

const QString ScheduleTask::DefaultFileName = QStringLiteral("ScheduleTask.tsk");
const QString ScheduleTask::LoadSource = QStringLiteral("Open Schedule Task");

ScheduleTask::ScheduleTask(ConsoleState &state, DailySchedule &daily, const Clock &clock, QObject *parent)
    : YearlyTask({QStringLiteral("TimerScheduleTask"), LoadSource, QStringLiteral("Schedule task"),
                  DailySchedule::DefaultFileName},
                 {state.MaxScheduleTaskIndex, state.CurScheduleTaskIndex, state.IntSchFile}, daily.workingFolder(),
                 clock, parent),
      m_state(state), m_daily(daily)
{
}

void ScheduleTask::loadDaily(const QString &path, const QString &)
{
    m_daily.OpenScheduleFile(path);
}

void ScheduleTask::loadDefaultDaily()
{
    m_daily.OpenScheduleFile(m_daily.defaultFile());
}

void ScheduleTask::emptiedByDelete()
{
    m_state.IntSchFile.clear();
}
