#pragma once

#include "YearlyTaskPage.h"

class IntensityTask;

// The "IntTask" page: the yearly table of daily intensity files in MSFlexGridIntSchedule.
class IntensityTaskPage : public YearlyTaskPage {
    Q_OBJECT
public:
    IntensityTaskPage(IntensityTask &task, ConsoleState &state, const Clock &clock, QWidget *parent = nullptr);
};
