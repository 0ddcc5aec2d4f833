#include "IntensityRunner.h"

#include "AuditTrail.h"

#include "EntryInForce.h"
#include "NumberText.h"

#include <limits>

namespace {
constexpr QLatin1String TimeFormat("HH:mm");
}

IntensityRunner::IntensityRunner(ConsoleState &state, const Clock &clock, std::function<void(int)> sendLevel,
                                 QObject *parent)
    : QObject(parent), m_state(state), m_clock(clock), m_sendLevel(std::move(sendLevel)), m_timer(clock, this)
{
    m_timer.setName(QStringLiteral("TimerIntensity"));
    connect(&m_timer, &SecondTicker::tick, this, &IntensityRunner::tick);
}

void IntensityRunner::RefreshIntensityTable(const Table &table, int timeCell, int levelCell)
{
    constexpr int low = std::numeric_limits<qint16>::min();
    constexpr int high = std::numeric_limits<qint16>::max();
    m_table.clear();
    m_table.reserve(table.entryCount());
    for (const QStringList &cells : table.entries()) {
        const double level = NumberText::roundHalfEven(NumberText::leadingNumber(cells.at(levelCell)));
        m_table.append({cells.at(timeCell), static_cast<qint16>(qBound<double>(low, level, high))});
    }
    m_size = table.rowCount();
    emit refreshed();
}

void IntensityRunner::clear()
{
    m_table.clear();
    m_size = 0;
    emit refreshed();
}

QStringList IntensityRunner::keys() const
{
    QStringList keys;
    keys.reserve(m_table.size());
    for (const Entry &entry : m_table)
        keys.append(entry.time);
    return keys;
}

void IntensityRunner::send(int entry)
{
    m_entrySent = entry;
    m_lastSent = m_table.at(entry - 1).level;
    m_sendLevel(m_lastSent);
}

void IntensityRunner::sendInForce()
{
    m_lastSent = -1;
    if (m_size <= 1)
        return;
    const int found = EntryInForce::lastNotLater(keys(), m_clock.now().toString(TimeFormat));
    emit inForceChanged(found);
    {
        const AuditTrail::Step step(QStringLiteral("the %1 entry in force").arg(m_table.at(found - 1).time));
        send(found);
    }
    start();
}

void IntensityRunner::tick()
{
    if (m_size <= 1) {
        m_state.CurIntensityIndex = static_cast<qint16>(m_size - 1);
        emit inForceChanged(0);
        return;
    }
    const int found =
        EntryInForce::tickScan(keys(), m_clock.now().toString(TimeFormat), m_state.CurIntensityIndex);
    m_state.CurIntensityIndex = static_cast<qint16>(found);
    if (found < 1 || found > m_table.size())
        return; // an entry recorded before the table shrank names no level
    emit inForceChanged(found);
    const qint16 level = m_table.at(found - 1).level;
    if (level != m_lastSent) {
        const AuditTrail::Scope cause(
            QStringLiteral("the intensity runner, the %1 entry").arg(m_table.at(found - 1).time));
        send(found);
    }
}
