#include "ConsoleStatus.h"

#include "ReceiveBuffer.h"
#include "Timeline.h"

#include <QFileInfo>

namespace {
// After the whole minute, so the runners' own switch at that minute has happened.
constexpr int MinuteMarginMs = 200;
constexpr int ReplyNotifyMs = 1000;

QString stateWord(PortState state)
{
    switch (state) {
    case PortState::Open:
        return QStringLiteral("open");
    case PortState::Closed:
        return QStringLiteral("closed");
    case PortState::Missing:
        return QStringLiteral("missing");
    case PortState::NotPermitted:
        return QStringLiteral("not permitted");
    case PortState::Busy:
        return QStringLiteral("busy");
    }
    return QString();
}

QString fileName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}
} // namespace

ConsoleStatus::ConsoleStatus(const Clock &clock, QObject *parent) : QObject(parent), m_clock(clock)
{
    for (QTimer *timer : {&m_notify, &m_replyNotify, &m_recompute, &m_minute})
        timer->setSingleShot(true);
    m_notify.setInterval(0);
    m_replyNotify.setInterval(ReplyNotifyMs);
    m_recompute.setInterval(0);
    m_minute.setTimerType(Qt::PreciseTimer);
    connect(&m_notify, &QTimer::timeout, this, &ConsoleStatus::changed);
    connect(&m_replyNotify, &QTimer::timeout, this, &ConsoleStatus::notify);
    connect(&m_recompute, &QTimer::timeout, this, &ConsoleStatus::updateNext);
    connect(&m_minute, &QTimer::timeout, this, [this] {
        updateNext();
        armMinute();
    });
    armMinute();
}

void ConsoleStatus::armMinute()
{
    const QTime now = m_clock.now().time();
    m_minute.start(60000 - (now.second() * 1000 + now.msec()) + MinuteMarginMs);
}

void ConsoleStatus::notify()
{
    if (!m_notify.isActive())
        m_notify.start();
}

void ConsoleStatus::setInUse(Part part, bool inUse)
{
    m_inUse[static_cast<size_t>(part)] = inUse;
    notify();
}

bool ConsoleStatus::inUse(Part part) const
{
    return m_inUse[static_cast<size_t>(part)];
}

void ConsoleStatus::setRunners(QList<Runner> runners)
{
    m_runners = std::move(runners);
    setInUse(Next, !m_runners.isEmpty());
    updateNext();
}

void ConsoleStatus::setPort(int number, const QString &device, PortState state, const QString &detail)
{
    m_port.number = number;
    m_port.device = device;
    m_port.state = state;
    m_port.detail = detail;
    notify();
}

void ConsoleStatus::setOccasion(const QString &text)
{
    m_occasion = text;
}

void ConsoleStatus::settingOpened(const QString &file, bool inForce)
{
    m_setting.file = file;
    m_setting.since = m_clock.now();
    m_setting.cause = m_occasion.isEmpty() ? QStringLiteral("by hand") : m_occasion;
    m_setting.inForce = inForce;
    notify();
}

void ConsoleStatus::settingSwitched(const QString &time, const QString &schedule)
{
    m_setting.cause = QStringLiteral("by the %1 entry of %2").arg(time, fileName(schedule));
    runnersChanged();
    notify();
}

void ConsoleStatus::levelSent(const QString &level, const QString &how)
{
    m_level.level = level;
    m_level.since = m_clock.now();
    m_level.how = how;
    runnersChanged();
    notify();
}

void ConsoleStatus::runnersChanged()
{
    if (!m_recompute.isActive())
        m_recompute.start();
}

void ConsoleStatus::setServer(bool listening, const QString &listeningFor, const QString &peer)
{
    m_serverInUse = true;
    m_listening = listening;
    m_listeningFor = listeningFor;
    m_peer = peer;
    setInUse(Remote, true);
}

void ConsoleStatus::serverRefreshed(const QString &peer)
{
    m_refreshPeer = peer;
    m_refreshAt = m_clock.now();
    notify();
}

void ConsoleStatus::setClient(const QString &host, const QString &state)
{
    m_clientInUse = true;
    m_host = host;
    m_clientState = state;
    setInUse(Remote, true);
}

void ConsoleStatus::replyReceived(const QByteArray &bytes)
{
    // Called for every arrival while the controller streams: only the tail is kept and the
    // views hear of it at most once a second.
    if (m_replyEnded) {
        m_reply.clear();
        m_replyBytes = 0;
        m_replyEnded = false;
    }
    m_reply += bytes.right(ReplyTail);
    if (m_reply.size() > ReplyTail)
        m_reply.remove(0, m_reply.size() - ReplyTail);
    m_replyBytes += bytes.size();
    // The wall clock is read when the time is shown: reading it per arrival costs a look at
    // the time zone file each time.
    m_replySince.start();
    if (!m_replyNotify.isActive())
        m_replyNotify.start();
}

ConsoleStatus::NextSwitch ConsoleStatus::nextOf(const Runner &runner, const QDateTime &now) const
{
    NextSwitch next;
    next.runner = runner.name;
    next.yearly = runner.yearly;
    next.running = runner.running && runner.running();
    if (!next.running)
        return next;
    const QStringList keys = runner.keys();
    QList<Timeline::Stretch> stretches =
        runner.yearly ? Timeline::year(keys, now.date()) : Timeline::day(keys, now);
    stretches = Timeline::joined(stretches, runner.value);
    const int current = Timeline::stretchAt(stretches, now);
    if (current >= 0 && current + 1 < stretches.size()) {
        const Timeline::Stretch &coming = stretches.at(current + 1);
        next.at = coming.from;
        next.what = runner.value(coming.entry);
    }
    return next;
}

void ConsoleStatus::updateNext()
{
    m_recompute.stop();
    const QDateTime now = m_clock.now();
    m_next.clear();
    for (const Runner &runner : std::as_const(m_runners))
        m_next.append(nextOf(runner, now));
    notify();
}

QString ConsoleStatus::since(const QDateTime &at) const
{
    return at.date() == m_clock.now().date() ? at.toString(QStringLiteral("HH:mm"))
                                             : at.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

QString ConsoleStatus::whenText(const NextSwitch &next) const
{
    if (next.yearly)
        return next.at.toString(QStringLiteral("dd/MM/yyyy"));
    const QString time = next.at.toString(QStringLiteral("HH:mm"));
    return next.at.date() == m_clock.now().date() ? time : QStringLiteral("tomorrow ") + time;
}

QString ConsoleStatus::portText() const
{
    if (m_port.number == 0)
        return QStringLiteral("no port chosen");
    return QStringLiteral("Com %1 %2 (%3)")
        .arg(m_port.number)
        .arg(stateWord(m_port.state), m_port.device.isEmpty() ? QStringLiteral("no device") : m_port.device);
}

QString ConsoleStatus::settingText() const
{
    if (m_setting.file.isEmpty())
        return QStringLiteral("none loaded yet");
    QString text = QStringLiteral("%1 since %2, %3")
                       .arg(fileName(m_setting.file), since(m_setting.since), m_setting.cause);
    if (!m_setting.inForce)
        text += QStringLiteral("; it did not load");
    return text;
}

QString ConsoleStatus::intensityText() const
{
    if (m_level.level.isEmpty())
        return QStringLiteral("none sent yet");
    return QStringLiteral("%1 since %2, %3").arg(m_level.level, since(m_level.since), m_level.how);
}

QStringList ConsoleStatus::nextLines() const
{
    QStringList parts;
    for (const NextSwitch &next : m_next) {
        if (!next.running)
            parts.append(QStringLiteral("%1 not running").arg(next.runner));
        else if (!next.at.isValid())
            parts.append(QStringLiteral("%1 no switch within %2")
                             .arg(next.runner,
                                  next.yearly ? QStringLiteral("12 months") : QStringLiteral("24 hours")));
        else
            parts.append(QStringLiteral("%1 %2 %3").arg(next.runner, whenText(next), next.what));
    }
    return parts;
}

QString ConsoleStatus::remoteText() const
{
    QStringList parts;
    if (m_serverInUse) {
        QString server = m_listening        ? QStringLiteral("server listening for %1").arg(m_listeningFor)
                         : m_peer.isEmpty() ? QStringLiteral("server not listening")
                                            : QStringLiteral("server connected to %1").arg(m_peer);
        if (m_refreshAt.isValid())
            server += QStringLiteral("; last refresh %1 asked by %2")
                          .arg(m_refreshAt.toString(QStringLiteral("HH:mm:ss")), m_refreshPeer);
        parts.append(server);
    }
    if (m_clientInUse) {
        parts.append(m_clientState == QLatin1String("not connected")
                         ? QStringLiteral("client not connected (server %1)").arg(m_host)
                         : QStringLiteral("client %1 to %2").arg(m_clientState, m_host));
    }
    return parts.join(QStringLiteral("; "));
}

QString ConsoleStatus::replyText() const
{
    if (!m_replySince.isValid())
        return QStringLiteral("none yet");
    const QString cut = m_replyBytes > m_reply.size() ? QStringLiteral("...") : QString();
    const QDateTime at = m_clock.now().addMSecs(-m_replySince.elapsed());
    return QStringLiteral("%1 %2%3").arg(at.toString(QStringLiteral("HH:mm:ss")), cut,
                                         ReceiveBuffer::displayForm(m_reply));
}

QString ConsoleStatus::text(Part part) const
{
    if (!inUse(part))
        return QString();
    switch (part) {
    case Port:
        return portText();
    case Setting:
        return settingText();
    case Intensity:
        return intensityText();
    case Next:
        return nextLines().join(QStringLiteral("; "));
    case Remote:
        return remoteText();
    case Reply:
        return replyText();
    case PartCount:
        break;
    }
    return QString();
}

QString ConsoleStatus::detail(Part part) const
{
    if (!inUse(part))
        return QString();
    switch (part) {
    case Port:
        return m_port.detail;
    case Setting:
        return m_setting.file;
    case Next:
        return nextLines().join(QLatin1Char('\n'));
    case Reply:
        return m_replySince.isValid()
                   ? QStringLiteral("%1 bytes since the last frame went out").arg(m_replyBytes)
                   : QString();
    default:
        return QString();
    }
}

QString ConsoleStatus::caption(Part part)
{
    static const QStringList captions{QStringLiteral("Port"),      QStringLiteral("Setting"),
                                      QStringLiteral("Intensity"), QStringLiteral("Next"),
                                      QStringLiteral("Remote"),    QStringLiteral("Reply")};
    return captions.value(part);
}

QString ConsoleStatus::summary() const
{
    QStringList parts{portText()};
    if (inUse(Setting) && !m_setting.file.isEmpty())
        parts.append(QStringLiteral("setting %1").arg(fileName(m_setting.file)));
    if (inUse(Intensity) && !m_level.level.isEmpty())
        parts.append(QStringLiteral("level %1").arg(m_level.level));
    const NextSwitch *soonest = nullptr;
    for (const NextSwitch &next : m_next) {
        if (next.at.isValid() && (!soonest || next.at < soonest->at))
            soonest = &next;
    }
    if (soonest)
        parts.append(QStringLiteral("next %1 %2 %3").arg(soonest->runner, whenText(*soonest), soonest->what));
    return parts.join(QStringLiteral("; "));
}

QString ConsoleStatus::toolTip() const
{
    QStringList lines{QStringLiteral("PAV Control")};
    for (int part = 0; part < PartCount; ++part) {
        const QString line = text(static_cast<Part>(part));
        if (!line.isEmpty())
            lines.append(caption(static_cast<Part>(part)) + QStringLiteral(": ") + line);
    }
    return lines.join(QLatin1Char('\n'));
}
