#include "Timeline.h"
#include "TimelineStrip.h"

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
