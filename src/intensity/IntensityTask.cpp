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

FileLoad IntensityTask::loadDaily(const QString &path)
{
    return m_daily.loadIntensityFile(path);
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

TaskFilesCheck::Daily IntensityTask::readDaily(const QString &name) const
{
    return {m_daily.fileProblem(name), {}}; // an intensity file names levels, no files
}
