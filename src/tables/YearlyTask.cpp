#include "YearlyTask.h"

#include "AuditTrail.h"

#include "CellText.h"
#include "EntryInForce.h"
#include "FileError.h"
#include "FileText.h"
#include "MissingFiles.h"
#include "SafeFile.h"
#include "StorableText.h"
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
    const QString path = m_folder.resolve(filename);
    TableRecord::Read read = TableRecord::readFile(path, CellCount);
    if (read.ok() && read.emptyFile) {
        read.error = static_cast<int>(FileError::InputPastEnd); // a task file holds its row count at least
        read.why = QStringLiteral("the file is empty");
    }
    if (!read.ok()) {
        loadRefused(read.rowCount);
        const QString refusal = refusedFileText(filename, read.why);
        // The task file is optional: one that is missing is said once, not at every start-up
        // action and remote refresh that looks for it again.
        const bool missingAgain = read.error == int(FileError::FileNotFound) && m_missingSaid == path;
        if (!missingAgain)
            emit loadFailed(loadFailureText(refusal, path, read.error, m_naming.loadSource));
        if (read.error == int(FileError::FileNotFound))
            m_missingSaid = path;
        setRefusal(refusal);
        return false;
    }
    m_missingSaid.clear();
    setRefusal(QString());
    m_table.setEntries(read.entries);
    takeAsSaved();
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
    // A file there that its reader refuses is kept before the table replaces it.
    const auto refused = [](const QString &old) { return !TableRecord::readFile(old, CellCount).ok(); };
    const FileBytes file = TableRecord::write(m_table);
    const SavedFile done = file.ok() ? saveOverRefused(m_folder.resolve(filename), file.bytes, refused)
                                     : SavedFile{file.refusal, QString()};
    if (!done.failure.isEmpty()) {
        emit saveFailed(saveFailure(filename, done.failure));
        return false;
    }
    emit saved(filename);
    if (!done.keptAs.isEmpty())
        emit status(keptCopyText(filename, done.keptAs));
    setRefusal(QString());
    takeAsSaved();
    if (!m_table.isEmpty())
        emit tableChanged(1);
    return true;
}

void YearlyTask::setRefusal(const QString &refusal)
{
    if (refusal == m_refusal)
        return;
    m_refusal = refusal;
    emit refusalChanged(refusal);
}

// The path, then what becomes of the editor's action when it is refused.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
bool YearlyTask::acceptsPath(const QString &path, const QString &outcome)
{
    const QString why =
        StorableText::refusal(QStringLiteral("The file name"), path, StorableText::Place::Cell,
                              QStringLiteral("the %1 file").arg(m_naming.title.toLower()));
    if (why.isEmpty())
        return true;
    emit status(QStringLiteral("%1; %2.").arg(why, outcome));
    return false;
}

void YearlyTask::sayIfMissing(const QString &path, const QString &outcome)
{
    const QString problem = MissingFiles::problemOf(m_folder, path);
    if (!problem.isEmpty())
        emit status(MissingFiles::warning(path, problem, outcome));
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
    // Keys made anew for a file as it was loaded are no edit of the operator's.
    const bool wasUnsaved = m_unsaved.isUnsaved();
    sorted(0);
    if (wasUnsaved)
        m_unsaved.compare(m_table.entries());
    else
        takeAsSaved();
    emit tableChanged(m_table.isEmpty() ? 0 : 1);
}

int YearlyTask::add(int currentRow, const QString &date, const QString &path)
{
    if (!acceptsPath(path, QStringLiteral("nothing was added")))
        return currentRow;
    const int row = sorted(m_table.insertAfter(currentRow, {QString(), date, path, QString()}));
    m_unsaved.compare(m_table.entries());
    emit tableChanged(row);
    startRunner();
    sayIfMissing(path, QStringLiteral("the entry was added and will fail when it comes due"));
    return row;
}

int YearlyTask::modify(int currentRow, const QString &date, const QString &path)
{
    if (currentRow < 1 || currentRow > m_table.entryCount() ||
        !acceptsPath(path, QStringLiteral("nothing was changed")))
        return currentRow;
    m_table.setCell(currentRow, DateCell, date);
    m_table.setCell(currentRow, PathCell, path);
    const int row = sorted(currentRow);
    m_unsaved.compare(m_table.entries());
    emit tableChanged(row);
    sayIfMissing(path, QStringLiteral("the entry was changed and will fail when it comes due"));
    return row;
}

int YearlyTask::removeRows(int currentRow, int otherEnd)
{
    const int row = m_table.removeBlock(currentRow, otherEnd);
    m_unsaved.compare(m_table.entries());
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
    // New gives what the table held up on purpose: nothing is left to keep.
    m_table.clear();
    takeAsSaved();
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
    if (found != m_failed.entry)
        setFailed({}); // the entry whose load failed is no longer in force

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
    emit status(QStringLiteral("the %1 entry is in force; loading %2").arg(m_table.cell(found, DateCell), path));
    // What stays in force when the load fails: the daily file recorded, unless that one failed too.
    const QString before = m_failed.entry == 0 ? m_counters.currentFile : QString();
    FileLoad load;
    {
        const AuditTrail::Scope cause(QStringLiteral("the %1 runner, the %2 entry")
                                          .arg(m_naming.title.toLower(), m_table.cell(found, DateCell)));
        load = loadDaily(path, m_table.cell(found, DateCell));
    }
    m_counters.currentFile = path;
    if (load.ok()) {
        setFailed({});
        return;
    }
    setFailed({found, path,
               QStringLiteral("not loaded on %1: %2").arg(CellText::ofDate(m_clock.now().date()), load.why)});
    emit status(switchFailure(m_table.cell(found, DateCell), m_folder.resolve(path), load, before));
}

void YearlyTask::setFailed(const FailedSwitch &failed)
{
    if (failed == m_failed)
        return;
    m_failed = failed;
    emit failedSwitchChanged();
}

QString YearlyTask::namedFileProblem(const QString &name) const
{
    return MissingFiles::problemOf(m_folder, name);
}

QStringList YearlyTask::checkFiles(QDate from) const
{
    const auto read = [this](const QString &name) { return readDaily(name); };
    const auto named = [this](const QString &name) { return namedFileProblem(name); };
    return TaskFilesCheck::lines(m_table, TaskFilesCheck::run(m_table, from, read, named));
}
