#pragma once

#include "Clock.h"
#include "ConsolePage.h"
#include "ConsoleState.h"

class InForceView;
class MissingFiles;
class QDialog;
class QListWidget;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class TableGrid;
class TableModel;
class YearlyTask;

// The page of a yearly task: its grid, the date picker and daily file box that Add and
// Modify take, and the task file buttons. The schedule task and the intensity task pages
// are this page with their own control names and captions.
class YearlyTaskPage : public ConsolePage {
    Q_OBJECT
public:
    // A control: its name and caption.
    struct Control {
        const char *name;
        QString caption;
    };
    struct Setup {
        QString frameName, frameCaption;
        const char *gridName;
        QString stripName, inForceAtName; // the year strip and its "in force at" date
        QString dateHeader, pathHeader;
        int pathWidthTwips;
        const char *datePicker;
        const char *pathBox;
        QString pathCaption;
        Control browse, add, modify, deleteRow;
        Control newTask, open, save, saveAs;
        Control check;             // Check files
        const char *refusalNotice; // shown beside the file buttons while the task file was refused
        const char *unsavedMark;   // shown there while the table has changes not saved
        const char *taskDialog, *dailyDialog;
        QString taskFilter, dailyFilter;
        // The file buttons that start-up shows (the client and server pages may hide them).
        QList<const char *> shownAtStartUp;
        bool saveAsTakesName;       // Save As makes the saved file the current task file
        bool emptyingClearsDailyBox; // Delete Row down to no entry empties the daily file box
    };

    // 'taskFilename' is the state's current task file of this page.
    YearlyTaskPage(Setup setup, YearlyTask &task, ConsoleState &state, QString &taskFilename,
                   const QString &defaultFileName, const Clock &clock, QWidget *parent = nullptr);

    void startUp() override;
    void refresh() override;
    const UnsavedChanges *unsavedChanges() const override;

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
    void checkFiles();
    void showMarks();

    Setup m_setup;
    YearlyTask &m_task;
    ConsoleState &m_state;
    QString &m_taskFilename;
    QString m_defaultFileName;
    const Clock &m_clock;
    TableModel *m_model = nullptr;
    TableGrid *m_grid = nullptr;
    InForceView *m_inForce = nullptr;
    MissingFiles *m_missing = nullptr;
    QDialog *m_checkDialog = nullptr;
    QLabel *m_checkCaption = nullptr;
    QListWidget *m_checkList = nullptr;
    QDateEdit *m_date = nullptr;
    QLineEdit *m_daily = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_modify = nullptr;
    QLabel *m_refusal = nullptr;
    QString m_remembered;
};
