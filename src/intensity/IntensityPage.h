#pragma once

#include "Clock.h"
#include "ConsolePage.h"
#include "ConsoleState.h"

class DailyIntensity;
class InForceView;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;
class TableGrid;
class TableModel;

// The "Intensity" page: Manual or Automatic mode, the manual level, the daily table of
// times and levels in MSFlexGridIntensity with its editor, the watchdog options and delay,
// Apply, and the intensity file buttons. It shows a DailyIntensity and passes the operator's
// actions to it.
class IntensityPage : public ConsolePage {
    Q_OBJECT
public:
    IntensityPage(DailyIntensity &intensity, ConsoleState &state, const Clock &clock, QWidget *parent = nullptr);

    // The start-up action, then the watchdog command.
    void startUp() override;
    void retransmit() override;
    void refresh() override;
    const UnsavedChanges *unsavedChanges() const override;

    QString rememberedFileName() const { return m_remembered; }

private:
    QWidget *buildModeRow();
    QWidget *buildManualFrame();
    QWidget *buildAutomaticFrame();
    InForceView *buildInForceView();
    QWidget *buildWatchdogRow();
    QWidget *buildFileButtons();
    void showState();
    void showLastSent();
    void gridClicked();

    void add();
    void deleteRows();
    void open();
    void save();
    void saveAs();
    void saveDefault();

    DailyIntensity &m_intensity;
    ConsoleState &m_state;
    const Clock &m_clock;
    TableModel *m_model = nullptr;
    TableGrid *m_grid = nullptr;
    InForceView *m_inForce = nullptr;
    QRadioButton *m_manual = nullptr;
    QRadioButton *m_automatic = nullptr;
    QButtonGroup *m_modes = nullptr;
    QComboBox *m_manualLevel = nullptr;
    QComboBox *m_autoLevel = nullptr;
    QTimeEdit *m_time = nullptr;
    QRadioButton *m_watchdogAuto = nullptr;
    QRadioButton *m_switchOff = nullptr;
    QLineEdit *m_delay = nullptr;
    QPushButton *m_apply = nullptr;
    QPushButton *m_modify = nullptr;
    QLabel *m_lastSent = nullptr;
    QLineEdit *m_fileName = nullptr;
    QString m_remembered;
};
