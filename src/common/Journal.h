#pragma once

#include <QDateTime>
#include <QString>

// The console's journal: one line on standard error for everything it does on its own or on
// request (a runner's switch, a level sent, a load that failed and why, the port lost and
// back, a remote refresh, a save), so a service manager's log (journalctl) and grep read it:
//   2026-03-01T18:00:00.004+01:00 schedule: the 18:00 entry is in force; loading B.pav
// Nothing is written to a file of the console's own.
namespace Journal {

// "<ISO time with offset> <topic>: <text>", line breaks in the text folded into ": ".
QByteArray line(const QDateTime &at, const QString &topic, const QString &text);

// The line for now, on standard error at once.
void write(const QString &topic, const QString &text);

} // namespace Journal
