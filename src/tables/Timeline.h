#pragma once

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <functional>

// What a runner puts in force over the time ahead, worked out with the runners' own tick
// rule (EntryInForce::tickScan), for the strips on the table pages. The rule's answer can
// change only where "now" meets a key, passes one, or wraps at midnight, so it is asked
// just there, never minute by minute.
namespace Timeline {

struct Stretch {
    QDateTime from, to; // [from, to)
    int entry = 0;      // 1..N; 0 for none
};

// The next 24 hours from 'start' over "HH:mm" keys.
QList<Stretch> day(const QStringList &keys, const QDateTime &start);
// The next twelve months from 'start' over "yyyyMMdd" keys.
QList<Stretch> year(const QStringList &keys, QDate start);

// Neighbouring stretches whose entries have the same value made one (the first entry kept):
// two entries with one level in a row are one stretch, as the runner sends nothing between.
QList<Stretch> joined(const QList<Stretch> &stretches, const std::function<QString(int)> &valueOf);

// The stretch holding 'at', or -1.
int stretchAt(const QList<Stretch> &stretches, const QDateTime &at);

} // namespace Timeline
