#include "AllowedClients.h"
#include "ConsoleFolder.h"
#include "RefreshGate.h"
#include "RemoteJournal.h"
#include "SocketErrors.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using E = QAbstractSocket::SocketError;

// The link's rules that need no socket: the allow list read from its file and matched against
// peer addresses, the gate that spaces refreshes, the journal's sums, and the Windows Sockets
// numbers and texts an operator sees for socket errors.
class TestRemoteLogic : public QObject {
    Q_OBJECT
private slots:
    void allowListMatchesPeers_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: there is none
        QTest::addColumn<QString>("peer");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QStringList>("reported"); // what each problem names, in order
        QTest::addColumn<QString>("described");
        const QStringList none;
        QTest::newRow("no file: anyone") << QByteArray() << "10.0.0.2" << true << none << "any host";
        QTest::newRow("IPv4 peer on the dual-stack socket, address entry")
            << QByteArray("\"10.1.2.3\"\r\n") << "::ffff:10.1.2.3" << true << none << "10.1.2.3";
        QTest::newRow("IPv4 peer on the dual-stack socket, network entry")
            << QByteArray("\"10.0.0.0/8\"\r\n") << "::ffff:10.200.0.1" << true << none << "10.0.0.0/8";
        QTest::newRow("only ::ffff: makes an IPv4 peer")
            << QByteArray("\"10.1.2.3\"\r\n") << "::ff:a01:203" << false << none << "10.1.2.3";
        QTest::newRow("mapped entry matches the plain peer")
            << QByteArray("\"::ffff:10.1.2.3\"\r\n") << "10.1.2.3" << true << none << "::ffff:10.1.2.3";
        QTest::newRow("IPv6 network")
            << QByteArray("\"fd00:1::/32\"\r\n") << "fd00:1:ffff::9" << true << none << "fd00:1::/32";
        QTest::newRow("IPv6 loopback is not the IPv4 one")
            << QByteArray("\"::1\"\r\n") << "127.0.0.1" << false << none << "::1";
        QTest::newRow("second record on the same line") << QByteArray("\"10.0.0.9\",\"10.0.0.5\"\r\n")
                                                        << "10.0.0.5" << true << none << "10.0.0.9, 10.0.0.5";
        QTest::newRow("octet too large: left out, the next record used")
            << QByteArray("\"10.0.0.300\"\r\n\"10.0.0.1\"\r\n") << "10.0.0.1" << true
            << QStringList{"line 1: \"10.0.0.300\""} << "10.0.0.1";
        QTest::newRow("prefix too long, blank, a space inside")
            << QByteArray("\"10.0.0.0/33\"\r\n\r\n\"kvr client\"\n\"kvr-client\"\r\n") << "10.0.0.2" << false
            << QStringList{"line 1: \"10.0.0.0/33\"", "line 3: \"kvr client\""} << "kvr-client (looking up)";
        QTest::newRow("a line end inside the quotes counts")
            << QByteArray("\"a\r\nb\"\r\n\"::1/200\"\r\n") << "10.0.0.2" << false
            << QStringList{"line 1: \"a", "line 3: \"::1/200\""} << "no host";
        QTest::newRow("empty file allows no one")
            << QByteArray("") << "10.0.0.2" << false << none << "no host";
        QStringList firstTen;
        for (int line = 1; line <= 10; ++line)
            firstTen << QStringLiteral("line %1: \"x!\"").arg(line);
        QTest::newRow("a file of bad records: ten named, the rest counted")
            << QByteArray("\"x!\"\r\n").repeated(5000) << "10.0.0.2" << false
            << (firstTen << "4990 more records") << "no host";
    }
    void allowListMatchesPeers()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, peer);
        QFETCH(QStringList, reported);
        ConsoleFolder dir;
        if (!file.isNull())
            dir.write(AllowedClients::FileName, file);
        AllowedClients list;
        QSignalSpy problems(&list, &AllowedClients::problem);
        list.load(dir.file(AllowedClients::FileName));
        QTEST(list.allows(QHostAddress(peer)), "allowed");
        QCOMPARE(problems.count(), reported.size());
        for (int i = 0; i < reported.size(); ++i)
            QVERIFY2(problems.at(i).first().toString().contains(reported.at(i)),
                     qPrintable(problems.at(i).first().toString()));
        QTEST(list.description(), "described");
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
        int asked = 0; // how often the gate looked at the line
        gate.setLineBusy([&] {
            ++asked;
            return busy;
        });
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
            QVERIFY2(asked < burst + 10, qPrintable(QString::number(asked))); // once an interval
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

    // A word read while a refresh runs (a dialog's event loop, say) waits its turn.
    void aRequestDuringARefreshWaitsItsTurn()
    {
        RefreshGate gate;
        gate.setInterval(50);
        int depth = 0, deepest = 0;
        QStringList ran;
        connect(&gate, &RefreshGate::refresh, this, [&](const QString &who) {
            deepest = qMax(deepest, ++depth);
            ran << who;
            if (who == "a")
                gate.request("b");
            --depth;
        });
        gate.request("a");
        QTRY_COMPARE(ran, QStringList({"a", "b"}));
        QCOMPARE(deepest, 1);
    }

    void journalSumsWordsAMinuteAndRefusalsAnHour()
    {
        qint64 now = 0;
        QStringList lines;
        RemoteJournal journal([&lines](const QString &line) { lines << line; });
        journal.setClock([&now] { return now; });
        const QString words =
            "Refresh words from 10.0.0.5: %1 received, 1 refresh run, %2 merged into a later one";
        const QString refusals = "Refused %1 from %2: not an allowed client (AllowedClients.txt)";

        journal.wordReceived("10.0.0.5"); // the first of a peer is written at once
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
        QCOMPARE(lines, (QStringList{words.arg(1).arg(0), refusals.arg("1 connection", "10.9.9.9")}));
        now = 60000;
        journal.refused("10.9.9.9");
        journal.refused("10.9.9.9");
        journal.writeDue();
        QCOMPARE(lines.mid(2), QStringList{words.arg(499).arg(498)});
        now = 3600000;
        journal.writeDue();
        QCOMPARE(lines.mid(3), QStringList{refusals.arg("2 connections", "10.9.9.9")});
        // Quiet for a span: the next word is written at once again.
        now = 3700000;
        journal.writeDue();
        journal.wordReceived("10.0.0.5");
        journal.writeDue();
        QCOMPARE(lines.size(), 5);

        // Beyond so many addresses in a span, the others are summed as one.
        now += RemoteJournal::RefusalSpanMs;
        journal.writeDue();
        for (int i = 0; i <= RemoteJournal::MaxRefusedAddresses; ++i)
            journal.refused(QStringLiteral("10.8.%1.%2").arg(i / 256).arg(i % 256));
        journal.writeDue();
        QCOMPARE(lines.filter("other addresses"),
                 QStringList{refusals.arg("1 connection", "other addresses")});
    }

    // Where an error's number depends on Qt's description, and where a number is outside the table
    // (a refusal and an unreachable network show on the client page).
    void socketErrorShowsItsTableText_data()
    {
        QTest::addColumn<E>("error");
        QTest::addColumn<QString>("description"); // as Qt gives it
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("connect timed out as a network error")
            << E::NetworkError << "Connection timed out" << 10060 << "Connection has timed out.";
        QTest::newRow("host unreachable: outside the table, the description")
            << E::NetworkError << "Host unreachable" << 10065 << "Host unreachable";
        // A number is compared as a full value, not as the 16 bits it once was.
        QTest::newRow("40017 above 32767") << E::OperationError << "described" << 40017 << "Successful.";
        QTest::newRow("40017 as a 16-bit number")
            << E::OperationError << "described" << 40017 - 65536 << "described";
    }
    void socketErrorShowsItsTableText()
    {
        QFETCH(E, error);
        QFETCH(QString, description);
        QFETCH(int, number);
        if (error != E::OperationError)
            QCOMPARE(winsockErrorNumber(error, description), number);
        QTEST(socketErrorText(number, description), "text");
    }
};

QTEST_GUILESS_MAIN(TestRemoteLogic)
#include "tst_remotelogic.moc"
