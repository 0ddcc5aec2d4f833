#pragma once

#include <QString>
#include <QStringList>

// Which entry of a table is in force, by a fixed-width text key ("HH:mm" or "yyyyMMdd")
// compared as plain character strings. For distinct sorted keys both rules give the last
// entry whose key is not later than now, and the last entry of all before the first key
// (yesterday's last entry stays in force until today's first). They differ only where keys
// are equal.
namespace EntryInForce {

// The runners' tick scan over entries 1..N. 'recorded' is the entry the runner found last
// time; it is kept for a table without entries. Among equal keys the later entry wins,
// except that entries sharing the first key leave entry 1 in force at that very key.
// A table that is not sorted gets the same scan, entry by entry; when no entry matches,
// 'recorded' is kept.
int tickScan(const QStringList &keys, const QString &now, int recorded);

// The tick scan's answer for keys already sorted ascending, found by bisection, for callers
// that ask about many instants at once (the strips). For such a table some entry always
// matches, so nothing recorded is needed; the tests hold it to tickScan.
int tickScanSorted(const QStringList &keys, const QString &now);

// The intensity lookup: the entry before the first whose key is later than now, so among
// equal keys the later entry always wins. 0 for a table without entries.
int lastNotLater(const QStringList &keys, const QString &now);

} // namespace EntryInForce
