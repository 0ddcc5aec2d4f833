#include "DailySchedule.h"

#include "AuditTrail.h"

#include "EntryInForce.h"
#include "FileError.h"
#include "FileText.h"
#include "MissingFiles.h"
#include "SafeFile.h"
#include "StorableText.h"
#include "TableRecord.h"

#include <QFileInfo>

const QString DailySchedule::DefaultFileName = QStringLiteral("schedule.shd");
const QString DailySchedule::LoadSource = QStringLiteral("Open Schedule File");

DailySchedule::DailySchedule(ConsoleState &state, const WorkingFolder &folder, const Clock &clock,
                             OpenSettingFile openSettingFile, QObject *parent)
    : QObject(parent), m_state(state), m_folder(folder), m_clock(clock),
      m_openSettingFile(std::move(openSettingFile)), m_timer(clock, this)
{
    m_timer.setName(QStringLiteral("TimerAstro"));
    connect(&m_timer, &SecondTicker::tick, this, &DailySchedule::tick);
}

void DailySchedule::setFileDisplay(const QString &text)
{
    // A schedule that was refused is not in use: the display keeps saying so, whatever name
    // the caller shows, so an empty-looking table is not taken for the file.
    m_fileDisplay = m_refusal.isEmpty() ? text : m_refusal;
    emit fileDisplayChanged(m_fileDisplay);
}

// The path, then what becomes of the editor's action when it is refused.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
bool DailySchedule::acceptsPath(const QString &path, const QString &outcome)
{
    const QString why = StorableText::refusal(QStringLiteral("The file name"), path,
                                              StorableText::Place::Cell, QStringLiteral("the schedule file"));
    if (why.isEmpty())
        return true;
    emit status(QStringLiteral("%1; %2.").arg(why, outcome));
    return false;
}

void DailySchedule::sayIfMissing(const QString &path, const QString &outcome)
{
    const QString problem = MissingFiles::problemOf(m_folder, path);
    if (!problem.isEmpty())
        emit status(MissingFiles::warning(path, problem, outcome));
}

void DailySchedule::loadDefaultSetting()
{
    m_openSettingFile(m_folder.file(QStringLiteral("default.pav")));
}

int DailySchedule::sorted(int row)
{
    m_table.sortByCell(TimeCell, &row);
    return row;
}

FileLoad DailySchedule::loadScheduleFile(const QString &filename)
{
    m_folder.enter();
    const QString path = m_folder.resolve(filename);
    const TableRecord::Read read = TableRecord::readFile(path, CellCount);
    if (!read.ok()) {
        m_refusal = refusedFileText(filename, read.why);
        emit loadFailed(loadFailureText(m_refusal, path, read.error, LoadSource));
        setFileDisplay(m_refusal);
        return FileLoad::failed(read.error, read.why, LoadSource);
    }
    m_refusal.clear();
    int rows = 0;
    if (read.emptyFile) {
        m_state.MaxScheduleIndex = 0;
        m_state.CurScheduleIndex = 0;
        m_table.clear();
        emit tableChanged(0);
    } else {
        m_table.setEntries(read.entries);
        rows = m_table.rowCount();
        m_table.sortByCell(TimeCell);
        emit tableChanged(m_table.isEmpty() ? 0 : 1);
    }
    takeAsSaved();
    setFileDisplay(FileNamePrefix + filename);
    if (rows > 1) {
        startRunner();
    } else {
        loadDefaultSetting();
        stopRunner();
    }
    return {};
}

bool DailySchedule::SaveScheduleFile(const QString &filename)
{
    m_folder.enter();
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
    const bool wasRefused = !m_refusal.isEmpty();
    m_refusal.clear();
    takeAsSaved();
    if (m_table.isEmpty()) {
        // The stored form of an empty table; nothing more is shown, unless the display
        // still said that a file was refused.
        if (wasRefused)
            setFileDisplay(FileNamePrefix + filename);
        return true;
    }
    emit tableChanged(1);
    setFileDisplay(FileNamePrefix + m_state.IntSchFile);
    return true;
}

int DailySchedule::add(int currentRow, const QString &time, const QString &path)
{
    if (!acceptsPath(path, QStringLiteral("nothing was added")))
        return currentRow;
    const int row = sorted(m_table.insertAfter(currentRow, {QString(), time, path}));
    m_unsaved.compare(m_table.entries());
    emit tableChanged(row);
    startRunner();
    sayIfMissing(path, QStringLiteral("the entry was added and will fail when it comes due"));
    return row;
}

int DailySchedule::modify(int currentRow, const QString &time, const QString &path)
{
    if (currentRow < 1 || currentRow > m_table.entryCount())
        return currentRow;
    if (!acceptsPath(path, QStringLiteral("nothing was changed")))
        return currentRow;
    m_table.setCell(currentRow, TimeCell, time);
    m_table.setCell(currentRow, PathCell, path);
    const int row = sorted(currentRow);
    m_unsaved.compare(m_table.entries());
    emit tableChanged(row);
    sayIfMissing(path, QStringLiteral("the entry was changed and will fail when it comes due"));
    return row;
}

int DailySchedule::removeRows(int currentRow, int otherEnd, bool videoPageInUse, bool registerPageInUse)
{
    const int row = m_table.removeBlock(currentRow, otherEnd);
    m_unsaved.compare(m_table.entries());
    emit tableChanged(row);
    if (!m_table.isEmpty())
        return row; // the steps for no entry left, not for the header current among entries
    if (videoPageInUse)
        loadDefaultSetting();
    if (registerPageInUse) {
        loadDefaultSetting();
        m_state.IntSchFile.clear();
        setFileDisplay(QString());
        stopRunner();
    }
    return row;
}

void DailySchedule::clearTable()
{
    // What the table held is given up on purpose (Open, New): nothing is left to keep.
    m_table.clear();
    takeAsSaved();
    emit tableChanged(0);
}

void DailySchedule::newSchedule()
{
    clearTable();
    setFileDisplay(QString());
    m_state.IntSchFile.clear();
    stopRunner();
    loadDefaultSetting();
}

void DailySchedule::tick()
{
    const int old = m_state.CurScheduleIndex;
    const QString now = m_clock.now().toString(QStringLiteral("HH:mm"));
    const QStringList keys = m_table.column(TimeCell);
    m_state.MaxScheduleIndex = static_cast<qint16>(keys.size());
    const int found = EntryInForce::tickScan(keys, now, old);
    m_state.CurScheduleIndex = static_cast<qint16>(found);
    emit inForceChanged(found <= m_table.entryCount() ? found : 0);
    if (found != m_failed.entry)
        setFailed({}); // the entry whose load failed is no longer in force

    if (found == 0) {
        m_state.CurPAVFileName = QStringLiteral("default.pav");
        return;
    }
    // An index left over from a table that has since lost its entries names no file: load
    // nothing rather than try an empty name every second.
    if (found > m_table.entryCount())
        return;
    const QString path = m_table.cell(found, PathCell);
    if (found == old && m_state.CurPAVFileName == path)
        return;
    emit status(QStringLiteral("the %1 entry is in force; loading %2").arg(m_table.cell(found, TimeCell), path));
    // What stays in force when the load fails: the file recorded, unless that one failed too.
    const QString before = m_failed.entry == 0 ? m_state.CurPAVFileName : QString();
    // Recorded even when the load fails, so a missing file is tried once per change of the
    // entry in force, not every second.
    const QString schedule = QFileInfo(m_state.IntSchFile).fileName();
    FileLoad load;
    {
        const AuditTrail::Scope cause(QStringLiteral("the schedule runner, the %1 entry of %2")
                                          .arg(m_table.cell(found, TimeCell),
                                               schedule.isEmpty() ? QStringLiteral("the schedule") : schedule));
        load = m_openSettingFile(path);
    }
    m_state.CurPAVFileName = path;
    emit switched(m_table.cell(found, TimeCell), path);
    if (load.ok()) {
        setFailed({});
        return;
    }
    setFailed({found, path, QStringLiteral("not loaded at %1: %2").arg(now, load.why)});
    emit status(switchFailure(m_table.cell(found, TimeCell), m_folder.resolve(path), load, before));
}

void DailySchedule::setFailed(const FailedSwitch &failed)
{
    if (failed == m_failed)
        return;
    m_failed = failed;
    emit failedSwitchChanged();
}
