#include "ServiceNotifier.h"

#ifdef PAV_HAVE_SYSTEMD
#include <systemd/sd-daemon.h>
#else
// No service manager to tell: the console behaves as one started by hand.
namespace {
int sd_notify(int, const char *) { return 0; }
int sd_watchdog_enabled(int, uint64_t *) { return 0; }
} // namespace
#endif

ServiceNotifier::ServiceNotifier(std::function<QString()> status, QObject *parent)
    : QObject(parent), m_status(std::move(status))
{
    m_watchdog.setObjectName(QStringLiteral("TimerServiceWatchdog"));
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        send(QByteArrayLiteral("WATCHDOG=1"));
        refreshStatus();
    });
}

bool ServiceNotifier::isWatched()
{
    return qEnvironmentVariableIsSet("NOTIFY_SOCKET");
}

bool ServiceNotifier::send(const QByteArray &state)
{
    return isWatched() && sd_notify(0, state.constData()) > 0;
}

void ServiceNotifier::ready()
{
    if (!isWatched())
        return;
    m_sentStatus = m_status();
    send("READY=1\nSTATUS=" + m_sentStatus.toUtf8());
    // WATCHDOG_USEC is meant for this process only when WATCHDOG_PID, if set, names it.
    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
        // Half the interval, so one late tick still arrives in time; at least 1 ms.
        m_watchdog.start(static_cast<int>(qBound<uint64_t>(1, usec / 2000, 24ULL * 3600 * 1000)));
    }
}

void ServiceNotifier::refreshStatus()
{
    if (!isWatched() || m_stopping)
        return;
    const QString status = m_status();
    if (status == m_sentStatus)
        return;
    m_sentStatus = status;
    send("STATUS=" + status.toUtf8());
}

void ServiceNotifier::stopping()
{
    if (m_stopping)
        return;
    m_stopping = true;
    m_watchdog.stop();
    send(QByteArrayLiteral("STOPPING=1\nSTATUS=The console ends"));
}

void ServiceNotifier::endedAtOnce(const QString &status)
{
    send("READY=1\nSTATUS=" + status.toUtf8());
}
