#include "IntensityTask.h"

#include "DailyIntensity.h"

const QString IntensityTask::DefaultFileName = QStringLiteral("IntensityTask.tsk");
const QString IntensityTask::LoadSource = QStringLiteral("Open Intensity Task");

IntensityTask::IntensityTask(ConsoleState &state, DailyIntensity &daily, const Clock &clock, QObject *parent)
    : YearlyTask({QStringLiteral("TimerIntScheduleTask"), LoadSource, QStringLiteral("Intensity task"),
                  DailyIntensity::DefaultFileName},
                 {state.MaxIntScheduleIndex, state.CurIntScheduleIndex, state.IntFilename}, daily.workingFolder(),
                 clock, parent),
      m_state(state), m_daily(daily)
{
}

void IntensityTask::loadDaily(const QString &path)
{
    m_daily.OpenIntensityFile(path);
}

void IntensityTask::loadDefaultDaily()
{
    m_daily.OpenIntensityFile(m_daily.defaultFile());
}

void IntensityTask::emptiedByDelete()
{
    m_daily.GetIntensity();
}

void IntensityTask::loadRefused(int rowsRead)
{
    if (rowsRead <= 1)
        m_state.MaxIntScheduleIndex = 0;
}
