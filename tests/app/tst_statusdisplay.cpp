#include "ReceiveBuffer.h"
#include "StatusBox.h"
#include "StatusDisplay.h"

#include <QTest>

struct Console {
    ReceiveBuffer buffer;
    StatusBox box;
    StatusDisplay display{buffer, box};
};

class TestStatusDisplay : public QObject {
    Q_OBJECT
private slots:
    // What the operator and the controller do, one step a character: a letter arrives,
    // t a frame goes out, c the Clear button, w the box catches up.
    void clearAndTransmit_data()
    {
        QTest::addColumn<QByteArray>("steps");
        QTest::addColumn<QString>("shown"); // the buffer's text | the box's text
        QTest::newRow("arrival after Clear shows the whole buffer") << QByteArray("ABwcCw") << "ABC|ABC";
        QTest::newRow("Clear before the box caught up, then an arrival") << QByteArray("ABcCw") << "ABC|ABC";
        QTest::newRow("transmit empties buffer and box") << QByteArray("ABwt") << "|";
        QTest::newRow("transmit drops what was still to be shown") << QByteArray("ABtCw") << "C|C";
        // Codes below 30 and above 127: 29 and 128 are marked, 30 and 127 are not.
        QTest::newRow("codes marked") << QByteArray("O\r\x1d\x1e\x7f\x80\xffw")
                                      << QString("O[0D][1D]\x1e\x7f[80][FF]|O[0D][1D]\x1e\x7f[80][FF]");
    }
    void clearAndTransmit()
    {
        QFETCH(QByteArray, steps);
        QFETCH(QString, shown);
        Console c;
        for (const char step : steps) {
            if (step == 't')
                c.display.transmitted();
            else if (step == 'c')
                c.display.clearBox();
            else if (step == 'w')
                QTRY_COMPARE_WITH_TIMEOUT(c.box.text(), c.buffer.text(), 5000);
            else
                c.display.received(QByteArray(1, step));
        }
        QCOMPARE(c.buffer.text() + '|' + c.box.text(), shown);
    }

    void arrivalsAreCoalescedInOrder()
    {
        Console c;
        QString expected;
        for (int i = 0; i < 500; ++i) {
            const QByteArray piece = QByteArray::number(i) + (i % 7 == 0 ? "\r\n" : ",");
            c.display.received(piece);
            expected += ReceiveBuffer::displayForm(piece);
        }
        // Every arrival is in the buffer at once; the box is brought up to date later, in one go.
        QCOMPARE(c.buffer.text(), expected);
        QCOMPARE(c.box.text(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(c.box.text(), expected, 5000);
    }

    // A controller that talks for months: only the newest 64 KiB (up to a quarter more) are kept,
    // and the box keeps showing exactly the buffer, also across a Clear.
    void longStreamKeepsNewestText()
    {
        Console c;
        QString all;
        for (int i = 0; i < 300; ++i) {
            const QByteArray piece =
                QByteArray(1000 + (i % 7) * 13, char('a' + i % 26)) + (i % 5 ? "" : "\r");
            c.display.received(piece);
            all += ReceiveBuffer::displayForm(piece);
            if (i % 9 == 0)
                c.display.refresh(); // the refresh timer's turn, at fixed points so the run repeats
            if (i == 150)
                c.display.clearBox();
        }
        c.display.refresh();
        QVERIFY(c.buffer.text().size() >= 64 * 1024 && c.buffer.text().size() <= 80 * 1024);
        QVERIFY(all.endsWith(c.buffer.text()));
        QCOMPARE(c.box.text(), c.buffer.text());

        const QByteArray block(200 * 1024, 'x'); // one arrival larger than the buffer
        c.display.received(block);
        QCOMPARE(c.buffer.text(), QString(64 * 1024, 'x'));
        QTRY_COMPARE_WITH_TIMEOUT(c.box.text(), c.buffer.text(), 5000);
    }
};

QTEST_MAIN(TestStatusDisplay)
#include "tst_statusdisplay.moc"
