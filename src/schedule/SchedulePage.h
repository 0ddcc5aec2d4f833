#pragma once

#include "ConsolePage.h"
#include "ConsoleState.h"

class DailySchedule;
class InForceView;
class MissingFiles;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class TableGrid;
class TableModel;

// The "Schedule" page: the daily table in MSFlexGrid1, the time picker and setting file box
// that Add and Modify take, and the schedule file buttons.
class SchedulePage : public ConsolePage {
    Q_OBJECT
public:
    SchedulePage(DailySchedule &schedule, ConsoleState &state, QWidget *parent = nullptr);

    // Which video pages are in use decides what Del Row does once no entry is left.
    void setVideoPagesInUse(bool videoPage, bool registerPage);

    void startUp() override;
    void refresh() override;
    const UnsavedChanges *unsavedChanges() const override;

    QString rememberedFileName() const { return m_remembered; }

private:
    QWidget *buildEditor();
    QWidget *buildFileButtons();
    void copyCurrentRowToEditor();
    QString pickedTime() const;

    void browse();
    void add();
    void modify();
    void deleteRows();
    void newSchedule();
    void open();
    void save();
    void saveAs();
    void saveDefault();
    void showMarks();

    DailySchedule &m_schedule;
    ConsoleState &m_state;
    TableModel *m_model = nullptr;
    TableGrid *m_grid = nullptr;
    InForceView *m_inForce = nullptr;
    MissingFiles *m_missing = nullptr;
    QTimeEdit *m_time = nullptr;
    QLineEdit *m_fileName = nullptr;
    QLineEdit *m_scheduleFile = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_modify = nullptr;
    QString m_remembered;
    bool m_videoPage = false;
    bool m_registerPage = false;
};
