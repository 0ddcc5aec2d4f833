#pragma once

#include <QString>
#include <QtGlobal>

// The main window's state that several subsystems read and write: the current file of each
// kind and the runners' entry counters. It is one plain object, handed to the subsystems,
// so none of them has to reach into another one's widgets to learn what is current.
// The counters are 16-bit, as the tables hold at most 32767 entries.
struct ConsoleState {
    QString CurPAVFileName;  // setting file loaded last
    QString IntSchFile;      // current daily schedule; "" until it has a name
    QString SchTaskFilename; // current schedule task
    QString IntFilename;     // current daily intensity file
    QString IntTaskFilename; // current intensity task

    qint16 MaxScheduleIndex = 0;
    qint16 CurScheduleIndex = 0;
    qint16 MaxScheduleTaskIndex = 0;
    qint16 CurScheduleTaskIndex = 0;
    qint16 CurIntensityIndex = 0;
    qint16 MaxIntScheduleIndex = 0;
    qint16 CurIntScheduleIndex = 0;

    // Set just before a browse dialog of the schedule, schedule task or intensity task page
    // opens: the click that closed the dialog may land on a grid and must not count.
    bool SkipGridClick = false;

    // A client console edits files and asks another console to send them; it sends nothing
    // to a controller of its own (its Client page is in use).
    bool ClientConsole = false;
};
