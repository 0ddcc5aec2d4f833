#include "DailyIntensity.h"

#include "FileError.h"
#include "FileText.h"
#include "FrameBuilder.h"
#include "SafeFile.h"
#include "Watchdog.h"

#include <QFileInfo>

using IntensityFile::LevelCell;
using IntensityFile::NameCell;
using IntensityFile::TimeCell;

const QString DailyIntensity::DefaultFileName = QStringLiteral("setting.int");
const QString DailyIntensity::LoadSource = QStringLiteral("Open Intensity File");

DailyIntensity::DailyIntensity(ConsoleState &state, const WorkingFolder &folder, const Clock &clock,
                               std::function<void(int, int)> transmit, QObject *parent)
    : QObject(parent), m_state(state), m_folder(folder), m_clock(clock), m_transmit(std::move(transmit)),
      m_runner(state, clock, [this](int level) { sendLevel(level); }, this), m_delay(Watchdog::DesignDelay)
{
    connect(&m_runner, &IntensityRunner::inForceChanged, this, &DailyIntensity::inForceChanged);
}

void DailyIntensity::setConfiguration(const QStringList &levelNames, bool watchdogEnabled)
{
    m_levelNames = levelNames;
    m_watchdogEnabled = watchdogEnabled;
}

void DailyIntensity::sendLevel(int position)
{
    m_transmit(Command::IntensityLevel, position);
    m_levelLastSent = position;
    m_lastSentAt = m_clock.now();
    emit levelSent(position, m_lastSentAt);
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
    m_applyEnabled = enabled;
    emit applyEnabledSet(enabled);
}

void DailyIntensity::setModifyEnabled(bool enabled)
{
    m_modifyEnabled = enabled;
    emit changed();
}

void DailyIntensity::setFileDisplay(const QString &text)
{
    m_fileDisplay = text;
    emit fileDisplayChanged(text);
}

bool DailyIntensity::isDefaultFile(const QString &path) const
{
    return QFileInfo(path).absoluteFilePath() == QFileInfo(defaultFile()).absoluteFilePath();
}

bool DailyIntensity::OpenIntensityFile(const QString &filename)
{
    m_folder.enter();
    const QString path = m_folder.resolve(filename);
    const IntensityFile::Read read = IntensityFile::readFile(path);
    if (read.error == static_cast<int>(FileError::FileNotFound) && isDefaultFile(path)) {
        // The working folder's own setting.int is made anew from what the page holds. Any
        // other missing file is an ordinary failure, so setting.int keeps what was saved there.
        emit warning(QStringLiteral("%1 was missing; it was made anew from the Intensity page.").arg(path));
        SaveIntensityFile(DefaultFileName);
        return false;
    }
    const int level = read.header.level;
    if (read.recordsRead >= 1 && (level < 0 || level > m_levelNames.size())) {
        emit loadFailed(loadFailure(static_cast<int>(FileError::InvalidValue), 0,
                                    QStringLiteral("the level %1 is not one of the %2 levels")
                                        .arg(level)
                                        .arg(m_levelNames.size()),
                                    LoadSource, filename));
        return false;
    }
    applyHeader(read);
    if (!read.ok()) {
        emit loadFailed(loadFailure(read.error, read.where, read.why, LoadSource, filename));
        return false;
    }
    applyTable(read);
    GetIntensity();
    setFileDisplay(FileNamePrefix + filename);
    return true;
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
    const QString failure = writeWholeFile(m_folder.resolve(filename), IntensityFile::write(header, m_table));
    if (!failure.isEmpty()) {
        emit saveFailed(saveFailure(filename, failure));
        return false;
    }
    emit saved(filename);
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
    m_transmit(Command::Watchdog, *value);
}

void DailyIntensity::apply()
{
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
    m_runner.stop();
    RefreshIntensityTable();
    GetIntensity();
    SendWatchdogSetting();
}

int DailyIntensity::add(int currentRow, const QString &time)
{
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
    m_table.clear();
    emit tableChanged(0);
}

void DailyIntensity::startUp()
{
    m_runner.clear();
    m_state.CurIntensityIndex = 0;
    selectWatchdogAuto();
    m_manualLevel = m_autoLevel = 1;
    emit changed();
    m_state.IntFilename = defaultFile();
    OpenIntensityFile(m_state.IntFilename);
    setFileDisplay(FileNamePrefix + m_state.IntFilename);
}
