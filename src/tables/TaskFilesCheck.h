#pragma once

#include "Table.h"
#include "Timeline.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// "Check files" of a yearly task: every daily file the task puts in force over the next
// twelve months (by the runner's own rule, DailyFilesAhead) and every file those daily
// files name in turn (a schedule's setting files), each read once with its own reader; the
// ones that cannot be used, with the dates they would be needed.
namespace TaskFilesCheck {

// What reading a daily file found: why it cannot be used ("" when it can), and the files
// its entries name (nothing for a daily file that names none, as an intensity file).
struct Daily {
    QString problem;
    QStringList names;
};

struct Finding {
    QString file;        // as the task or the daily file names it
    QStringList namedIn; // the daily files that name it; empty for the task's own
    QString problem;
    QList<Timeline::Stretch> when; // [from, to) at midnight, in date order
    // "evenig.pav (named in winter.shd): the file does not exist; needed 01/12/2026 to 28/02/2027"
    QString line() const;
};

// The task's findings over the twelve months from 'start', in the order the files are first
// needed; 'readDaily' reads a daily file of the task, 'problemOf' a file a daily file names.
// Each is asked once per file.
QList<Finding> run(const Table &task, QDate start, const std::function<Daily(const QString &)> &readDaily,
                   const std::function<QString(const QString &)> &problemOf);

// The findings' lines, or the one line that says all is well.
QStringList lines(const Table &task, const QList<Finding> &findings);

} // namespace TaskFilesCheck
