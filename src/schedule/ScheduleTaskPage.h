#pragma once

#include "YearlyTaskPage.h"

class ScheduleTask;

// The "SchTask" page: the yearly table of daily schedules in MSFlexGridSchedule.
class ScheduleTaskPage : public YearlyTaskPage {
    Q_OBJECT
public:
    ScheduleTaskPage(ScheduleTask &task, ConsoleState &state, const Clock &clock, QWidget *parent = nullptr);
};
