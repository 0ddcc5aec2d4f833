#include "Timeline.h"

#include "EntryInForce.h"

#include <algorithm>

namespace Timeline {

namespace {
// Stretches between the instants at which the rule is asked; instants sorted, from the
// window's start, all inside it.
QList<Stretch> walk(const QStringList &keys, QList<QDateTime> instants, const QDateTime &end,
                    const QString &format)
{
    std::sort(instants.begin(), instants.end());
    instants.resize(std::unique(instants.begin(), instants.end()) - instants.begin());
    QList<Stretch> stretches;
    const bool sorted = std::is_sorted(keys.begin(), keys.end());
    int recorded = 0;
    for (qsizetype i = 0; i < instants.size(); ++i) {
        const QString now = instants.at(i).toString(format);
        recorded = sorted ? EntryInForce::tickScanSorted(keys, now) : EntryInForce::tickScan(keys, now, recorded);
        const QDateTime to = i + 1 < instants.size() ? instants.at(i + 1) : end;
        if (!stretches.isEmpty() && stretches.last().entry == recorded)
            stretches.last().to = to;
        else
            stretches.append({instants.at(i), to, recorded});
    }
    return stretches;
}
} // namespace

QList<Stretch> day(const QStringList &keys, const QDateTime &start)
{
    if (keys.isEmpty())
        return {};
    const QDateTime from(start.date(), QTime(start.time().hour(), start.time().minute()));
    const QDateTime end = from.addDays(1);
    QList<QDateTime> instants{from, QDateTime(from.date().addDays(1), QTime(0, 0))};
    QStringList distinct = keys;
    distinct.removeDuplicates();
    for (const QString &key : std::as_const(distinct)) {
        const QTime time = QTime::fromString(key, QStringLiteral("HH:mm"));
        if (!time.isValid())
            continue;
        QDateTime at(from.date(), time);
        if (at < from)
            at = at.addDays(1);
        for (const QDateTime &instant : {at, at.addSecs(60)}) {
            if (instant < end)
                instants.append(instant);
        }
    }
    instants.removeIf([&](const QDateTime &t) { return t >= end; });
    return walk(keys, instants, end, QStringLiteral("HH:mm"));
}

QList<Stretch> year(const QStringList &keys, QDate start)
{
    if (keys.isEmpty())
        return {};
    const QDateTime from(start, QTime(0, 0));
    const QDateTime end = from.addMonths(12);
    QList<QDateTime> instants{from};
    // Only keys inside the window can move the answer; comparing the texts first spares
    // reading a date out of every key of a long table.
    const QString first = from.addDays(-1).toString(QStringLiteral("yyyyMMdd"));
    const QString last = end.toString(QStringLiteral("yyyyMMdd"));
    QStringList distinct;
    for (const QString &key : keys) {
        if (key >= first && key <= last)
            distinct.append(key);
    }
    distinct.removeDuplicates();
    for (const QString &key : std::as_const(distinct)) {
        const QDate date = QDate::fromString(key, QStringLiteral("yyyyMMdd"));
        if (!date.isValid())
            continue;
        for (const QDate &day : {date, date.addDays(1)}) {
            const QDateTime at(day, QTime(0, 0));
            if (at > from && at < end)
                instants.append(at);
        }
    }
    return walk(keys, instants, end, QStringLiteral("yyyyMMdd"));
}

QList<Stretch> joined(const QList<Stretch> &stretches, const std::function<QString(int)> &valueOf)
{
    QList<Stretch> out;
    for (const Stretch &stretch : stretches) {
        if (!out.isEmpty() && valueOf(out.last().entry) == valueOf(stretch.entry))
            out.last().to = stretch.to;
        else
            out.append(stretch);
    }
    return out;
}

int stretchAt(const QList<Stretch> &stretches, const QDateTime &at)
{
    for (qsizetype i = 0; i < stretches.size(); ++i) {
        if (stretches.at(i).from <= at && at < stretches.at(i).to)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace Timeline
