#include "ConsoleProcess.h"
#include "Frames.h"

#include <QTest>

using namespace Frames;

namespace {
// A.pav is a setting file that changes every value; B.pav differs from it in brightness alone.
const QByteArray SendsA = Pictures + of({{1, 1}}) + Options;
const QByteArray SendsB = of({{2, 10}});
} // namespace

// The built console on a pseudo-terminal with its clock set just before a switch: the
// runners' frames at the minute and at midnight.
class TestScheduleRun : public QObject {
    Q_OBJECT
private slots:
    void switchesAtTheMinute_data()
    {
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QByteArray>("schedule"); // schedule.shd
        QTest::addColumn<QByteArray>("task");     // ScheduleTask.tsk
        QTest::newRow("daily table at 18:00") << QList<int>{0, 2} << "2026-03-01 17:59:57"
                                              << QByteArray("3,\"\t06:00\tA.pav\r\t18:00\tB.pav\"\r\n") << QByteArray();
        QTest::newRow("task table at midnight")
            << QList<int>{0, 2, 3} << "2026-03-01 23:59:57" << QByteArray()
            << QByteArray("3,\"\t01/03/2026\tday1.shd\t20260301\r\t02/03/2026\tday2.shd\t20260302\"\r\n");
    }
    void switchesAtTheMinute()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QString, start);
        QFETCH(QByteArray, schedule);
        QFETCH(QByteArray, task);
        PtyPair pty;
        ConsoleFolder folder;
        folder.useAsComPort(pty);
        folder.usePages(pages);
        folder.write("default.pav", StartState);
        folder.write("A.pav", Changed);
        folder.write("B.pav", QByteArray(Changed).replace("\"128\"", "\"10\""));
        folder.write("day1.shd", "2,\"\t00:00\tA.pav\"\r\n");
        folder.write("day2.shd", "2,\"\t00:00\tB.pav\"\r\n");
        if (!schedule.isEmpty())
            folder.write("schedule.shd", schedule);
        if (!task.isEmpty())
            folder.write("ScheduleTask.tsk", task);

        ConsoleProcess console(folder);
        console.startClockAt(start);
        QVERIFY2(console.start(), console.output().constData());
        // Start-up, A at the first tick, B at the switch 2-3 s later.
        QByteArray bytes;
        for (int i = 0; i < 80 && !bytes.endsWith(SendsA + SendsB); ++i)
            bytes += pty.read(1 << 16, 100);
        bytes += pty.read(1 << 16, 300); // nothing more may follow
        QVERIFY2(bytes.endsWith(SendsA + SendsB), bytes.toHex(' ').constData());
    }
};

QTEST_GUILESS_MAIN(TestScheduleRun)
#include "tst_schedulerun.moc"
