#include "ConsoleFolder.h"
#include "RemoteServer.h"
#include "TestNetwork.h"

#include <QSignalSpy>
#include <QTest>

#include <netinet/in.h>
#include <netinet/tcp.h>

namespace {
// The server under test, listening from the start, with what it reports; 'allowList' is its
// AllowedClients.txt, if it has one.
struct Server {
    ConsoleFolder dir;
    RemoteServer remote;
    QSignalSpy status{&remote, &RemoteServer::status};
    QSignalSpy refreshed{&remote, &RemoteServer::refreshRequested};
    QSignalSpy refused{&remote, &RemoteServer::refused};

    explicit Server(const QByteArray &allowList = QByteArray(), RemoteServer::KeepAlive keepAlive = {})
        : remote(keepAlive)
    {
        if (!allowList.isNull()) {
            dir.write("AllowedClients.txt", allowList);
            remote.allowedClients().load(dir.file("AllowedClients.txt"));
        }
        remote.listen();
    }
    QString lastStatus() const { return status.isEmpty() ? QString() : status.last().first().toString(); }
};

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
    return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').first().toLongLong();
}

int option(const QTcpSocket *socket, int level, int name)
{
    int value = -1;
    socklen_t size = sizeof value;
    ::getsockopt(int(socket->socketDescriptor()), level, name, &value, &size);
    return value;
}
} // namespace

// tcpServer on port 1001, driven by plain sockets. The test runs in a network namespace of
// its own where it can have one, so it can take the loopback device away.
class TestRemoteServer : public QObject {
    Q_OBJECT
    bool m_ownNetwork = false;

private slots:
    void initTestCase()
    {
        if (const QString problem = takePort1001(m_ownNetwork); !problem.isEmpty())
            QSKIP(qPrintable(problem));
    }

    // Linux routes all of 127/8 to the loopback device: the test's sockets come from
    // 127.0.0.2 and 127.0.0.3 as from two other machines. How records match an address is
    // checked with AllowedClients alone; names are looked up by the running server.
    void onlyTheExactWordFromAnAllowedClientRefreshes_data()
    {
        QTest::addColumn<QByteArray>("file"); // AllowedClients.txt; null: none
        QTest::addColumn<QString>("from");
        QTest::addColumn<QByteArray>("arrival");
        QTest::addColumn<int>("refreshes"); // -1: the connection is refused
        const QByteArray none, two("\"127.0.0.2\"\r\n"), name("\"localhost\"\r\n");
        QTest::newRow("UpdCmd") << none << "127.0.0.3" << QByteArray("UpdCmd") << 1;
        QTest::newRow("other letter case") << none << "127.0.0.1" << QByteArray("updcmd") << 0;
        QTest::newRow("a seventh byte") << none << "127.0.0.1" << QByteArray("UpdCmd\n") << 0;
        QTest::newRow("two commands in one arrival")
            << none << "127.0.0.1" << QByteArray("UpdCmdUpdCmd") << 0;
        QTest::newRow("part of the word") << none << "127.0.0.1" << QByteArray("UpdCm") << 0;
        QTest::newRow("unlisted address") << two << "127.0.0.3" << QByteArray("UpdCmd") << -1;
        QTest::newRow("name") << name << "127.0.0.1" << QByteArray("UpdCmd") << 1;
        QTest::newRow("name, another address") << name << "127.0.0.2" << QByteArray("UpdCmd") << -1;
    }
    void onlyTheExactWordFromAnAllowedClientRefreshes()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, from);
        QFETCH(int, refreshes);
        Server server(file);
        QTRY_VERIFY(!server.remote.allowedClients().description().contains("looking up"));

        QTcpSocket peer;
        QVERIFY(peer.bind(QHostAddress(from)));
        QVERIFY(connectToConsole(peer)); // the system completes the handshake before the server sees it
        if (refreshes >= 0)
            QTRY_COMPARE(server.lastStatus(), QStringLiteral("Socket Connection Request Accepted"));
        QFETCH(QByteArray, arrival);
        peer.write(arrival);
        if (refreshes < 0) {
            QTRY_COMPARE(peer.state(), QAbstractSocket::UnconnectedState);
            QCOMPARE(QList<QVariantList>(server.refused), QList<QVariantList>{{from}});
            QVERIFY(server.status.isEmpty() && server.remote.isListening() && !server.remote.connection());
        } else {
            QTRY_COMPARE(server.lastStatus(), QStringLiteral("Socket Data Arrival"));
            QCOMPARE(server.remote.clientAddress(), from);
            QVERIFY(!server.remote.isListening());
        }
        QTest::qWait(50);
        QCOMPARE(QList<QVariantList>(server.refreshed), QList<QVariantList>(qMax(0, refreshes), {from}));
        QCOMPARE(peer.bytesAvailable(), 0); // nothing is sent back
    }

    void oneClientAtATimeThenListensAgain_data()
    {
        QTest::addColumn<bool>("reset");
        QTest::newRow("the first client closes") << false;
        QTest::newRow("the first client resets") << true;
    }
    void oneClientAtATimeThenListensAgain()
    {
        QFETCH(bool, reset);
        Server server;
        QTcpSocket first;
        QVERIFY(connectToConsole(first));
        QTRY_VERIFY(!server.remote.isListening());
        const QTcpSocket *accepted = server.remote.connection(); // probed: a silent loss surfaces
        QCOMPARE((QList<int>{option(accepted, SOL_SOCKET, SO_KEEPALIVE),
                             option(accepted, IPPROTO_TCP, TCP_KEEPIDLE),
                             option(accepted, IPPROTO_TCP, TCP_KEEPINTVL),
                             option(accepted, IPPROTO_TCP, TCP_KEEPCNT)}),
                 (QList<int>{1, 60, 10, 3}));

        QTcpSocket second;
        second.connectToHost(QHostAddress::LocalHost, RemoteServer::Port);
        QVERIFY(!second.waitForConnected(3000));
        QCOMPARE(second.error(), QAbstractSocket::ConnectionRefusedError);

        reset ? resetConnection(first) : first.disconnectFromHost();
        QTRY_COMPARE(server.lastStatus(), QStringLiteral("Socket Closed"));
        QVERIFY(server.remote.isListening());
        QTcpSocket third;
        QVERIFY(connectToConsole(third));
        third.write("UpdCmd");
        QTRY_COMPARE(server.refreshed.count(), 1);
    }

    void floodIsDroppedAsItArrives()
    {
        Server server;
        QTcpSocket peer;
        QVERIFY(connectToConsole(peer));
        const qint64 before = residentKb();
        // 32 MB, far more than the system's socket buffers hold: the peer gets rid of it only
        // when the server keeps reading. The word inside the stream is not an arrival of its own.
        const QByteArray chunk = QByteArray("UpdCmd").repeated(10000);
        qint64 sent = 0;
        for (QDeadlineTimer deadline(20000); sent < (32 << 20) && !deadline.hasExpired();) {
            if (peer.bytesToWrite() < chunk.size())
                sent += peer.write(chunk);
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE_WITH_TIMEOUT(peer.bytesToWrite(), 0, 10000);
        QVERIFY2(sent >= (32 << 20), "the server stopped taking the stream");
        QTest::qWait(200);
        const qint64 growth = residentKb() - before; // nothing of it is kept
        QVERIFY2(growth < 4096, qPrintable(QStringLiteral("%1 kB more memory in use").arg(growth)));
        const int duringFlood = int(server.refreshed.count());
        peer.write("UpdCmd");
        QTRY_COMPARE(server.refreshed.count(), duringFlood + 1);
        QVERIFY(duringFlood <= 1); // an arrival of exactly six bytes is possible, not likely
    }

    void vanishedClientSurfacesAndTheServerListensAgain()
    {
        if (!m_ownNetwork)
            QSKIP("no network namespace of its own (needs root): the loopback device cannot be taken away");
        Server server({}, RemoteServer::KeepAlive{1, 1, 2});
        QTcpSocket peer;
        QVERIFY(connectToConsole(peer));
        QTRY_VERIFY(!server.remote.isListening());
        // The peer's packets stop without a FIN, as when its machine loses power.
        QCOMPARE(std::system("ip link set lo down"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(server.remote.isListening(), 10000);
        QCOMPARE(server.lastStatus(), QStringLiteral("Connection has timed out."));
        QCOMPARE(std::system("ip link set lo up"), 0);
        peer.abort();
        QTcpSocket next;
        QVERIFY(connectToConsole(next));
    }

    void refusedListeningIsShownAndTriedAgain()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, RemoteServer::Port));
        Server server;
        QCOMPARE(server.status.count(), 1);
        QCOMPARE(server.status.first().first().toString(), QStringLiteral("Address in use."));
        other.close();
        QTRY_VERIFY_WITH_TIMEOUT(server.remote.isListening(), 5000);
    }
};

QTEST_GUILESS_MAIN(TestRemoteServer)
#include "tst_remoteserver.moc"
