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
        QTest::addColumn<QString>("description"); // as Qt gives it
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("refused") << E::ConnectionRefusedError << "Connection refused" << 10061
                                 << "Connection is forcefully rejected.";
        QTest::newRow("host not found")
            << E::HostNotFoundError << "Host not found" << 11001 << "Authoritative answer: Host not found.";
        QTest::newRow("timed out, a text of its own")
            << E::SocketTimeoutError << "Connection timed out" << 10060 << "Connection has timed out.";
        QTest::newRow("reset") << E::RemoteHostClosedError << "The remote host closed the connection" << 10054
                               << "The connection is reset by remote side.";
        QTest::newRow("address in use")
            << E::AddressInUseError << "The bound address is already in use" << 10048 << "Address in use.";
        QTest::newRow("network down")
            << E::NetworkError << "Network is down" << 10050 << "Network subsystem failed.";
        QTest::newRow("network unreachable") << E::NetworkError << "Network unreachable" << 10051
                                             << "The network cannot be reached from this host at this time.";
        QTest::newRow("connect timed out as a network error")
            << E::NetworkError << "Connection timed out" << 10060 << "Connection has timed out.";
        QTest::newRow("host unreachable: outside the table, the description")
            << E::NetworkError << "Host unreachable" << 10065 << "Host unreachable";
        QTest::newRow("address not available")
            << E::SocketAddressNotAvailableError << "The address is not available" << 10049
            << "Address not available from the local machine.";
        QTest::newRow("no buffers") << E::SocketResourceError << "Out of resources" << 10055
                                    << "No buffer space is available.";
        QTest::newRow("wrong state") << E::OperationError << "Operation on socket is not supported" << 40020
                                     << "Invalid operation at current state";
        QTest::newRow("port below 1024 refused: the description")
            << E::SocketAccessError << "The address is protected" << 10013 << "The address is protected";
        QTest::newRow("unknown: the description")
            << E::UnknownSocketError << "Unknown error" << 0 << "Unknown error";
    }
    void errorShowsItsTableText()
    {
        QFETCH(E, error);
        QFETCH(QString, description);
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(winsockErrorNumber(error, description), number);
        QCOMPARE(socketErrorText(number, description), text);
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
