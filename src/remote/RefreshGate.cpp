#include "RefreshGate.h"

RefreshGate::RefreshGate(QObject *parent) : QObject(parent)
{
    m_wait.setSingleShot(true);
    connect(&m_wait, &QTimer::timeout, this, &RefreshGate::runPending);
}

qint64 RefreshGate::untilIntervalEnds() const
{
    return m_sinceLast.isValid() ? qMax<qint64>(0, m_intervalMs - m_sinceLast.elapsed()) : 0;
}

void RefreshGate::request(const QString &requester)
{
    if (m_pending)
        emit merged(*m_pending);
    m_pending = requester;
    runPending();
}

void RefreshGate::run(const QString &requester)
{
    m_running = true;
    emit refresh(requester);
    m_running = false;
    // The interval counts from the end of a refresh: a slow one still leaves the line a
    // second of its own before the next.
    m_sinceLast.start();
    if (m_pending)
        waitForFreeLine();
}

void RefreshGate::runPending()
{
    if (!m_pending || m_running)
        return;
    if (lineBusy() || untilIntervalEnds() > 0) {
        waitForFreeLine();
        return;
    }
    const QString requester = *m_pending;
    m_pending.reset();
    run(requester);
}

void RefreshGate::waitForFreeLine()
{
    if (m_running)
        return; // run() looks again when the refresh is done
    // The end of the interval is a fixed time: later requests must not push it on, or a
    // steady storm would hold every refresh back until it stops. The line's drained signal
    // normally ends a wait for the line; the timer looks again each interval, so a signal
    // that never comes (the port lost with frames queued) cannot hold the last request back.
    const qint64 wait = untilIntervalEnds();
    if (wait > 0)
        m_wait.start(int(wait));
    else if (!m_wait.isActive())
        m_wait.start(m_intervalMs);
}
