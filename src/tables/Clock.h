#pragma once

#include <QDateTime>

// The wall clock the runners read. The console uses the system's local time; tests give
// a clock of their own and drive a runner through a day in milliseconds.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    // The local time of the system.
    static const Clock &system();

protected:
    // Runners hold a clock by reference: a copy of one would be a clock cut off from its kind.
    Clock() = default;
    Q_DISABLE_COPY_MOVE(Clock)
};
