#include "ScheduleTaskPage.h"

#include "ScheduleTask.h"

namespace {
YearlyTaskPage::Setup setup()
{
    YearlyTaskPage::Setup s;
    s.frameName = QStringLiteral("fraScheduleTask");
    s.frameCaption = QStringLiteral("Operation Mode Scheduled Tasks");
    s.gridName = "MSFlexGridSchedule";
    s.stripName = QStringLiteral("stripScheduleTask");
    s.inForceAtName = QStringLiteral("DTPickerScheduleTaskAt");
    s.dateHeader = QStringLiteral("Date(dd/mm/yy) ");
    s.pathHeader = QStringLiteral("Schedule Filename");
    s.pathWidthTwips = 5550;
    s.datePicker = "DTPickerSchedule";
    s.pathBox = "txtSchedule";
    s.pathCaption = QStringLiteral("Schedule File :");
    s.browse = {"cmdBrowseSchedule", QStringLiteral("&Browse")};
    s.add = {"cmdSchTaskAdd", QStringLiteral("&Add")};
    s.modify = {"cmdSchTaskModify", QStringLiteral("&Modify")};
    s.deleteRow = {"cmdSchTaskDelRow", QStringLiteral("&Delete Row")};
    s.newTask = {"cmdSchTaskNew", QStringLiteral("&New")};
    s.open = {"cmdSchTaskOpen", QStringLiteral("&Open")};
    s.save = {"cmdSchTaskSave", QStringLiteral("&Save")};
    s.saveAs = {"cmdSchTaskSaveAs", QStringLiteral("&Save As")};
    s.check = {"cmdSchTaskCheck", QStringLiteral("Chec&k Files")};
    s.refusalNotice = "lblSchTaskRefused";
    s.unsavedMark = "lblSchTaskUnsaved";
    s.taskDialog = "CommonDialogScheduleTask";
    s.dailyDialog = "CommonDialogSchedule";
    s.taskFilter = QStringLiteral("Schedule Task Files (*.tsk)");
    s.dailyFilter = QStringLiteral("Schedule Files (*.shd)");
    s.shownAtStartUp = {"cmdSchTaskSave"};
    // SchTaskFilename stays: a later Save writes to the name loaded at start-up or by Open.
    s.saveAsTakesName = false;
    s.emptyingClearsDailyBox = true;
    return s;
}
} // namespace

ScheduleTaskPage::ScheduleTaskPage(ScheduleTask &task, ConsoleState &state, const Clock &clock, QWidget *parent)
    : YearlyTaskPage(setup(), task, state, state.SchTaskFilename, ScheduleTask::DefaultFileName, clock, parent)
{
}
