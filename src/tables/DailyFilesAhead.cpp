#include "DailyFilesAhead.h"

#include "CellText.h"
#include "YearlyTask.h"

#include <algorithm>

namespace DailyFilesAhead {

QList<Use> walk(const Table &task, QDate start, const std::function<QString(const QString &)> &problemOf)
{
    Table sorted = task;
    for (int r = 1; r <= sorted.entryCount(); ++r)
        sorted.setCell(r, YearlyTask::KeyCell, CellText::dateKey(sorted.cell(r, YearlyTask::DateCell)));
    sorted.sortByCell(YearlyTask::KeyCell);

    QList<Use> uses;
    const QList<Timeline::Stretch> stretches = Timeline::year(sorted.column(YearlyTask::KeyCell), start);
    for (const Timeline::Stretch &stretch : stretches) {
        if (stretch.entry < 1 || stretch.entry > sorted.entryCount())
            continue;
        const QString file = sorted.cell(stretch.entry, YearlyTask::PathCell);
        const QString date = sorted.cell(stretch.entry, YearlyTask::DateCell);
        auto use = std::find_if(uses.begin(), uses.end(), [&](const Use &u) { return u.file == file; });
        if (use == uses.end()) {
            uses.append({file, {}, {}, problemOf(file)});
            use = uses.end() - 1;
        }
        if (!use->entryDates.contains(date))
            use->entryDates.append(date);
        // Two entries in a row naming one file are one stretch of it.
        if (!use->when.isEmpty() && use->when.last().to == stretch.from)
            use->when.last().to = stretch.to;
        else
            use->when.append(stretch);
    }
    return uses;
}

QString datesText(const QList<Timeline::Stretch> &when)
{
    QStringList spans;
    for (const Timeline::Stretch &stretch : when) {
        const QDate first = stretch.from.date(), last = stretch.to.date().addDays(-1);
        spans << (first == last ? CellText::ofDate(first)
                                : CellText::ofDate(first) + QStringLiteral(" to ") + CellText::ofDate(last));
    }
    return spans.join(QStringLiteral(", "));
}

} // namespace DailyFilesAhead
