#include "SocketErrors.h"

#include <QTest>

using E = QAbstractSocket::SocketError;

// The Windows Sockets numbers and texts an operator sees for each socket error.
class TestSocketErrors : public QObject {
    Q_OBJECT
private slots:
    void errorShowsItsTableText_data()
    {
        QTest::addColumn<E>("error");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("refused") << E::ConnectionRefusedError << 10061
                                 << "Connection is forcefully rejected.";
        QTest::newRow("host not found")
            << E::HostNotFoundError << 11001 << "Authoritative answer: Host not found.";
        QTest::newRow("timed out, a text of its own")
            << E::SocketTimeoutError << 10060 << "Connection has timed out.";
        QTest::newRow("reset") << E::RemoteHostClosedError << 10054
                               << "The connection is reset by remote side.";
        QTest::newRow("address in use") << E::AddressInUseError << 10048 << "Address in use.";
        QTest::newRow("network down") << E::NetworkError << 10050 << "Network subsystem failed.";
        QTest::newRow("address not available")
            << E::SocketAddressNotAvailableError << 10049 << "Address not available from the local machine.";
        QTest::newRow("no buffers") << E::SocketResourceError << 10055 << "No buffer space is available.";
        QTest::newRow("would block") << E::TemporaryError << 10035
                                     << "Socket is non-blocking and the specified operation will block.";
        QTest::newRow("wrong state") << E::OperationError << 40020 << "Invalid operation at current state";
        QTest::newRow("access denied: outside the table, the description")
            << E::SocketAccessError << 10013 << "described";
        QTest::newRow("unknown: the description") << E::UnknownSocketError << 0 << "described";
    }
    void errorShowsItsTableText()
    {
        QFETCH(E, error);
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(winsockErrorNumber(error), number);
        QCOMPARE(socketErrorText(number, QStringLiteral("described")), text);
    }

    void numberIsComparedAsAFullValue_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("7") << 7 << "Out of memory";
        QTest::newRow("10058") << 10058 << "Socket has been shut down.";
        QTest::newRow("40017 above 32767") << 40017 << "Successful.";
        QTest::newRow("40017 as a 16-bit number") << 40017 - 65536 << "described";
        QTest::newRow("40026") << 40026 << "Wrong protocol for the requested transaction or request";
    }
    void numberIsComparedAsAFullValue()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(socketErrorText(number, QStringLiteral("described")), text);
    }
};

QTEST_GUILESS_MAIN(TestSocketErrors)
#include "tst_socketerrors.moc"
