#include "DailyIntensity.h"

#include "FileError.h"
#include "FileText.h"
#include "FrameBuilder.h"
#include "SafeFile.h"
#include "StorableText.h"
#include "Watchdog.h"

#include <QFileInfo>
#include <QScopedValueRollback>

using IntensityFile::LevelCell;
using IntensityFile::NameCell;
using IntensityFile::TimeCell;

const QString DailyIntensity::DefaultFileName = QStringLiteral("setting.int");
const QString DailyIntensity::LoadSource = QStringLiteral("Open Intensity File");

namespace {
// Names the occasion of the sends inside one action; an occasion named already (start-up, a
// refresh, the task) wins, as it is what the action runs for.
class Occasion {
public:
    Occasion(QString &slot, const QString &text) : m_slot(slot), m_before(slot)
    {
        if (m_slot.isEmpty())
            m_slot = text;
    }
    ~Occasion() { m_slot = m_before; }
    Occasion(const Occasion &) = delete;
    Occasion &operator=(const Occasion &) = delete;

private:
    QString &m_slot;
    QString m_before;
};
} // namespace

DailyIntensity::DailyIntensity(ConsoleState &state, const WorkingFolder &folder, const Clock &clock,
                               Transmit transmit, QObject *parent)
    : QObject(parent), m_state(state), m_folder(folder), m_clock(clock), m_transmit(std::move(transmit)),
      m_runner(
          state, clock, [this](int level) { sendLevel(level, m_runner.entrySent()); }, this),
      m_delay(Watchdog::DesignDelay)
{
    connect(&m_runner, &IntensityRunner::inForceChanged, this, &DailyIntensity::inForceChanged);
    connect(this, &DailyIntensity::changed, this, &DailyIntensity::noteChange);
    connect(this, &DailyIntensity::tableChanged, this, &DailyIntensity::noteChange);
    m_unsaved.setSaved(content());
}

UnsavedChanges::Content DailyIntensity::content() const
{
    const bool manual = m_mode == Mode::Manual;
    UnsavedChanges::Content fields{{QString::number(static_cast<int>(m_mode)),
                                    manual ? QString::number(m_manualLevel) : QString(), m_delay,
                                    m_switchOff ? QStringLiteral("1") : QStringLiteral("0")}};
    return fields + m_table.entries();
}

void DailyIntensity::noteChange()
{
    if (!m_loading)
        m_unsaved.compare(content());
}

void DailyIntensity::setConfiguration(const QStringList &levelNames, bool watchdogEnabled)
{
    m_levelNames = levelNames;
    m_watchdogEnabled = watchdogEnabled;
}

// The level's list position, then the entry of the table that chose it.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
void DailyIntensity::sendLevel(int position, int entry)
{
    const QString whyNot = m_transmit(Command::IntensityLevel, position);
    if (!whyNot.isEmpty()) {
        const QString name = m_levelNames.value(position, QString::number(position));
        emit notSent(QStringLiteral("Level %1 not sent: %2").arg(name, whyNot));
        return;
    }
    m_levelLastSent = position;
    m_lastSentAt = m_clock.now();
    QString how =
        entry > 0
            ? QStringLiteral("automatic, the %1 entry").arg(m_runner.IntensityTable().at(entry - 1).time)
            : QStringLiteral("manual");
    if (!m_occasion.isEmpty())
        how += QStringLiteral(", ") + m_occasion;
    emit levelSent(position, m_lastSentAt, how);
}

void DailyIntensity::selectManual()
{
    m_mode = Mode::Manual;
    m_runner.stop();
    emit inForceChanged(0);
    setApplyEnabled(true);
    emit changed();
}

void DailyIntensity::selectAutomatic()
{
    m_mode = Mode::Automatic;
    m_runner.start();
    if (m_table.isEmpty())
        setApplyEnabled(false);
    emit changed();
}

void DailyIntensity::setManualLevel(int position)
{
    m_manualLevel = position;
    emit changed();
}

void DailyIntensity::setAutoLevel(int position)
{
    m_autoLevel = position;
    emit changed();
}

void DailyIntensity::setDelayText(const QString &text)
{
    const Watchdog::Check check = Watchdog::check(text);
    m_delay = check.text;
    if (check.switchOff)
        m_switchOff = true;
    emit changed();
}

void DailyIntensity::selectWatchdogAuto()
{
    m_switchOff = false;
    emit changed();
}

void DailyIntensity::selectWatchdogSwitchOff()
{
    m_switchOff = true;
    emit changed();
}

void DailyIntensity::setApplyEnabled(bool enabled)
{
    // Said each time an action sets it, even to the state it had: the page follows these
    // actions only, so a button disabled by another page's start-up stays so until one runs.
    // A client console's Apply stays off whatever the editor does: it would drive the
    // client's own controller.
    m_applyEnabled = enabled && !m_state.ClientConsole;
    emit applyEnabledSet(m_applyEnabled);
}

void DailyIntensity::setModifyEnabled(bool enabled)
{
    m_modifyEnabled = enabled;
    emit changed();
}

void DailyIntensity::setFileDisplay(const QString &text)
{
    // Whatever name a caller shows, a file that was refused is said to be so.
    m_fileDisplay = m_refusal.isEmpty() ? text : m_refusal;
    emit fileDisplayChanged(m_fileDisplay);
}

void DailyIntensity::refuse(const QString &refusal)
{
    m_refusal = refusal;
    setFileDisplay(refusal);
}

QString DailyIntensity::levelRefusal(const IntensityFile::Read &read) const
{
    const int level = read.header.level;
    if (read.recordsRead >= 1 && (level < 0 || level > m_levelNames.size()))
        return QStringLiteral("the level %1 is not one of the %2 levels").arg(level).arg(m_levelNames.size());
    return QString();
}

bool DailyIntensity::levelNameStorable(const QString &outcome)
{
    const QString why =
        StorableText::refusal(QStringLiteral("The level name"), m_levelNames.value(m_autoLevel),
                              StorableText::Place::Cell, QStringLiteral("the intensity file"));
    if (why.isEmpty())
        return true;
    emit status(QStringLiteral("%1; %2.").arg(why, outcome));
    return false;
}

bool DailyIntensity::isDefaultFile(const QString &path) const
{
    return QFileInfo(path).absoluteFilePath() == QFileInfo(defaultFile()).absoluteFilePath();
}

FileLoad DailyIntensity::loadIntensityFile(const QString &filename)
{
    const Occasion occasion(m_occasion, QStringLiteral("on loading %1").arg(QFileInfo(filename).fileName()));
    const QScopedValueRollback<bool> loading(m_loading, true);
    m_folder.enter();
    const QString path = m_folder.resolve(filename);
    const IntensityFile::Read read = IntensityFile::readFile(path);
    if (read.error == static_cast<int>(FileError::FileNotFound) && isDefaultFile(path)) {
        // The working folder's own setting.int is made anew from what the page holds. Any
        // other missing file is an ordinary failure, so setting.int keeps what was saved there.
        emit warning(QStringLiteral("%1 was missing; it was made anew from the Intensity page.").arg(path));
        if (m_mode == Mode::None) {
            // The file made records Automatic: the page shows what the file says.
            m_mode = Mode::Automatic;
            emit changed();
        }
        SaveIntensityFile(DefaultFileName);
        return {read.error,
                QStringLiteral("the file did not exist; it was made anew from the Intensity page"),
                LoadSource};
    }
    const QString badLevel = levelRefusal(read);
    if (!badLevel.isEmpty()) {
        refuse(refusedFileText(filename, badLevel));
        emit loadFailed(loadFailureText(m_refusal, path, int(FileError::InvalidValue), LoadSource));
        return FileLoad::failed(static_cast<int>(FileError::InvalidValue), badLevel, LoadSource);
    }
    applyHeader(read);
    if (read.recordsRead > 0)
        m_unsaved.setSaved(content()); // what was read replaced the page's own values
    if (!read.ok()) {
        refuse(read.recordsRead > 0 ? partlyReadFileText(filename, read.why)
                                    : refusedFileText(filename, read.why));
        emit loadFailed(loadFailureText(m_refusal, path, read.error, LoadSource));
        return FileLoad::failed(read.error, read.why, LoadSource, read.recordsRead > 0);
    }
    m_refusal.clear();
    applyTable(read);
    m_unsaved.setSaved(content());
    GetIntensity();
    setFileDisplay(FileNamePrefix + filename);
    return {};
}

QString DailyIntensity::fileProblem(const QString &filename) const
{
    const IntensityFile::Read read = IntensityFile::readFile(m_folder.resolve(filename));
    QString badLevel = levelRefusal(read);
    if (!badLevel.isEmpty())
        return badLevel;
    return read.ok() ? QString() : FileLoad::plainWhy(read.error, read.why);
}

// Records 1 and 2, each applied when it was read whole, as a load that breaks later keeps them.
void DailyIntensity::applyHeader(const IntensityFile::Read &read)
{
    const IntensityFile::Header &header = read.header;
    if (read.recordsRead >= 1) {
        setManualLevel(header.level - 1);
        if (header.manual) {
            selectManual();
            m_runner.stop();
        } else {
            selectAutomatic();
        }
    }
    if (read.recordsRead >= 2) {
        setDelayText(header.delay);
        if (header.switchOff)
            selectWatchdogSwitchOff();
        else
            selectWatchdogAuto();
    }
}

void DailyIntensity::applyTable(const IntensityFile::Read &read)
{
    if (!read.hasTable) {
        setApplyEnabled(m_mode == Mode::Manual);
        m_runner.clear();
        m_table.clear();
        emit tableChanged(0);
        emit changed();
        return;
    }
    m_table.setEntries(read.entries);
    m_table.sortByCell(TimeCell);
    emit tableChanged(m_table.isEmpty() ? 0 : 1);
    RefreshIntensityTable();
    setApplyEnabled(true);
    emit changed();
}

bool DailyIntensity::SaveIntensityFile(const QString &filename)
{
    m_folder.enter();
    if (filename.isEmpty()) {
        emit saveFailed(saveFailure(QStringLiteral("The intensity setting"), QStringLiteral("it has no file name")));
        return false;
    }
    const bool manual = m_mode == Mode::Manual;
    const IntensityFile::Header header{(manual ? m_manualLevel : m_autoLevel) + 1, manual, m_delay, m_switchOff};
    const auto refused = [this](const QString &old) {
        const IntensityFile::Read read = IntensityFile::readFile(old);
        return !read.ok() || !levelRefusal(read).isEmpty();
    };
    const FileBytes file = IntensityFile::write(header, m_table);
    const SavedFile done = file.ok() ? saveOverRefused(m_folder.resolve(filename), file.bytes, refused)
                                     : SavedFile{file.refusal, QString()};
    if (!done.failure.isEmpty()) {
        emit saveFailed(saveFailure(filename, done.failure));
        return false;
    }
    emit saved(filename);
    if (!done.keptAs.isEmpty())
        emit status(keptCopyText(filename, done.keptAs));
    m_refusal.clear();
    m_unsaved.setSaved(content());
    setFileDisplay(FileNamePrefix + filename);
    if (!m_table.isEmpty())
        emit tableChanged(1);
    return true;
}

int DailyIntensity::sorted(int row)
{
    m_table.sortByCell(TimeCell, &row);
    return row;
}

void DailyIntensity::SortIntensityGrid()
{
    sorted(0);
    emit tableChanged(m_table.isEmpty() ? 0 : 1);
}

void DailyIntensity::RefreshIntensityTable()
{
    m_runner.RefreshIntensityTable(m_table, TimeCell, LevelCell);
}

void DailyIntensity::GetIntensity()
{
    if (m_mode == Mode::Manual) {
        sendLevel(m_manualLevel);
        m_runner.stop();
        return;
    }
    m_runner.sendInForce();
}

void DailyIntensity::SendWatchdogSetting()
{
    if (!m_watchdogEnabled)
        return;
    const std::optional<int> value = Watchdog::value(m_switchOff, m_delay);
    if (!value) {
        emit warning(
            QStringLiteral("The watchdog delay \"%1\" is not a whole number from 0 to 255 once rounded; "
                           "no watchdog command was sent.")
                .arg(m_delay));
        return;
    }
    const QString whyNot = m_transmit(Command::Watchdog, *value);
    if (!whyNot.isEmpty())
        emit notSent(QStringLiteral("Watchdog value %1 not sent: %2").arg(*value).arg(whyNot));
}

void DailyIntensity::apply()
{
    const Occasion occasion(m_occasion, QStringLiteral("after Apply"));
    m_runner.stop();
    RefreshIntensityTable();
    if (m_mode != Mode::Manual) {
        if (m_table.isEmpty())
            return; // nothing to apply: not even the watchdog goes out
        m_runner.start();
    }
    GetIntensity();
    SendWatchdogSetting();
}

void DailyIntensity::retransmit()
{
    const Occasion occasion(m_occasion, QStringLiteral("by Retransmit"));
    m_runner.stop();
    RefreshIntensityTable();
    GetIntensity();
    SendWatchdogSetting();
}

int DailyIntensity::add(int currentRow, const QString &time)
{
    if (!levelNameStorable(QStringLiteral("nothing was added")))
        return currentRow;
    const QString name = m_levelNames.value(m_autoLevel);
    const int row = sorted(m_table.insertAfter(currentRow, {QString(), time, name, QString::number(m_autoLevel)}));
    emit tableChanged(row);
    m_modifyEnabled = true;
    setApplyEnabled(true);
    m_runner.start();
    emit changed();
    return row;
}

int DailyIntensity::modify(int currentRow, const QString &time)
{
    if (currentRow < 1 || currentRow > m_table.entryCount()) {
        setModifyEnabled(false);
        return currentRow;
    }
    if (!levelNameStorable(QStringLiteral("nothing was changed")))
        return currentRow;
    m_table.setCell(currentRow, TimeCell, time);
    m_table.setCell(currentRow, NameCell, m_levelNames.value(m_autoLevel));
    m_table.setCell(currentRow, LevelCell, QString::number(m_autoLevel));
    const int row = sorted(currentRow);
    emit tableChanged(row);
    return row;
}

int DailyIntensity::removeRows(int currentRow, int otherEnd)
{
    const int row = m_table.removeBlock(currentRow, otherEnd);
    emit tableChanged(row);
    if (!m_table.isEmpty())
        return row; // the steps for no entry left, not for the header current among entries
    // No entry left: the manual level takes over at once, and the file has no name, so the
    // next Save asks for one.
    const Occasion occasion(m_occasion, QStringLiteral("as the table's last entry was deleted"));
    selectManual();
    sendLevel(m_manualLevel);
    m_modifyEnabled = false;
    m_state.IntFilename.clear();
    m_runner.stop();
    emit changed();
    return row;
}

void DailyIntensity::clearTable()
{
    // Open gives what the table held up on purpose: nothing of it is left to keep.
    m_table.clear();
    m_unsaved.setSaved(content());
    emit tableChanged(0);
}

void DailyIntensity::startUp()
{
    const Occasion occasion(m_occasion, QStringLiteral("at start-up"));
    // What start-up sets is the page's own state, not a change of the operator's.
    const QScopedValueRollback<bool> loading(m_loading, true);
    m_runner.clear();
    m_state.CurIntensityIndex = 0;
    selectWatchdogAuto();
    m_manualLevel = m_autoLevel = 1;
    emit changed();
    m_state.IntFilename = defaultFile();
    OpenIntensityFile(m_state.IntFilename);
    setFileDisplay(FileNamePrefix + m_state.IntFilename);
    m_unsaved.setSaved(content());
}
