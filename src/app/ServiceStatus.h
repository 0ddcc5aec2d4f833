#pragma once

#include <QDateTime>
#include <QString>

// The one-line summary a service manager shows for the console (systemctl --user status):
// the port, the setting file in force and the intensity level last sent. The facts are
// gathered by whoever knows them; this only words them.
struct ServiceStatus {
    bool portOpen = false;
    QString device;      // the serial device, empty when none was chosen
    QString settingFile; // the setting file loaded last; empty before the first
    QString level;       // the level last sent, by name; empty before the first
    QDateTime levelSentAt;

    // "Port open: /dev/ttyUSB0; setting file evening.pav; level High sent at 2026-03-01 18:00"
    QString text() const;
};
