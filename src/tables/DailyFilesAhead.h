#pragma once

#include "Table.h"
#include "Timeline.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Which daily file a yearly task puts in force on each date of the next twelve months, and
// whether each of those files can be used: what an installer checks before leaving a site,
// so that no schedule stops on a date months away for a file that is missing or damaged.
namespace DailyFilesAhead {

struct Use {
    QString file;                  // as the task's entries name it
    QStringList entryDates;        // the date cells of the entries that put it in force
    QList<Timeline::Stretch> when; // [from, to) at midnight, in date order
    QString problem;               // why it cannot be used; empty when it can
};

// The task's entries ordered as the console orders them at start-up (each key made from its
// date, then sorted), walked over the twelve months from 'start' with the runner's rule.
// 'problemOf' is asked once per file and answers why it cannot be used, or "". The files in
// force at some time of those months, in the order they first come into force.
QList<Use> walk(const Table &task, QDate start, const std::function<QString(const QString &)> &problemOf);

// The dates of the stretches, last day included: "01/06/2026 to 31/08/2026, 24/12/2026".
QString datesText(const QList<Timeline::Stretch> &when);

} // namespace DailyFilesAhead
