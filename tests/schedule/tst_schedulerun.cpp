#include "ConsoleProcess.h"
#include "Frames.h"

#include <QtTest>

using namespace Frames;

// The built console on a pseudo-terminal with its clock set just before a switch: each
// runner's frames at the minute or at midnight, and the journal's line stamped with it.
class TestScheduleRun : public QObject {
    Q_OBJECT
private slots:
    void switchesAtTheMinute_data()
    {
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QByteArray>("setting"); // setting.int
        QTest::addColumn<QByteArray>("line");    // everything the controller gets
        QTest::addColumn<QString>("journal");    // the switch's time and line
        // The video page's start on default.pav, A.pav at the first tick, B.pav (the brightness
        // alone) at 18:00.
        QTest::newRow("daily schedule at 18:00")
            << QList<int>{0, 2} << "2026-03-01 17:59:57" << QByteArray()
            << of({{1, 2}, {8, 1}}) + Pictures + of({{1, 1}}) + Options + of({{2, 10}})
            << "T18:00:00 schedule: the 18:00 entry is in force; loading B.pav";
        // The intensity levels Low, Mid and High go out as the codes 10, 100 and 200.
        QTest::newRow("daily intensity at 18:00")
            << QList<int>{4} << "2026-03-01 17:59:57"
            << QByteArray(
                   "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n3,\"\t06:00\tLow\t0\r\t18:00\tHigh\t2\"\r\n")
            << of({{10, 10}, {16, 5}, {10, 200}}) << "T18:00:00 intensity: Level High sent";
        // setting.int first, then the task's file of the day at its first tick, and the next
        // day's at midnight.
        QTest::newRow("intensity task at midnight")
            << QList<int>{4, 5} << "2026-03-01 23:59:57"
            << QByteArray("2,\"Manual\"\r\n\"5\",\"SwitchOff\"\r\n")
            << of({{10, 100}, {16, 60}, {10, 10}, {10, 200}}) << "T00:00:00 intensity: Level High sent";
    }
    void switchesAtTheMinute()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QString, start);
        QFETCH(QByteArray, setting);
        QFETCH(QByteArray, line);
        QFETCH(QString, journal);
        PtyPair pty;
        ConsoleFolder folder;
        folder.useAsComPort(pty);
        folder.usePages(pages);
        folder.write("default.pav", StartState);
        folder.write("A.pav", Changed);
        folder.write("B.pav", QByteArray(Changed).replace("\"128\"", "\"10\""));
        folder.write("schedule.shd", "3,\"\t06:00\tA.pav\r\t18:00\tB.pav\"\r\n");
        folder.write("setting.int", setting);
        folder.write("day1.int", "1,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        folder.write("day2.int", "3,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        folder.write("IntensityTask.tsk",
                     "3,\"\t01/03/2026\tday1.int\t20260301\r\t02/03/2026\tday2.int\t20260302\"\r\n");

        ConsoleProcess console(folder);
        console.startClockAt(start);
        QVERIFY2(console.start(), console.output().constData());
        QByteArray bytes;
        for (int i = 0; i < 80 && !bytes.endsWith(line); ++i)
            bytes += pty.read(1 << 16, 100);
        bytes += pty.read(1 << 16, 300); // nothing more may follow
        QCOMPARE(bytes.toHex(' '), line.toHex(' '));
        const QString text = journal.section(' ', 1);
        console.waitForOutput(text.toUtf8(), 3000);
        const QRegularExpression stamped("\\d" + journal.section(' ', 0, 0) + "\\.\\d{3}\\S* " +
                                         QRegularExpression::escape(text));
        QVERIFY2(stamped.match(QString::fromUtf8(console.output())).hasMatch(), console.output().constData());
    }
};

QTEST_GUILESS_MAIN(TestScheduleRun)
#include "tst_schedulerun.moc"
