#include "TaskFilesCheck.h"

#include "DailyFilesAhead.h"

#include <QHash>
#include <algorithm>

namespace TaskFilesCheck {

namespace {
// Stretches of several daily files made one list: in date order, touching ones joined.
void addStretches(QList<Timeline::Stretch> &to, const QList<Timeline::Stretch> &more)
{
    to.append(more);
    std::sort(to.begin(), to.end(), [](const auto &a, const auto &b) { return a.from < b.from; });
    QList<Timeline::Stretch> joined;
    for (const Timeline::Stretch &stretch : std::as_const(to)) {
        if (!joined.isEmpty() && joined.last().to >= stretch.from)
            joined.last().to = std::max(joined.last().to, stretch.to);
        else
            joined.append(stretch);
    }
    to = joined;
}
} // namespace

QString Finding::line() const
{
    const QString named = namedIn.isEmpty()
                              ? QString()
                              : QStringLiteral(" (named in %1)").arg(namedIn.join(QStringLiteral(", ")));
    return QStringLiteral("%1%2: %3; needed %4").arg(file, named, problem, DailyFilesAhead::datesText(when));
}

QList<Finding> run(const Table &task, QDate start, const std::function<Daily(const QString &)> &readDaily,
                   const std::function<QString(const QString &)> &problemOf)
{
    QHash<QString, QStringList> namesOf; // by daily file, read along the walk
    const QList<DailyFilesAhead::Use> uses = DailyFilesAhead::walk(task, start, [&](const QString &file) {
        const Daily daily = readDaily(file);
        namesOf.insert(file, daily.names);
        return daily.problem;
    });

    QList<Finding> findings;
    QHash<QString, QString> problems; // by named file, read once
    QHash<QString, qsizetype> found;  // named file -> its finding
    for (const DailyFilesAhead::Use &use : uses) {
        if (!use.problem.isEmpty()) {
            findings.append({use.file, {}, use.problem, use.when});
            continue;
        }
        QStringList names = namesOf.value(use.file);
        names.removeDuplicates();
        for (const QString &name : std::as_const(names)) {
            if (!problems.contains(name))
                problems.insert(name, problemOf(name));
            const QString problem = problems.value(name);
            if (problem.isEmpty())
                continue;
            if (!found.contains(name)) {
                found.insert(name, findings.size());
                findings.append({name, {}, problem, {}});
            }
            Finding &finding = findings[found.value(name)];
            finding.namedIn.append(use.file);
            addStretches(finding.when, use.when);
        }
    }
    return findings;
}

QStringList lines(const Table &task, const QList<Finding> &findings)
{
    if (task.isEmpty())
        return {QStringLiteral("The task has no entries, so it needs no file.")};
    if (findings.isEmpty())
        return {QStringLiteral("All files are present and readable")};
    QStringList out;
    for (const Finding &finding : findings)
        out.append(finding.line());
    return out;
}

} // namespace TaskFilesCheck
