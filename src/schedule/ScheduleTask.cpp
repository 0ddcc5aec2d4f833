#include "ScheduleTask.h"

#include "DailySchedule.h"
#include "TableRecord.h"

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

FileLoad ScheduleTask::loadDaily(const QString &path, const QString &)
{
    return m_daily.loadScheduleFile(path);
}

void ScheduleTask::loadDefaultDaily()
{
    m_daily.OpenScheduleFile(m_daily.defaultFile());
}

void ScheduleTask::emptiedByDelete()
{
    m_state.IntSchFile.clear();
}

TaskFilesCheck::Daily ScheduleTask::readDaily(const QString &name) const
{
    const TableRecord::Read read =
        TableRecord::readFile(workingFolder().resolve(name), DailySchedule::CellCount);
    if (!read.ok())
        return {FileLoad::plainWhy(read.error, read.why), {}};
    // A schedule without entries puts the working folder's default.pav in force.
    if (read.entries.isEmpty())
        return {QString(), {QStringLiteral("default.pav")}};
    QStringList names;
    for (const QStringList &entry : read.entries)
        names.append(entry.value(DailySchedule::PathCell));
    return {QString(), names};
}

QString ScheduleTask::namedFileProblem(const QString &name) const
{
    if (!m_settingCheck)
        return YearlyTask::namedFileProblem(name);
    return m_settingCheck(workingFolder().resolve(name));
}
