#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The console's journal: one line on standard error for everything it does on its own or on
// request (a runner's switch, a level sent, a load that failed and why, the port lost and
// back, a remote refresh, a save), so a service manager's log (journalctl) and grep read it:
//   2026-03-01T18:00:00.004+01:00 schedule: the 18:00 entry is in force; loading B.pav
// Nothing is written to a file of the console's own. When standard error is the systemd
// journal's stream, each line goes to the journal as an entry of its own instead, with its
// priority and its topic as the field PAV_TOPIC (journalctl -p warning, PAV_TOPIC=intensity).
namespace Journal {

// syslog's levels, as the journal files them.
enum class Priority { Error = 3, Warning = 4, Info = 6 };

// "<ISO time with offset> <topic>: <text>", line breaks in the text folded into ": ".
QByteArray line(const QDateTime &at, const QString &topic, const QString &text);

// The journal entry's fields: MESSAGE ("<topic>: <text>", breaks folded), PRIORITY,
// PAV_TOPIC and SYSLOG_IDENTIFIER.
QList<QByteArray> fields(const QString &topic, const QString &text, Priority priority);

// Whether the descriptor is the stream that JOURNAL_STREAM ("<device>:<inode>") names, which
// the service manager sets for a service whose output goes to the journal. A child whose
// standard error was redirected elsewhere inherits the variable but not the stream.
bool isJournalStream(const QByteArray &journalStream, int fd);

// The entry for now: to the journal when standard error is its stream, else the line on
// standard error at once.
void write(const QString &topic, const QString &text, Priority priority = Priority::Info);

} // namespace Journal
