#include "YearlyTask.h"

#include "CellText.h"
#include "EntryInForce.h"
#include "FileError.h"
#include "FileText.h"
#include "SafeFile.h"
#include "TableRecord.h"

YearlyTask::YearlyTask(Naming naming, const Counters &counters, const WorkingFolder &folder,
                       const Clock &clock, QObject *parent)
    : QObject(parent), m_counters(counters), m_naming(std::move(naming)), m_folder(folder), m_clock(clock),
      m_timer(clock, this)
{
    m_timer.setName(m_naming.timerName);
    connect(&m_timer, &SecondTicker::tick, this, &YearlyTask::tick);
}

bool YearlyTask::open(const QString &filename)
{
    m_folder.enter();
    TableRecord::Read read = TableRecord::readFile(m_folder.resolve(filename), CellCount);
    if (read.ok() && read.emptyFile) {
        read.error = static_cast<int>(FileError::InputPastEnd); // a task file holds its row count at least
        read.why = QStringLiteral("the file is empty");
    }
    if (!read.ok()) {
        loadRefused(read.rowCount);
        emit loadFailed(loadFailure(read, m_naming.loadSource, filename));
        return false;
    }
    m_table.setEntries(read.entries);
    emit tableChanged(m_table.isEmpty() ? 0 : 1);
    return true;
}

bool YearlyTask::save(const QString &filename)
{
    m_folder.enter();
    if (filename.isEmpty()) {
        emit saveFailed(saveFailure(m_naming.title, QStringLiteral("it has no file name")));
        return false;
    }
    const QString failure = writeWholeFile(m_folder.resolve(filename), TableRecord::write(m_table));
    if (!failure.isEmpty()) {
        emit saveFailed(saveFailure(filename, failure));
        return false;
    }
    emit saved(filename);
    if (!m_table.isEmpty())
        emit tableChanged(1);
    return true;
}

int YearlyTask::sorted(int row)
{
    for (int r = 1; r <= m_table.entryCount(); ++r)
        m_table.setCell(r, KeyCell, CellText::dateKey(m_table.cell(r, DateCell)));
    m_table.sortByCell(KeyCell, &row);
    return row;
}

void YearlyTask::sort()
{
    sorted(0);
    emit tableChanged(m_table.isEmpty() ? 0 : 1);
}

int YearlyTask::add(int currentRow, const QString &date, const QString &path)
{
    const int row = sorted(m_table.insertAfter(currentRow, {QString(), date, path, QString()}));
    emit tableChanged(row);
    startRunner();
    return row;
}

int YearlyTask::modify(int currentRow, const QString &date, const QString &path)
{
    if (currentRow < 1 || currentRow > m_table.entryCount())
        return currentRow;
    m_table.setCell(currentRow, DateCell, date);
    m_table.setCell(currentRow, PathCell, path);
    const int row = sorted(currentRow);
    emit tableChanged(row);
    return row;
}

int YearlyTask::removeRows(int currentRow, int otherEnd)
{
    const int row = m_table.removeBlock(currentRow, otherEnd);
    emit tableChanged(row);
    if (m_table.isEmpty()) { // no entry left, not the header current among entries
        loadDefaultDaily();
        stopRunner();
        emptiedByDelete();
    }
    return row;
}

void YearlyTask::clearAll()
{
    m_table.clear();
    emit tableChanged(0);
    stopRunner();
    loadDefaultDaily();
}

void YearlyTask::tick()
{
    const int old = m_counters.curIndex;
    const QString today = m_clock.now().toString(QStringLiteral("yyyyMMdd"));
    const QStringList keys = m_table.column(KeyCell);
    m_counters.maxIndex = static_cast<qint16>(keys.size());
    const int found = EntryInForce::tickScan(keys, today, old);
    m_counters.curIndex = static_cast<qint16>(found);
    emit inForceChanged(found <= m_table.entryCount() ? found : 0);

    if (found == 0) {
        m_counters.currentFile = m_naming.restingFile;
        stopRunner();
        return;
    }
    if (found > m_table.entryCount())
        return; // the table lost its entries: nothing names a daily file now
    const QString path = m_table.cell(found, PathCell);
    if (found == old && m_counters.currentFile == path)
        return;
    emit status(QStringLiteral("%1: the %2 entry is in force; loading %3")
                    .arg(m_naming.title, m_table.cell(found, DateCell), path));
    loadDaily(path);
    m_counters.currentFile = path;
}
