#pragma once

class DailyIntensity;
class DailySchedule;
class IntensityTask;
class PortController;
class ScheduleTask;
class SerialLink;
class Transmitter;
class VideoControl;
struct ConsoleState;

// The console's working parts as the main window owns them, handed together to the classes
// that wire them to the journal and to the status panel.
struct ConsoleParts {
    ConsoleState &state;
    SerialLink &link;
    PortController &ports;
    Transmitter &transmitter;
    VideoControl &video;
    DailySchedule &daily;
    ScheduleTask &task;
    DailyIntensity &intensity;
    IntensityTask &intTask;
};
