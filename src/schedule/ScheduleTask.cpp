#include "ScheduleTask.h"

#include "DailySchedule.h"
#include "CellText.h"
#include "EntryInForce.h"
#include "FileError.h"
#include "FileText.h"
#include "SafeFile.h"
#include "TableRecord.h"

const QString ScheduleTask::DefaultFileName = QStringLiteral("ScheduleTask.tsk");
const QString ScheduleTask::LoadSource = QStringLiteral("Open Schedule Task");

ScheduleTask::ScheduleTask(ConsoleState &state, DailySchedule &daily, const Clock &clock, QObject *parent)
    : QObject(parent), m_state(state), m_daily(daily), m_clock(clock), m_timer(clock)
{
    m_timer.setObjectName(QStringLiteral("TimerScheduleTask"));
    connect(&m_timer, &SecondTicker::tick, this, &ScheduleTask::tick);
}

void ScheduleTask::loadDefaultSchedule()
{
    m_daily.OpenScheduleFile(m_daily.defaultFile());
}

bool ScheduleTask::OpenScheduleTask(const QString &filename)
{
    const WorkingFolder &folder = m_daily.workingFolder();
    folder.enter();
    TableRecord::Read read = TableRecord::readFile(folder.resolve(filename), CellCount);
    if (read.ok() && read.emptyFile) {
        read.error = static_cast<int>(FileError::InputPastEnd); // a task file holds its row count at least
        read.why = QStringLiteral("the file is empty");
    }
    if (!read.ok()) {
        emit loadFailed(loadFailure(read, LoadSource, filename));
        return false;
    }
    m_table.setEntries(read.entries);
    emit tableChanged(m_table.isEmpty() ? 0 : 1);
    return true;
}

bool ScheduleTask::SaveScheduleTask(const QString &filename)
{
    const WorkingFolder &folder = m_daily.workingFolder();
    folder.enter();
    if (filename.isEmpty()) {
        emit saveFailed(saveFailure(QStringLiteral("The schedule task"), QStringLiteral("it has no file name")));
        return false;
    }
    const QString failure = writeWholeFile(folder.resolve(filename), TableRecord::write(m_table));
    if (!failure.isEmpty()) {
        emit saveFailed(saveFailure(filename, failure));
        return false;
    }
    if (!m_table.isEmpty())
        emit tableChanged(1);
    return true;
}

int ScheduleTask::sorted(int row)
{
    for (int r = 1; r <= m_table.entryCount(); ++r)
        m_table.setCell(r, KeyCell, CellText::dateKey(m_table.cell(r, DateCell)));
    m_table.sortByCell(KeyCell, &row);
    return row;
}

void ScheduleTask::SortScheduleTask()
{
    sorted(0);
    emit tableChanged(m_table.isEmpty() ? 0 : 1);
}

int ScheduleTask::add(int currentRow, const QString &date, const QString &path)
{
    const int row = sorted(m_table.insertAfter(currentRow, {QString(), date, path, QString()}));
    emit tableChanged(row);
    startRunner();
    return row;
}

int ScheduleTask::modify(int currentRow, const QString &date, const QString &path)
{
    if (currentRow < 1 || currentRow > m_table.entryCount())
        return currentRow;
    m_table.setCell(currentRow, DateCell, date);
    m_table.setCell(currentRow, PathCell, path);
    const int row = sorted(currentRow);
    emit tableChanged(row);
    return row;
}

int ScheduleTask::removeRows(int currentRow, int otherEnd)
{
    const int row = m_table.removeBlock(currentRow, otherEnd);
    emit tableChanged(row);
    if (row == 0) {
        loadDefaultSchedule();
        stopRunner();
        m_state.IntSchFile.clear();
    }
    return row;
}

void ScheduleTask::newTask()
{
    m_table.clear();
    emit tableChanged(0);
    stopRunner();
    loadDefaultSchedule();
}

void ScheduleTask::tick()
{
    const int old = m_state.CurScheduleTaskIndex;
    const QString today = m_clock.now().toString(QStringLiteral("yyyyMMdd"));
    QStringList keys;
    keys.reserve(m_table.entryCount());
    for (const QStringList &entry : m_table.entries())
        keys.append(entry.at(KeyCell));
    m_state.MaxScheduleTaskIndex = static_cast<qint16>(keys.size());
    const int found = EntryInForce::tickScan(keys, today, old);
    m_state.CurScheduleTaskIndex = static_cast<qint16>(found);
    emit inForceChanged(found <= m_table.entryCount() ? found : 0);

    if (found == 0) {
        m_state.IntSchFile = DailySchedule::DefaultFileName;
        stopRunner();
        return;
    }
    if (found > m_table.entryCount())
        return; // the table lost its entries: nothing names a schedule now
    const QString path = m_table.cell(found, PathCell);
    if (found == old && m_state.IntSchFile == path)
        return;
    emit status(QStringLiteral("Schedule task: the %1 entry is in force; loading %2")
                    .arg(m_table.cell(found, DateCell), path));
    m_daily.OpenScheduleFile(path);
    m_state.IntSchFile = path;
}
