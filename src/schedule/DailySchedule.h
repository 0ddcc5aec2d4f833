#pragma once

#include "Clock.h"
#include "ConsoleState.h"
#include "FailedSwitch.h"
#include "FileLoad.h"
#include "SecondTicker.h"
#include "Table.h"
#include "UnsavedChanges.h"
#include "WorkingFolder.h"

#include <QObject>
#include <functional>

// The daily operation-mode schedule: a table of times "HH:mm" and setting files, its file
// (*.shd), the editor's operations on it, and the daily runner (TimerAstro), which loads
// the setting file of the entry in force. The window side is SchedulePage.
class DailySchedule : public QObject {
    Q_OBJECT
public:
    enum Cell { TimeCell = 1, PathCell = 2, CellCount = 3 };
    static const QString DefaultFileName; // "schedule.shd"
    static const QString LoadSource;      // "Open Schedule File"

    // 'openSettingFile' loads a setting file, whose values then reach the controller, and
    // says how that went.
    using OpenSettingFile = std::function<FileLoad(const QString &)>;
    DailySchedule(ConsoleState &state, const WorkingFolder &folder, const Clock &clock,
                  OpenSettingFile openSettingFile, QObject *parent = nullptr);

    Table &table() { return m_table; }
    const Table &table() const { return m_table; }
    const WorkingFolder &workingFolder() const { return m_folder; }
    const Clock &clock() const { return m_clock; }
    QString defaultFile() const { return m_folder.file(DefaultFileName); }

    // Loads a schedule file into the table (sorted; a 0-byte file is a table without
    // entries), shows its name, and starts the runner for a table with entries; without
    // entries it loads default.pav and stops the runner. A file that cannot be read leaves
    // the table and the runner alone, says why, and the name display says so until a file
    // loads. IntSchFile is not changed.
    bool OpenScheduleFile(const QString &filename) { return loadScheduleFile(filename).ok(); }
    // The same, saying how it went.
    FileLoad loadScheduleFile(const QString &filename);
    // Writes the table whole or not at all; a table without entries gives a 0-byte file. A
    // table the file cannot hold is not written; a file there that does not read is kept
    // beside it as <name>.bak first.
    bool SaveScheduleFile(const QString &filename);

    // True when 'path' can stand in a schedule file; otherwise the status line says why,
    // ending with 'outcome' ("nothing was added").
    bool acceptsPath(const QString &path, const QString &outcome);
    // When the setting file 'path' names is missing or cannot be read, the status line says
    // so, ending with 'outcome' ("the entry was added and will fail when it comes due").
    void sayIfMissing(const QString &path, const QString &outcome);

    // The editor. Rows are the grid's (0 = header); each returns the row current afterwards.
    // A path the file cannot hold changes nothing.
    int add(int currentRow, const QString &time, const QString &path);
    int modify(int currentRow, const QString &time, const QString &path);
    // Del Row over rows currentRow..otherEnd, with the steps that depend on which of the
    // video pages is in use once no entry is left.
    int removeRows(int currentRow, int otherEnd, bool videoPageInUse, bool registerPageInUse);
    // Reduced to the header row, nothing else changed (Open does this before loading).
    void clearTable();
    // New: no entries, no name, the runner stopped and default.pav loaded.
    void newSchedule();

    // The daily runner.
    void startRunner() { m_timer.start(); }
    void stopRunner() { m_timer.stop(); }
    bool isRunning() const { return m_timer.isActive(); }
    // One tick: the entry in force now, and its setting file loaded when it is not current.
    void tick();
    // The entry whose setting file the runner could not load, while it is in force.
    const FailedSwitch &failedSwitch() const { return m_failed; }

    QString fileDisplay() const { return m_fileDisplay; }
    // Shows 'text', or, while the last file asked for was refused, why it was.
    void setFileDisplay(const QString &text);
    // Why the last schedule file asked for did not load; empty once one loads or is saved.
    QString refusal() const { return m_refusal; }
    // Add, Modify and Del Row since the table was last loaded, saved, emptied by Open or New.
    const UnsavedChanges &unsaved() const { return m_unsaved; }

signals:
    void tableChanged(int currentRow);
    void fileDisplayChanged(const QString &text);
    void inForceChanged(int row);
    // The runner has just loaded the setting file of the entry at 'time' (the load may have
    // failed; loadFailed said so).
    void switched(const QString &time, const QString &file);
    void failedSwitchChanged();
    void loadFailed(const QString &text);
    void saveFailed(const QString &text);
    void saved(const QString &filename);
    void status(const QString &text);

private:
    void loadDefaultSetting();
    int sorted(int row);
    void takeAsSaved() { m_unsaved.setSaved(m_table.entries()); }
    void setFailed(const FailedSwitch &failed);

    ConsoleState &m_state;
    WorkingFolder m_folder;
    const Clock &m_clock;
    OpenSettingFile m_openSettingFile;
    Table m_table{CellCount};
    SecondTicker m_timer;
    QString m_fileDisplay;
    QString m_refusal;
    UnsavedChanges m_unsaved;
    FailedSwitch m_failed;
};
