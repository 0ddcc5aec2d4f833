#include "RemoteServer.h"
#include "TestNetwork.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {
// A client console as the server sees it: a plain socket on 127.0.0.1:1001.
struct Peer {
    QTcpSocket socket;
    bool connect()
    {
        socket.connectToHost(QHostAddress::LocalHost, RemoteServer::Port);
        return socket.waitForConnected(3000);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
};

// The server under test, listening from the start, with what it reports. 'allowList' is the
// path of its AllowedClients.txt, if it has one.
struct Server {
    RemoteServer remote;
    QSignalSpy status{&remote, &RemoteServer::status};
    QSignalSpy refreshed{&remote, &RemoteServer::refreshRequested};
    QSignalSpy refused{&remote, &RemoteServer::refused};
    QSignalSpy problems{&remote.allowedClients(), &AllowedClients::problem};

    explicit Server(RemoteServer::KeepAlive keepAlive = {}, const QString &allowList = QString())
        : remote(keepAlive)
    {
        if (!allowList.isEmpty())
            remote.allowedClients().load(allowList);
        remote.listen();
    }
    QString lastStatus() const { return status.isEmpty() ? QString() : status.last().first().toString(); }
};

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
        m_ownNetwork = enterOwnNetwork();
        if (const QString problem = portProblem(); !problem.isEmpty())
            QSKIP(qPrintable("port 1001 cannot be had here: " + problem));
    }

    void onlyTheExactWordRefreshes_data()
    {
        QTest::addColumn<QByteArray>("arrival");
        QTest::addColumn<int>("refreshes");
        QTest::newRow("UpdCmd") << QByteArray("UpdCmd") << 1;
        QTest::newRow("other letter case") << QByteArray("updcmd") << 0;
        QTest::newRow("a seventh byte") << QByteArray("UpdCmd\n") << 0;
        QTest::newRow("two commands in one arrival") << QByteArray("UpdCmdUpdCmd") << 0;
        QTest::newRow("part of the word") << QByteArray("UpdCm") << 0;
    }
    void onlyTheExactWordRefreshes()
    {
        QFETCH(QByteArray, arrival);
        QFETCH(int, refreshes);
        Server server;
        Peer peer;
        QVERIFY(peer.connect());
        QTRY_COMPARE(server.lastStatus(), QStringLiteral("Socket Connection Request Accepted"));
        peer.send(arrival);
        QTRY_COMPARE(server.lastStatus(), QStringLiteral("Socket Data Arrival"));
        QTest::qWait(50);
        QCOMPARE(server.refreshed.count(), refreshes);
        QCOMPARE(peer.socket.bytesAvailable(), 0); // nothing is sent back
    }

    // Linux routes all of 127/8 to the loopback device: the test's sockets come from
    // 127.0.0.2 and 127.0.0.3 as from two other machines.
    void onlyAllowedClientsAreServed_data()
    {
        QTest::addColumn<QByteArray>("file"); // AllowedClients.txt; null: none
        QTest::addColumn<QString>("from");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QString>("problem");
        const QByteArray two("\"127.0.0.2\"\r\n");
        QTest::newRow("no file: anyone") << QByteArray() << "127.0.0.3" << true << "";
        QTest::newRow("listed address") << two << "127.0.0.2" << true << "";
        QTest::newRow("unlisted address") << two << "127.0.0.3" << false << "";
        QTest::newRow("in the network") << QByteArray("\"127.0.0.2/31\"\r\n") << "127.0.0.3" << true << "";
        QTest::newRow("outside the network")
            << QByteArray("\"127.0.0.0/31\"\r\n") << "127.0.0.2" << false << "";
        QTest::newRow("name") << QByteArray("\"localhost\"\r\n") << "127.0.0.1" << true << "";
        QTest::newRow("name, another address")
            << QByteArray("\"localhost\"\r\n") << "127.0.0.2" << false << "";
        QTest::newRow("bad record left out, the next one used")
            << QByteArray("\"127.0.0.256\"\r\n") + two << "127.0.0.2" << true << "line 1: \"127.0.0.256\"";
        QTest::newRow("present but empty: no one") << QByteArray("") << "127.0.0.2" << false << "";
    }
    void onlyAllowedClientsAreServed()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, from);
        QFETCH(bool, allowed);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = dir.filePath("AllowedClients.txt");
        if (!file.isNull()) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file);
        }
        Server server({}, path);
        QCOMPARE(server.problems.count(), problem.isEmpty() ? 0 : 1);
        if (!problem.isEmpty())
            QVERIFY(server.problems.first().first().toString().contains(problem));
        QTRY_VERIFY(!server.remote.allowedClients().description().contains("looking up"));

        Peer peer;
        QVERIFY(peer.socket.bind(QHostAddress(from)));
        QVERIFY(peer.connect()); // the system completes the handshake before the server sees it
        peer.send("UpdCmd");
        if (allowed) {
            QTRY_COMPARE(server.refreshed.count(), 1);
            QCOMPARE(server.refreshed.first().first().toString(), from);
            QCOMPARE(server.remote.clientAddress(), from);
            QVERIFY(!server.remote.isListening());
            return;
        }
        QTRY_COMPARE(peer.socket.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(server.refused.count(), 1);
        QCOMPARE(server.refused.first().first().toString(), from);
        QVERIFY(server.status.isEmpty());
        QVERIFY(server.remote.isListening());
        QVERIFY(!server.remote.connection());
        QTest::qWait(50);
        QCOMPARE(server.refreshed.count(), 0);
        QCOMPARE(peer.socket.bytesAvailable(), 0);
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
        Peer first;
        QVERIFY(first.connect());
        QTRY_VERIFY(!server.remote.isListening());

        Peer second;
        QVERIFY(!second.connect());
        QCOMPARE(second.socket.error(), QAbstractSocket::ConnectionRefusedError);

        reset ? resetConnection(first.socket) : first.socket.disconnectFromHost();
        QTRY_COMPARE(server.lastStatus(), QStringLiteral("Socket Closed"));
        QVERIFY(server.remote.isListening());
        Peer third;
        QVERIFY(third.connect());
        third.send("UpdCmd");
        QTRY_COMPARE(server.refreshed.count(), 1);
    }

    void floodIsDroppedAsItArrives()
    {
        Server server;
        Peer peer;
        QVERIFY(peer.connect());
        // 32 MB, far more than the system's socket buffers hold: the peer gets rid of it only
        // when the server keeps reading. The word inside the stream is not an arrival of its own.
        const QByteArray chunk = QByteArray("UpdCmd").repeated(10000);
        qint64 sent = 0;
        QDeadlineTimer deadline(20000);
        while (sent < (32 << 20) && !deadline.hasExpired()) {
            if (peer.socket.bytesToWrite() < chunk.size()) {
                peer.send(chunk);
                sent += chunk.size();
            }
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE_WITH_TIMEOUT(peer.socket.bytesToWrite(), 0, 10000);
        QVERIFY2(sent >= (32 << 20), "the server stopped taking the stream");
        QTest::qWait(200);
        const int duringFlood = int(server.refreshed.count());
        peer.send("UpdCmd");
        QTRY_COMPARE(server.refreshed.count(), duringFlood + 1);
        QVERIFY(duringFlood <= 1); // an arrival of exactly six bytes is possible, not likely
    }

    void acceptedConnectionIsProbed()
    {
        Server server;
        Peer quiet;
        QVERIFY(quiet.connect());
        QTRY_VERIFY(server.remote.connection());
        const QTcpSocket *accepted = server.remote.connection();
        QCOMPARE(option(accepted, SOL_SOCKET, SO_KEEPALIVE), 1);
        QCOMPARE(option(accepted, IPPROTO_TCP, TCP_KEEPIDLE), 60);
        QCOMPARE(option(accepted, IPPROTO_TCP, TCP_KEEPINTVL), 10);
        QCOMPARE(option(accepted, IPPROTO_TCP, TCP_KEEPCNT), 3);
        quiet.socket.abort();
        QTRY_VERIFY(server.remote.isListening());
        server.remote.closeConnection();
    }

    void vanishedClientSurfacesAndTheServerListensAgain()
    {
        if (!m_ownNetwork)
            QSKIP("no network namespace of its own (needs root): the loopback device cannot be taken away");
        Server server(RemoteServer::KeepAlive{1, 1, 2});
        Peer peer;
        QVERIFY(peer.connect());
        QTRY_VERIFY(!server.remote.isListening());
        // The peer's packets stop without a FIN, as when its machine loses power.
        QCOMPARE(std::system("ip link set lo down"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(server.remote.isListening(), 10000);
        QCOMPARE(server.lastStatus(), QStringLiteral("Connection has timed out."));
        QCOMPARE(std::system("ip link set lo up"), 0);
        peer.socket.abort();
        Peer next;
        QVERIFY(next.connect());
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
