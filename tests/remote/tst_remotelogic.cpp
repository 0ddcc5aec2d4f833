#include "AllowedClients.h"
#include "RefreshGate.h"
#include "RemoteJournal.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The link's rules that need no socket: the allow list read from its file and matched against
// peer addresses, the gate that spaces refreshes, and the journal's sums.
class TestRemoteLogic : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(AllowedClients::FileName);
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        return path;
    }

private slots:
    void allowListMatchesPeers_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("peer");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("IPv4 peer on the dual-stack socket, address entry")
            << QByteArray("\"10.1.2.3\"\r\n") << "::ffff:10.1.2.3" << true;
        QTest::newRow("IPv4 peer on the dual-stack socket, network entry")
            << QByteArray("\"10.0.0.0/8\"\r\n") << "::ffff:10.200.0.1" << true;
        QTest::newRow("mapped entry matches the plain peer")
            << QByteArray("\"::ffff:10.1.2.3\"\r\n") << "10.1.2.3" << true;
        QTest::newRow("IPv6 network") << QByteArray("\"fd00:1::/32\"\r\n") << "fd00:1:ffff::9" << true;
        QTest::newRow("IPv6 loopback is not the IPv4 one")
            << QByteArray("\"::1\"\r\n") << "127.0.0.1" << false;
        QTest::newRow("second record on the same line")
            << QByteArray("\"10.0.0.9\",\"10.0.0.5\"\r\n") << "10.0.0.5" << true;
    }
    void allowListMatchesPeers()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, peer);
        QFETCH(bool, allowed);
        AllowedClients list;
        list.load(write(file));
        QCOMPARE(list.allows(QHostAddress(peer)), allowed);
    }

    void badRecordsAreReportedWithTheirLine_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("reported"); // what each problem names, in order
        QTest::addColumn<QString>("kept");
        QTest::newRow("octet too large") << QByteArray("\"10.0.0.1\"\r\n\"10.0.0.300\"\r\n")
                                         << QStringList{"line 2: \"10.0.0.300\""} << "10.0.0.1";
        QTest::newRow("prefix too long, blank, a space inside")
            << QByteArray("\"10.0.0.0/33\"\r\n\r\n\"kvr client\"\n\"kvr-client\"\r\n")
            << QStringList{"line 1: \"10.0.0.0/33\"", "line 3: \"kvr client\""} << "kvr-client (looking up)";
        QTest::newRow("a line end inside the quotes counts")
            << QByteArray("\"a\r\nb\"\r\n\"::1/200\"\r\n")
            << QStringList{"line 1: \"a", "line 3: \"::1/200\""} << "no host";
        QTest::newRow("empty file allows no one") << QByteArray("") << QStringList{} << "no host";
        QStringList firstTen;
        for (int line = 1; line <= 10; ++line)
            firstTen << QStringLiteral("line %1: \"x!\"").arg(line);
        QTest::newRow("a file of bad records: ten named, the rest counted")
            << QByteArray("\"x!\"\r\n").repeated(5000) << (firstTen << "4990 more records") << "no host";
    }
    void badRecordsAreReportedWithTheirLine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, reported);
        QFETCH(QString, kept);
        AllowedClients list;
        QSignalSpy problems(&list, &AllowedClients::problem);
        list.load(write(file));
        QCOMPARE(problems.count(), reported.size());
        for (int i = 0; i < reported.size(); ++i)
            QVERIFY2(problems.at(i).first().toString().contains(reported.at(i)),
                     qPrintable(problems.at(i).first().toString()));
        QCOMPARE(list.description(), kept);
        QVERIFY(list.restricted());
        QVERIFY(!list.allows(QHostAddress("10.0.0.2")));
    }

    void gateHoldsABurstToTwoRefreshes_data()
    {
        QTest::addColumn<bool>("busy");      // frames wait for the line when the burst comes
        QTest::addColumn<bool>("drainTold"); // the line says so when it has drained
        QTest::addColumn<int>("burst");
        QTest::addColumn<int>("apartMs"); // between two requests of the burst
        QTest::addColumn<int>("atOnce");
        QTest::addColumn<int>("inAll"); // -1: about one an interval while the burst lasts
        QTest::newRow("one request runs at once") << false << true << 1 << 0 << 1 << 1;
        QTest::newRow("a burst: the first at once, the last an interval later")
            << false << true << 50 << 0 << 1 << 2;
        QTest::newRow("a burst while the line is busy: the last, when it drains")
            << true << true << 50 << 0 << 0 << 1;
        QTest::newRow("busy, and the drain never told: the last all the same")
            << true << false << 50 << 0 << 0 << 1;
        QTest::newRow("a storm of five intervals: one an interval, never held back to its end")
            << false << true << 50 << 10 << 1 << -1;
    }
    void gateHoldsABurstToTwoRefreshes()
    {
        QFETCH(bool, busy);
        QFETCH(bool, drainTold);
        QFETCH(int, burst);
        QFETCH(int, apartMs);
        QFETCH(int, atOnce);
        QFETCH(int, inAll);
        constexpr int Interval = 100;
        RefreshGate gate;
        gate.setInterval(Interval);
        gate.setLineBusy([&busy] { return busy; });
        QStringList ran;
        QList<qint64> ranAt;
        QElapsedTimer clock;
        clock.start();
        connect(&gate, &RefreshGate::refresh, this, [&](const QString &who) {
            ran << who;
            ranAt << clock.elapsed();
        });
        QSignalSpy merged(&gate, &RefreshGate::merged);

        for (int i = 0; i < burst; ++i) {
            gate.request(QString::number(i));
            if (i == 0)
                QCOMPARE(ran.size(), atOnce);
            if (apartMs > 0)
                QTest::qWait(apartMs);
        }
        if (inAll < 0) { // by the burst's end, about one refresh an interval has run
            QVERIFY2(ran.size() >= burst * apartMs / Interval - 1, qPrintable(QString::number(ran.size())));
            inAll = int(ran.size()) + (gate.hasPending() ? 1 : 0); // the last request, if still to come
        }
        if (busy) {
            QTest::qWait(2 * Interval);
            QCOMPARE(ran.size(), 0); // the interval alone does not let it through
            busy = false;
            if (drainTold)
                gate.lineDrained();
        }
        QTRY_COMPARE(ran.size(), inAll);
        QTest::qWait(3 * Interval);
        QCOMPARE(ran.size(), inAll);
        QCOMPARE(ran.last(), QString::number(burst - 1));
        QCOMPARE(merged.count(), burst - inAll);
        for (qsizetype i = 1; i < ranAt.size(); ++i)
            QVERIFY(ranAt.at(i) - ranAt.at(i - 1) >= Interval);
        QVERIFY(!gate.hasPending());
    }

    void journalSumsWordsAMinuteAndRefusalsAnHour()
    {
        qint64 now = 0;
        QStringList lines;
        RemoteJournal journal([&lines](const QString &line) { lines << line; });
        journal.setClock([&now] { return now; });

        journal.wordReceived("10.0.0.5");
        journal.refreshRun("10.0.0.5");
        journal.writeDue();
        for (int i = 0; i < 499; ++i)
            journal.wordReceived("10.0.0.5");
        for (int i = 0; i < 498; ++i)
            journal.merged("10.0.0.5");
        journal.refreshRun("10.0.0.5");
        journal.refused("10.9.9.9");
        journal.writeDue();
        now = 59999;
        journal.writeDue();
        QCOMPARE(
            lines,
            (QStringList{"Refresh words from 10.0.0.5: 1 received, 1 refresh run, 0 merged into a later one",
                         "Refused 1 connection from 10.9.9.9: not an allowed client (AllowedClients.txt)"}));
        now = 60000;
        journal.refused("10.9.9.9");
        journal.refused("10.9.9.9");
        journal.writeDue();
        QCOMPARE(lines.size(), 3);
        QCOMPARE(
            lines.last(),
            QStringLiteral(
                "Refresh words from 10.0.0.5: 499 received, 1 refresh run, 498 merged into a later one"));
        now = 3600000;
        journal.writeDue();
        QCOMPARE(lines.last(),
                 QStringLiteral(
                     "Refused 2 connections from 10.9.9.9: not an allowed client (AllowedClients.txt)"));
        // Quiet for a span: the next word is written at once again.
        now = 3700000;
        journal.writeDue();
        journal.wordReceived("10.0.0.5");
        journal.writeDue();
        QCOMPARE(lines.size(), 5);
    }
};

QTEST_GUILESS_MAIN(TestRemoteLogic)
#include "tst_remotelogic.moc"
