#include "SocketErrors.h"

#include <QTest>

using E = QAbstractSocket::SocketError;

// The Windows Sockets numbers and texts an operator sees for socket errors: where an error's
// number depends on Qt's description, and where a number is outside the table.
class TestSocketErrors : public QObject {
    Q_OBJECT
private slots:
    void errorShowsItsTableText_data()
    {
        QTest::addColumn<E>("error");
        QTest::addColumn<QString>("description"); // as Qt gives it
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("refused") << E::ConnectionRefusedError << "Connection refused" << 10061
                                 << "Connection is forcefully rejected.";
        QTest::newRow("timed out, a text of its own")
            << E::SocketTimeoutError << "Connection timed out" << 10060 << "Connection has timed out.";
        QTest::newRow("network down")
            << E::NetworkError << "Network is down" << 10050 << "Network subsystem failed.";
        QTest::newRow("network unreachable") << E::NetworkError << "Network unreachable" << 10051
                                             << "The network cannot be reached from this host at this time.";
        QTest::newRow("connect timed out as a network error")
            << E::NetworkError << "Connection timed out" << 10060 << "Connection has timed out.";
        QTest::newRow("host unreachable: outside the table, the description")
            << E::NetworkError << "Host unreachable" << 10065 << "Host unreachable";
        QTest::newRow("unknown: the description")
            << E::UnknownSocketError << "Unknown error" << 0 << "Unknown error";
        // A number is compared as a full value, not as the 16 bits it once was.
        QTest::newRow("40017 above 32767") << E::OperationError << "described" << 40017 << "Successful.";
        QTest::newRow("40017 as a 16-bit number")
            << E::OperationError << "described" << 40017 - 65536 << "described";
    }
    void errorShowsItsTableText()
    {
        QFETCH(E, error);
        QFETCH(QString, description);
        QFETCH(int, number);
        if (error != E::OperationError)
            QCOMPARE(winsockErrorNumber(error, description), number);
        QTEST(socketErrorText(number, description), "text");
    }
};

QTEST_GUILESS_MAIN(TestSocketErrors)
#include "tst_socketerrors.moc"
