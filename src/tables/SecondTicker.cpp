#include "SecondTicker.h"

namespace {
// A precise timer may fire a millisecond early; the margin keeps a tick from landing in the
// second before the one it was meant for.
constexpr int MarginMs = 3;
} // namespace

SecondTicker::SecondTicker(const Clock &clock, QObject *parent) : QObject(parent), m_clock(clock)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        arm();
        emit tick();
    });
}

void SecondTicker::setName(const QString &name)
{
    setObjectName(name);
    m_timer.setObjectName(name);
}

void SecondTicker::start()
{
    if (m_active)
        return;
    m_active = true;
    arm();
}

void SecondTicker::stop()
{
    m_active = false;
    m_timer.stop();
}

void SecondTicker::arm()
{
    if (!m_active)
        return;
    const int msec = m_clock.now().time().msec();
    m_timer.start(1000 - msec + MarginMs);
}
