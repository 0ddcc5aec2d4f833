#include "RemoteJournal.h"

#include <QElapsedTimer>

RemoteJournal::RemoteJournal(Writer writer, QObject *parent) : QObject(parent), m_writer(std::move(writer))
{
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    m_clock = [started] { return started->elapsed(); };
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RemoteJournal::writeDue);
}

RemoteJournal::~RemoteJournal()
{
    writeAll();
}

void RemoteJournal::add(QHash<QString, Tally> &tallies, const QString &key, int Tally::*field)
{
    Tally &tally = tallies[key];
    tally.*field += 1;
    // At once for a key with no line in its span, else when its span ends.
    const qint64 span = &tallies == &m_refusals ? RefusalSpanMs : WordSpanMs;
    const qint64 due = tally.written ? qMax<qint64>(0, tally.lastLine + span - m_clock()) : 0;
    if (!m_timer.isActive() || m_timer.remainingTime() > due)
        m_timer.start(int(due));
}

void RemoteJournal::refused(const QString &address)
{
    // An address never seen beyond the limit is summed with the others rather than kept
    // on its own, so many addresses cannot grow the table without end.
    const bool known = m_refusals.contains(address) || m_refusals.size() < MaxRefusedAddresses;
    add(m_refusals, known ? address : QString(), &Tally::refused);
}

QString RemoteJournal::line(const QString &key, const Tally &tally, bool refusals) const
{
    const auto count = [](int n, const char *one, const char *many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    if (refusals) {
        return QStringLiteral("Refused %1 from %2: not an allowed client (AllowedClients.txt)")
            .arg(count(tally.refused, "connection", "connections"),
                 key.isEmpty() ? QStringLiteral("other addresses") : key);
    }
    return QStringLiteral("Refresh words from %1: %2 received, %3 run, %4 merged into a later one")
        .arg(key, QString::number(tally.words), count(tally.runs, "refresh", "refreshes"),
             QString::number(tally.merged));
}

void RemoteJournal::writeFrom(QHash<QString, Tally> &tallies, qint64 span, bool all)
{
    const bool refusals = &tallies == &m_refusals;
    const qint64 now = m_clock();
    QMutableHashIterator<QString, Tally> it(tallies);
    while (it.hasNext()) {
        it.next();
        Tally &tally = it.value();
        const bool spanOver = !tally.written || now - tally.lastLine >= span;
        if (tally.pending() && (spanOver || all)) {
            m_writer(line(it.key(), tally, refusals));
            tally = Tally{0, 0, 0, 0, now, true};
        } else if (!tally.pending() && spanOver) {
            it.remove(); // quiet for a whole span: its next event is written at once
        }
    }
}

void RemoteJournal::writeDue()
{
    writeFrom(m_words, WordSpanMs, false);
    writeFrom(m_refusals, RefusalSpanMs, false);
    schedule();
}

void RemoteJournal::writeAll()
{
    writeFrom(m_words, WordSpanMs, true);
    writeFrom(m_refusals, RefusalSpanMs, true);
}

void RemoteJournal::schedule()
{
    const qint64 now = m_clock();
    qint64 next = -1;
    const auto consider = [&](const QHash<QString, Tally> &tallies, qint64 span) {
        for (const Tally &tally : tallies) {
            if (!tally.pending())
                continue;
            const qint64 due = tally.written ? qMax<qint64>(0, tally.lastLine + span - now) : 0;
            next = next < 0 ? due : qMin(next, due);
        }
    };
    consider(m_words, WordSpanMs);
    consider(m_refusals, RefusalSpanMs);
    if (next < 0) {
        m_timer.stop();
    } else if (!m_timer.isActive() || m_timer.remainingTime() > next) {
        m_timer.start(int(next));
    }
}
