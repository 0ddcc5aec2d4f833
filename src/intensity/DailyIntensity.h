#pragma once

#include "Clock.h"
#include "ConsoleState.h"
#include "FileLoad.h"
#include "IntensityFile.h"
#include "IntensityRunner.h"
#include "Table.h"
#include "UnsavedChanges.h"
#include "WorkingFolder.h"

#include <QDateTime>
#include <QObject>
#include <functional>

// The daily intensity setting as the "Intensity" page holds it, without the window: the
// mode, the two level lists' positions, the watchdog options and delay, the table of times
// and levels, its file (*.int), and the automatic runner. IntensityPage shows it and passes
// the operator's actions on.
class DailyIntensity : public QObject {
    Q_OBJECT
public:
    enum class Mode { None, Manual, Automatic }; // None: before a file chose one
    static const QString DefaultFileName;        // "setting.int"
    static const QString LoadSource;             // "Open Intensity File"

    // 'transmit' sends a command with its value (10 for a level, 16 for the watchdog) and
    // returns "" when the frame went on the line, else why it did not.
    using Transmit = std::function<QString(int mode, int value)>;
    DailyIntensity(ConsoleState &state, const WorkingFolder &folder, const Clock &clock, Transmit transmit,
                   QObject *parent = nullptr);

    // The installation's level names (both lists) and whether command 16 is sent at all.
    void setConfiguration(const QStringList &levelNames, bool watchdogEnabled);

    Table &table() { return m_table; }
    const Table &table() const { return m_table; }
    IntensityRunner &runner() { return m_runner; }
    const WorkingFolder &workingFolder() const { return m_folder; }
    QString defaultFile() const { return m_folder.file(DefaultFileName); }

    // The page's state.
    const QStringList &levelNames() const { return m_levelNames; }
    Mode mode() const { return m_mode; }
    int manualLevel() const { return m_manualLevel; } // list positions; -1 for no selection
    int autoLevel() const { return m_autoLevel; }
    QString delayText() const { return m_delay; }
    bool switchOff() const { return m_switchOff; }
    bool applyEnabled() const { return m_applyEnabled; }
    bool modifyEnabled() const { return m_modifyEnabled; }
    QString fileDisplay() const { return m_fileDisplay; }
    // The level last put on the line, by either mode, and when; -1 before the first.
    int levelLastSent() const { return m_levelLastSent; }
    QDateTime lastSentAt() const { return m_lastSentAt; }

    // What the levels sent from now on are put down to ("at start-up", "by the 01/01/2027
    // entry of IntensityTask.tsk"); "" for none, which leaves it to the page's own actions
    // (Apply, a load, Retransmit) or, for the runner's switches, to nothing.
    void setOccasion(const QString &text) { m_occasion = text; }
    QString occasion() const { return m_occasion; }

    // The page's controls, each with its action.
    void selectManual();
    void selectAutomatic();
    void setManualLevel(int position);
    void setAutoLevel(int position);
    // With the change check: above 60 selects Switch OFF, not a number becomes "0".
    void setDelayText(const QString &text);
    void selectWatchdogAuto();
    void selectWatchdogSwitchOff();
    void setModifyEnabled(bool enabled);
    // Shows 'text', or, while the last file asked for was refused, why it was.
    void setFileDisplay(const QString &text);

    // Loads a file into the page and the runner's table and sends the level in force. A
    // missing working-folder setting.int is made anew from the page; any other file that
    // cannot be read is reported, what was read before the break stays applied, and the
    // name display says so until a file loads.
    bool OpenIntensityFile(const QString &filename) { return loadIntensityFile(filename).ok(); }
    // The same, saying how it went.
    FileLoad loadIntensityFile(const QString &filename);
    // Why the intensity file a name stands for could not be loaded, read now without
    // loading it; "" when it could.
    QString fileProblem(const QString &filename) const;
    // Writes the page whole or not at all; without entries the file has two records. A page
    // the file cannot hold is not written; a file there that does not read is kept beside
    // it as <name>.bak first.
    bool SaveIntensityFile(const QString &filename);
    // Why the last intensity file asked for did not load whole; empty once one loads or is saved.
    QString refusal() const { return m_refusal; }
    // What the file stores and the page changed since it was last loaded or saved: the mode,
    // the manual level in Manual mode, the watchdog option and delay, and the table. The
    // automatic list's level is only the one the next Add takes.
    const UnsavedChanges &unsaved() const { return m_unsaved; }
    void SortIntensityGrid();
    void RefreshIntensityTable();
    // The level in force now goes out (the manual level in Manual mode), and the runner
    // starts or stops with the mode.
    void GetIntensity();
    void SendWatchdogSetting();

    void apply();
    void retransmit();

    // The editor. Rows are the grid's (0 = header); each returns the row current afterwards.
    int add(int currentRow, const QString &time);
    int modify(int currentRow, const QString &time);
    int removeRows(int currentRow, int otherEnd);
    // Reduced to the header row (Open does this before loading).
    void clearTable();

    // The page's start-up action: both lists filled and at position 1, the watchdog option
    // Automatic, and setting.int loaded.
    void startUp();

signals:
    // The mode, a list position, the watchdog or a button's state changed.
    void changed();
    void tableChanged(int currentRow);
    // An action enabled or disabled Apply.
    void applyEnabledSet(bool enabled);
    void fileDisplayChanged(const QString &text);
    void inForceChanged(int row);
    // 'how' in words: the mode and entry, then the occasion ("automatic, the 06:00 entry,
    // after Apply"; "manual, on loading night.int").
    void levelSent(int position, const QDateTime &at, const QString &how);
    // A level or watchdog frame that did not go on the line, and why.
    void notSent(const QString &text);
    void loadFailed(const QString &text);
    void saveFailed(const QString &text);
    void saved(const QString &filename);
    void status(const QString &text);
    // Something the operator should look at: setting.int made anew, a delay not sent.
    void warning(const QString &text);

private:
    bool isDefaultFile(const QString &path) const;
    // Why a read is refused for its level, which is not one of the list's; empty when it is.
    QString levelRefusal(const IntensityFile::Read &read) const;
    void refuse(const QString &refusal);
    // The level name the Add and Modify take can stand in a file; else the status line says why.
    bool levelNameStorable(const QString &outcome);
    void setApplyEnabled(bool enabled);
    void applyHeader(const IntensityFile::Read &read);
    void applyTable(const IntensityFile::Read &read);
    // 'entry': the runner's entry whose level it is; 0 for the manual level.
    void sendLevel(int position, int entry = 0);
    int sorted(int row);
    UnsavedChanges::Content content() const;
    void noteChange();

    ConsoleState &m_state;
    WorkingFolder m_folder;
    const Clock &m_clock;
    Transmit m_transmit;
    IntensityRunner m_runner;
    Table m_table{IntensityFile::CellCount};

    QStringList m_levelNames;
    bool m_watchdogEnabled = false;
    Mode m_mode = Mode::None;
    int m_manualLevel = -1;
    int m_autoLevel = -1;
    QString m_delay;
    bool m_switchOff = false;
    bool m_applyEnabled = true;
    bool m_modifyEnabled = true;
    QString m_fileDisplay;
    QString m_refusal;
    int m_levelLastSent = -1;
    QDateTime m_lastSentAt;
    QString m_occasion;
    UnsavedChanges m_unsaved;
    bool m_loading = false; // a load's steps are not the operator's changes
};
