#include "IntensityTask.h"

#include "DailyIntensity.h"

#include <QFileInfo>

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

// The file, then the date of the entry that names it, as the task's runner passes them.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
FileLoad IntensityTask::loadDaily(const QString &path, const QString &date)
{
    // The level this load sends is the task's doing.
    const QString task = m_state.IntTaskFilename.isEmpty() ? QStringLiteral("the intensity task")
                                                           : QFileInfo(m_state.IntTaskFilename).fileName();
    const QString before = m_daily.occasion();
    m_daily.setOccasion(QStringLiteral("by the %1 entry of %2").arg(date, task));
    FileLoad load = m_daily.loadIntensityFile(path);
    m_daily.setOccasion(before);
    return load;
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
