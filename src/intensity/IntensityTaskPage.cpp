#include "IntensityTaskPage.h"

#include "IntensityTask.h"

namespace {
YearlyTaskPage::Setup setup()
{
    YearlyTaskPage::Setup s;
    s.frameName = QStringLiteral("fraIntScheduleTask");
    s.frameCaption = QStringLiteral("Intensity Setting Scheduled Tasks");
    s.gridName = "MSFlexGridIntSchedule";
    s.stripName = QStringLiteral("stripIntensityTask");
    s.inForceAtName = QStringLiteral("DTPickerIntensityTaskAt");
    s.dateHeader = QStringLiteral("Date(dd/mm/yy) ");
    s.pathHeader = QStringLiteral("Intensity Setting Filename");
    s.pathWidthTwips = 5470;
    s.datePicker = "DTPickerIntSchedule";
    s.pathBox = "txtIntSchedule";
    s.pathCaption = QStringLiteral("Intensity File :");
    s.browse = {"cmdBrowseIntSchedule", QStringLiteral("&Browse")};
    s.add = {"cmdAddIntSchedule", QStringLiteral("&Add")};
    s.modify = {"cmdModifyIntSchedule", QStringLiteral("&Modify")};
    s.deleteRow = {"cmdDeleteRowIntSchedule", QStringLiteral("&Delete Row")};
    s.newTask = {"cmdIntScheduleNew", QStringLiteral("&New")};
    s.open = {"cmdIntScheduleOpen", QStringLiteral("&Open")};
    s.save = {"cmdIntScheduleSave", QStringLiteral("&Save")};
    s.saveAs = {"cmdIntScheduleSaveAs", QStringLiteral("&Save As")};
    s.check = {"cmdIntTaskCheck", QStringLiteral("Chec&k Files")};
    s.refusalNotice = "lblIntTaskRefused";
    s.unsavedMark = "lblIntTaskUnsaved";
    s.taskDialog = "CommonDialogIntScheduleTask";
    s.dailyDialog = "CommonDialogIntSchedule";
    s.taskFilter = QStringLiteral("Intensity Task Files (*.tsk)");
    s.dailyFilter = QStringLiteral("Schedule Files (*.int)");
    s.shownAtStartUp = {"cmdIntScheduleSave", "cmdIntScheduleNew"};
    s.saveAsTakesName = true;
    s.emptyingClearsDailyBox = false; // the daily file box keeps its path for the next Add
    return s;
}
} // namespace

IntensityTaskPage::IntensityTaskPage(IntensityTask &task, ConsoleState &state, const Clock &clock, QWidget *parent)
    : YearlyTaskPage(setup(), task, state, state.IntTaskFilename, IntensityTask::DefaultFileName, clock, parent)
{
}
