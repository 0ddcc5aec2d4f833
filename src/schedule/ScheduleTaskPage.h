#pragma once

#include "Clock.h"
#include "ConsolePage.h"
#include "ConsoleState.h"
#include "WorkingFolder.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class ScheduleTask;
class TableGrid;
class TableModel;

// The "SchTask" page: the yearly table in MSFlexGridSchedule, the date picker and daily
// schedule box that Add and Modify take, and the task file buttons.
class ScheduleTaskPage : public ConsolePage {
    Q_OBJECT
public:
    ScheduleTaskPage(ScheduleTask &task, ConsoleState &state, const WorkingFolder &folder, const Clock &clock,
                     QWidget *parent = nullptr);

    void startUp() override;
    void refresh() override;

    QString rememberedFileName() const { return m_remembered; }

private:
    QWidget *buildEditor();
    QWidget *buildFileButtons();
    QString pickedDate() const;

    void browse();
    void add();
    void modify();
    void deleteRows();
    void newTask();
    void open();
    void save();
    void saveAs();

    ScheduleTask &m_task;
    ConsoleState &m_state;
    WorkingFolder m_folder;
    const Clock &m_clock;
    TableModel *m_model = nullptr;
    TableGrid *m_grid = nullptr;
    QDateEdit *m_date = nullptr;
    QLineEdit *m_schedule = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_modify = nullptr;
    QString m_remembered;
};
