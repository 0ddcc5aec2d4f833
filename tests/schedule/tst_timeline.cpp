#include "DailyFilesAhead.h"
#include "Timeline.h"
#include "TimelineStrip.h"
#include "YearlyTask.h"

#include <QApplication>
#include <QImage>
#include <QTest>

namespace {
// The stretches as "HH:mm entry" (day) or "dd/MM entry" (year), from their starts.
QStringList shown(const QList<Timeline::Stretch> &stretches, const char *format)
{
    QStringList out;
    for (const Timeline::Stretch &stretch : stretches)
        out.append(stretch.from.toString(format) + ' ' + QString::number(stretch.entry));
    return out;
}
} // namespace

// The strips' stretches, worked out with the runners' rule, and one strip drawn.
class TestTimeline : public QObject {
    Q_OBJECT
private slots:
    void day_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("stretches");
        QTest::newRow("06:00/18:00 across midnight") << QStringList{"06:00", "18:00"} << "12:30"
                                                     << QStringList{"12:30 1", "18:00 2", "06:00 1"};
        QTest::newRow("one entry") << QStringList{"09:00"} << "12:00" << QStringList{"12:00 1"};
        QTest::newRow("equal first keys") << QStringList{"06:00", "06:00", "18:00"} << "05:00"
                                          << QStringList{"05:00 3", "06:00 1", "06:01 2", "18:00 3"};
        QTest::newRow("equal later keys") << QStringList{"06:00", "12:00", "12:00"} << "00:00"
                                          << QStringList{"00:00 3", "06:00 1", "12:00 3"};
        QTest::newRow("no entries") << QStringList{} << "00:00" << QStringList{};
    }
    void day()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, start);
        const QDateTime from(QDate(2026, 3, 1), QTime::fromString(start, "HH:mm"));
        const QList<Timeline::Stretch> stretches = Timeline::day(keys, from);
        QTEST(shown(stretches, "HH:mm"), "stretches");
        if (!stretches.isEmpty()) // the strip covers the 24 hours without a gap
            QCOMPARE(stretches.last().to, from.addDays(1));
    }

    void year_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("stretches");
        QTest::newRow("across the year end") << QStringList{"20261225", "20270105"}
                                             << QStringList{"01/12 2", "25/12 1", "05/01 2"};
        QTest::newRow("every date past") << QStringList{"20260101", "20260701"} << QStringList{"01/12 2"};
    }
    void year()
    {
        QFETCH(QStringList, keys);
        QTEST(shown(Timeline::year(keys, QDate(2026, 12, 1)), "dd/MM"), "stretches");
    }

    void dailyFilesAhead_data()
    {
        QTest::addColumn<QStringList>("entries"); // "dd/MM/yyyy file", in file order
        QTest::addColumn<QStringList>("uses");    // "file: dates", and "(why)" for a file that cannot be used
        QTest::newRow("out of order: by date, the last one in force before the first")
            << QStringList{"01/06/2027 summer.shd", "01/09/2026 winter.shd"}
            << QStringList{"winter.shd: 01/12/2026 to 31/05/2027", "summer.shd: 01/06/2027 to 30/11/2027"};
        QTest::newRow("one file in two entries in a row, and again later")
            << QStringList{"01/01/2027 a.shd", "01/02/2027 a.shd", "01/03/2027 b.shd", "01/05/2027 a.shd"}
            << QStringList{"a.shd: 01/12/2026 to 28/02/2027, 01/05/2027 to 30/11/2027",
                           "b.shd: 01/03/2027 to 30/04/2027"};
        QTest::newRow("entries past and beyond the twelve months")
            << QStringList{"01/01/2020 old.shd", "01/01/2026 now.shd", "01/06/2028 far.shd"}
            << QStringList{"now.shd: 01/12/2026 to 30/11/2027"};
        QTest::newRow("a file that cannot be used, with the dates it is needed")
            << QStringList{"15/03/2027 gone.shd", "01/01/2026 now.shd"}
            << QStringList{"now.shd: 01/12/2026 to 14/03/2027",
                           "gone.shd: 15/03/2027 to 30/11/2027 (is missing)"};
    }
    void dailyFilesAhead()
    {
        QFETCH(QStringList, entries);
        Table task(YearlyTask::CellCount);
        QList<QStringList> rows;
        for (const QString &entry : entries) // keys as a damaged or hand-made file may hold them
            rows.append({QString(), entry.section(' ', 0, 0), entry.section(' ', 1), "99999999"});
        task.setEntries(rows);
        QStringList asked;
        const QList<DailyFilesAhead::Use> uses =
            DailyFilesAhead::walk(task, QDate(2026, 12, 1), [&](const QString &file) {
                asked << file;
                return file.startsWith("gone") ? QString("is missing") : QString();
            });
        QStringList shown, files;
        for (const DailyFilesAhead::Use &use : uses) {
            shown << use.file + ": " + DailyFilesAhead::datesText(use.when) +
                         (use.problem.isEmpty() ? QString() : " (" + use.problem + ")");
            files << use.file;
        }
        QTEST(shown, "uses");
        QCOMPARE(asked, files); // each file read once
    }

    void equalLevelsJoin()
    {
        const QStringList levels{"", "Low", "Low", "High"}; // by entry
        const QList<Timeline::Stretch> joined = Timeline::joined(
            Timeline::day({"06:00", "12:00", "18:00"}, QDateTime(QDate(2026, 3, 1), QTime(0, 0))),
            [&](int entry) { return levels.at(entry); });
        QCOMPARE(shown(joined, "HH:mm"), QStringList({"00:00 3", "06:00 1", "18:00 3"}));
    }

    void stripDrawsNowAndBoundaries()
    {
        TimelineStrip strip(TimelineStrip::Span::Day);
        strip.resize(482, strip.sizeHint().height());
        const QDateTime start(QDate(2026, 3, 1), QTime(12, 0));
        strip.setBands(start, {{start, start.addSecs(6 * 3600), 1, "A.pav", "", -1},
                               {start.addSecs(6 * 3600), start.addDays(1), 2, "B.pav", "", -1}});
        QImage image(strip.size(), QImage::Format_RGB32);
        strip.render(&image);
        const int y = 4, boundary = strip.xOf(start.addSecs(6 * 3600));
        QCOMPARE(boundary, 1 + 120); // a quarter of the day along the band area
        QCOMPARE(image.pixelColor(2, y), strip.palette().color(QPalette::Highlight)); // now
        const QColor before = image.pixelColor(boundary - 3, y), after = image.pixelColor(boundary + 3, y);
        QVERIFY(before != after);
        QCOMPARE(image.pixelColor(boundary - 30, y), before); // one band, one colour
        QCOMPARE(image.pixelColor(boundary + 30, y), after);
    }
};

QTEST_MAIN(TestTimeline)
#include "tst_timeline.moc"
