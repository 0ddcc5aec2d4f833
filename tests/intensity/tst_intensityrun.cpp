#include "ConsoleProcess.h"
#include "Frames.h"
#include "MainWindow.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace Frames;

namespace {
// The installation's levels Low, Mid and High go out as the codes 10, 100 and 200.
QByteArray level(int code)
{
    return of({{10, code}});
}
const QByteArray Watchdog5 = of({{16, 5}});

// Bytes from the line until they end with 'tail' (or 8 s pass), then whatever follows within 300 ms.
QByteArray readUntil(PtyPair &pty, const QByteArray &tail)
{
    QByteArray bytes;
    for (int i = 0; i < 80 && !bytes.endsWith(tail); ++i)
        bytes += pty.read(1 << 16, 100);
    return bytes + pty.read(1 << 16, 300);
}
} // namespace

// The intensity pages on the line: the built console under a clock set just before a switch,
// and Retransmit in a console window.
class TestIntensityRun : public QObject {
    Q_OBJECT
private slots:
    void switchesAtTheMinute_data()
    {
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QByteArray>("setting"); // setting.int
        QTest::addColumn<QByteArray>("line");    // everything the controller gets
        QTest::newRow("daily table at 18:00")
            << QList<int>{4} << "2026-03-01 17:59:57"
            << QByteArray("1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n3,\"\t06:00\tLow\t0\r\t18:00\tHigh\t2\"\r\n")
            << level(10) + Watchdog5 + level(200);
        // setting.int first, then the task's file of the day at its first tick, and the next
        // day's at midnight.
        QTest::newRow("task table at midnight")
            << QList<int>{4, 5} << "2026-03-01 23:59:57" << QByteArray("2,\"Manual\"\r\n\"5\",\"SwitchOff\"\r\n")
            << level(100) + of({{16, 60}}) + level(10) + level(200);
    }
    void switchesAtTheMinute()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QString, start);
        QFETCH(QByteArray, setting);
        QFETCH(QByteArray, line);
        PtyPair pty;
        ConsoleFolder folder;
        folder.useAsComPort(pty);
        folder.usePages(pages);
        folder.write("setting.int", setting);
        folder.write("day1.int", "1,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        folder.write("day2.int", "3,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        folder.write("IntensityTask.tsk",
                     "3,\"\t01/03/2026\tday1.int\t20260301\r\t02/03/2026\tday2.int\t20260302\"\r\n");

        ConsoleProcess console(folder);
        console.startClockAt(start);
        QVERIFY2(console.start(), console.output().constData());
        const QByteArray bytes = readUntil(pty, line);
        QCOMPARE(bytes.toHex(' '), line.toHex(' '));
        // The journal has the switch at its minute.
        console.waitForOutput("intensity: Level High sent", 3000);
        QVERIFY2(QRegularExpression(QStringLiteral("\\dT00:00:00\\.\\d{3}\\S* intensity: Level High sent|"
                                                   "\\dT18:00:00\\.\\d{3}\\S* intensity: Level High sent"))
                     .match(QString::fromUtf8(console.output()))
                     .hasMatch(),
                 console.output().constData());
    }

    void retransmitSendsTheLevelAndTheWatchdogAfterTheVideo()
    {
        PtyPair pty;
        ConsoleFolder folder;
        folder.useAsComPort(pty);
        folder.usePages({0, 4});
        folder.write("default.pav", Changed);
        folder.write("setting.int", "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n2,\"\t06:00\tMid\t1\"\r\n");
        MainWindow window{WorkingFolder(folder.sysPath())};
        window.startUp();
        QCOMPARE(readUntil(pty, level(100) + Watchdog5).right(16).toHex(' '), (level(100) + Watchdog5).toHex(' '));
        window.findChild<QPushButton *>("cmdRetransmit")->click();
        const QByteArray expected = of({{1, 1}}) + Pictures + Options + level(100) + Watchdog5;
        QCOMPARE(readUntil(pty, expected).toHex(' '), expected.toHex(' '));
    }
};

QTEST_MAIN(TestIntensityRun)
#include "tst_intensityrun.moc"
