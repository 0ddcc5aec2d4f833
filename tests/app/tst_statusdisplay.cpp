#include "ReceiveBuffer.h"
#include "StatusBox.h"
#include "StatusDisplay.h"

#include <QTest>

namespace {

// What the operator and the controller do to the status box, one step an entry:
// "r:<bytes>" bytes arrive, "t" a frame goes out, "c" the Clear button, "w" the box catches up.
using Steps = QList<QByteArray>;

} // namespace

class TestStatusDisplay : public QObject {
    Q_OBJECT
private slots:
    void showsReceiveBuffer_data();
    void showsReceiveBuffer();
    void arrivalsAreCoalescedInOrder();
    void longArrivalKeepsNewest64KiB_data();
    void longArrivalKeepsNewest64KiB();
    void longStreamKeepsBoxShowingBuffer();
};

void TestStatusDisplay::showsReceiveBuffer_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("buffer");
    QTest::addColumn<QString>("box");

    QTest::newRow("two printable characters after a transmit")
        << Steps{"r:XYZ", "w", "t", "r:OK", "w"} << "OK" << QString("OK");
    QTest::newRow("carriage return shows as [0D]") << Steps{"t", "r:A\r", "w"} << "A[0D]" << QString("A[0D]");
    QTest::newRow("codes 30, 31 and 127 stay, 29 and 128 are marked")
        << Steps{"t", QByteArray("r:\x1d\x1e\x1f\x7f\x80\xff"), "w"} << "[1D]\x1e\x1f\x7f[80][FF]"
        << QString("[1D]\x1e\x1f\x7f[80][FF]");
    QTest::newRow("Clear empties only the box") << Steps{"r:AB", "w", "c"} << "AB" << QString();
    QTest::newRow("arrival after Clear shows the whole buffer")
        << Steps{"r:AB", "w", "c", "r:C", "w"} << "ABC" << QString("ABC");
    QTest::newRow("Clear before the box caught up, then an arrival")
        << Steps{"r:AB", "c", "r:C", "w"} << "ABC" << QString("ABC");
    QTest::newRow("transmit empties buffer and box") << Steps{"r:AB", "w", "t"} << "" << QString();
    QTest::newRow("transmit drops what was still to be shown")
        << Steps{"r:AB", "t", "r:C", "w"} << "C" << QString("C");
    QTest::newRow("arrival after Clear and transmit shows only the new text")
        << Steps{"r:AB", "w", "c", "t", "r:C", "w"} << "C" << QString("C");
}

void TestStatusDisplay::showsReceiveBuffer()
{
    QFETCH(Steps, steps);
    QFETCH(QString, buffer);
    QFETCH(QString, box);

    ReceiveBuffer receiveBuffer;
    StatusBox statusBox;
    StatusDisplay display(receiveBuffer, statusBox);
    for (const QByteArray &step : steps) {
        if (step.startsWith("r:"))
            display.received(step.mid(2));
        else if (step == "t")
            display.transmitted();
        else if (step == "c")
            display.clearBox();
        else if (step == "w")
            QTRY_COMPARE_WITH_TIMEOUT(statusBox.text(), receiveBuffer.text(), 5000);
    }
    QCOMPARE(receiveBuffer.text(), buffer);
    QCOMPARE(statusBox.text(), box);
}

void TestStatusDisplay::arrivalsAreCoalescedInOrder()
{
    ReceiveBuffer receiveBuffer;
    StatusBox statusBox;
    StatusDisplay display(receiveBuffer, statusBox);
    display.received("start ");
    QTRY_COMPARE_WITH_TIMEOUT(statusBox.text(), QString("start "), 5000);

    QString expected = "start ";
    for (int i = 0; i < 500; ++i) {
        const QByteArray piece = QByteArray::number(i) + (i % 7 == 0 ? "\r\n" : ",");
        display.received(piece);
        expected += ReceiveBuffer::displayForm(piece);
    }
    // Every arrival is in the buffer at once; the box is brought up to date later, in one go.
    QCOMPARE(receiveBuffer.text(), expected);
    QCOMPARE(statusBox.text(), QString("start "));
    QTRY_COMPARE_WITH_TIMEOUT(statusBox.text(), expected, 5000);
}

void TestStatusDisplay::longArrivalKeepsNewest64KiB_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("clearFirst");

    QByteArray text;
    for (int i = 0; text.size() < 200 * 1024; ++i)
        text += QByteArray::number(i) + ' ';
    QTest::newRow("200 KiB of text") << text << false;
    QTest::newRow("40000 control bytes, four characters each") << QByteArray(40000, '\r') << false;
    QTest::newRow("200 KiB after Clear") << text << true;
}

void TestStatusDisplay::longArrivalKeepsNewest64KiB()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, clearFirst);

    ReceiveBuffer receiveBuffer;
    StatusBox statusBox;
    StatusDisplay display(receiveBuffer, statusBox);
    display.received("old");
    if (clearFirst)
        display.clearBox();
    display.received(bytes);

    const QString newest = ReceiveBuffer::displayForm(bytes).right(64 * 1024);
    QCOMPARE(receiveBuffer.text(), newest);
    QTRY_COMPARE_WITH_TIMEOUT(statusBox.text().size(), newest.size(), 5000);
    QCOMPARE(statusBox.text(), newest);
}

void TestStatusDisplay::longStreamKeepsBoxShowingBuffer()
{
    ReceiveBuffer receiveBuffer;
    StatusBox statusBox;
    StatusDisplay display(receiveBuffer, statusBox);
    QString all;
    for (int i = 0; i < 300; ++i) {
        const QByteArray piece(1000 + (i % 7) * 13, char('a' + i % 26));
        display.received(piece);
        all += QString::fromLatin1(piece);
        if (i % 9 == 0)
            display.refresh(); // the refresh timer's turn, at fixed points so the run repeats exactly
    }
    display.refresh();

    QVERIFY(receiveBuffer.text().size() >= 64 * 1024);
    QVERIFY(all.endsWith(receiveBuffer.text()));
    QCOMPARE(statusBox.text().size(), receiveBuffer.text().size());
    QVERIFY(receiveBuffer.text().endsWith(statusBox.text()));
}

QTEST_MAIN(TestStatusDisplay)
#include "tst_statusdisplay.moc"
