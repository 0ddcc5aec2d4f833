#pragma once

#include "Clock.h"

#include <QObject>
#include <QTimer>

// A runner's one-second timer, kept to the wall clock: each tick is armed for just after
// the clock's next whole second, so a switch at a minute happens within milliseconds of it
// and the ticks never drift. What a tick does is decided from the clock it reads then,
// never from a count of ticks, so a clock jump or a resume from sleep needs no special case.
class SecondTicker : public QObject {
    Q_OBJECT
public:
    explicit SecondTicker(const Clock &clock, QObject *parent = nullptr);

    // Running ticks on; starting a running ticker keeps its rhythm.
    void start();
    void stop();
    bool isActive() const { return m_active; }
    // The ticker and its timer both carry the runner's timer name, so the window's
    // findChild<QTimer *>() finds it.
    void setName(const QString &name);

signals:
    void tick();

private:
    void arm();

    const Clock &m_clock;
    QTimer m_timer{this};
    bool m_active = false;
};
