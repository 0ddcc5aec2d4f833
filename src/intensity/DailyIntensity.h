#pragma once

#include "Clock.h"
#include "ConsoleState.h"
#include "IntensityFile.h"
#include "IntensityRunner.h"
#include "Table.h"
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

    // 'transmit' sends a command with its value (10 for a level, 16 for the watchdog).
    DailyIntensity(ConsoleState &state, const WorkingFolder &folder, const Clock &clock,
                   std::function<void(int, int)> transmit, QObject *parent = nullptr);

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
    void setFileDisplay(const QString &text);

    // Loads a file into the page and the runner's table and sends the level in force. A
    // missing working-folder setting.int is made anew from the page; any other file that
    // cannot be read is reported, and what was read before the break stays applied.
    bool OpenIntensityFile(const QString &filename);
    // Writes the page whole or not at all; without entries the file has two records.
    bool SaveIntensityFile(const QString &filename);
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
    void levelSent(int position, const QDateTime &at);
    void loadFailed(const QString &text);
    void saveFailed(const QString &text);
    void saved(const QString &filename);
    void status(const QString &text);
    // Something the operator should look at: setting.int made anew, a delay not sent.
    void warning(const QString &text);

private:
    bool isDefaultFile(const QString &path) const;
    void setApplyEnabled(bool enabled);
    void applyHeader(const IntensityFile::Read &read);
    void applyTable(const IntensityFile::Read &read);
    void sendLevel(int position);
    int sorted(int row);

    ConsoleState &m_state;
    WorkingFolder m_folder;
    const Clock &m_clock;
    std::function<void(int, int)> m_transmit;
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
    int m_levelLastSent = -1;
    QDateTime m_lastSentAt;
};
