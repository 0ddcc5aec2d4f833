#include "ConsoleProcess.h"
#include "ConsoleWindow.h"
#include "Frames.h"
#include "MessageQueue.h"
#include "TestNetwork.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace Frames;

// The Client and Server pages in a console window: the client against a plain listener on
// 127.0.0.1:1001, the modes the pages put the other pages into, and the host name kept by Exit;
// and the built console as server, with its controller on a pseudo-terminal. What the server
// takes and refuses is checked with RemoteServer alone.
class TestRemotePages : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        bool own = false; // the pages need no network of their own
        if (const QString problem = takePort1001(own); !problem.isEmpty())
            QSKIP(qPrintable(problem));
    }

    void connectAndItsEnd_data()
    {
        QTest::addColumn<QString>("host");  // typed into the box; null: the one HostName.txt holds
        QTest::addColumn<bool>("enterKey"); // else the Connect button
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message");
        const QString stored, connected = "Socket Connected Successfully", none;
        QTest::newRow("Connect button") << stored << false << connected << none;
        QTest::newRow("Enter in the host box") << stored << true << connected << none;
        QTest::newRow("empty host") << "" << false << none << "Please Enter Host Server Name";
        QTest::newRow("nobody listening")
            << "127.0.0.1" << false << "Connection is forcefully rejected." << none;
        // Outside the test's loopback-only network the attempt fails before it returns.
        QTest::newRow("network unreachable at once")
            << "10.1.2.3" << false << "The network cannot be reached from this host at this time." << none;
    }
    void connectAndItsEnd()
    {
        QFETCH(QString, host);
        QFETCH(QString, status);
        QTcpServer listener; // listens for the rows that connect
        QVERIFY(!host.isNull() || listener.listen(QHostAddress::LocalHost, 1001));
        ConsoleWindow console;
        console.folder.write("HostName.txt", "\"127.0.0.1\"\r\n");
        console.start({6});
        QSignalSpy posted(&console.window->messages(), &MessageQueue::posted);
        if (!host.isNull())
            console.find<QLineEdit>("txtHostName")->setText(host);
        QFETCH(bool, enterKey);
        enterKey ? QTest::keyClick(console.find("txtHostName"), Qt::Key_Return) : console.click("cmdConnect");
        QTRY_COMPARE(console.text("txtClientStatus"), status);
        QTest::qWait(50);
        QCOMPARE(console.text("txtClientStatus"), status);
        QTEST(posted.isEmpty() ? QString() : posted.first().first().toString(), "message");
        if (!host.isNull()) { // a failure leaves both ready for another try
            QVERIFY(console.enabled("cmdConnect") && console.enabled("txtHostName"));
            return;
        }
        QVERIFY(!console.enabled("cmdConnect") && !console.enabled("txtHostName"));
        QTcpSocket *server = listener.nextPendingConnection();
        QVERIFY(server);
        console.click("CmdRefresh");               // the word alone: the server takes no other arrival
        QTRY_COMPARE(server->bytesAvailable(), 6); // through the event loop
        QCOMPARE(server->readAll(), QByteArray("UpdCmd"));
        server->close();
        QTRY_COMPARE(console.text("txtClientStatus"), QStringLiteral("Server connection closed"));
        QVERIFY(console.enabled("cmdConnect") && !console.enabled("txtHostName"));
        console.click("CmdRefresh");
        QCOMPARE(console.text("txtClientStatus"), QStringLiteral("Socket Closed"));
    }

    void pagesPutTheConsoleIntoItsMode_data()
    {
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QString>("controls"); // each shown (+), hidden (-), enabled (=) or disabled (!)
        QTest::newRow("client: sends nothing of its own, even with the port open")
            << QList<int>{1, 3, 6}
            << "+cmdLoadNVideo +cmdSchTaskOpen +cmdSchTaskSaveAs -cmdSaveDefaultNvideo -cmdSchTaskNew "
               "-cmdSchTaskSave =CmdSaveAsNVideo !CmdSendRegN !cmdRetransmit !cmdPort";
        QTest::newRow("client with the intensity pages")
            << QList<int>{4, 5, 6}
            << "+cmdIntScheduleOpen +cmdIntScheduleSaveAs -cmdIntScheduleSave -cmdIntScheduleNew !cmdApply "
               "!cmdRetransmit";
        QTest::newRow("server")
            << QList<int>{1, 3, 7}
            << "+cmdSaveDefaultNvideo +cmdSchTaskSave -cmdLoadNVideo =CmdSendRegN =cmdRetransmit =cmdPort";
        QTest::newRow("both: the server's settings come later and win")
            << QList<int>{1, 3, 6, 7}
            << "+cmdSaveDefaultNvideo +cmdSchTaskSave -cmdLoadNVideo -cmdSchTaskNew =CmdSendRegN "
               "!cmdRetransmit !cmdPort";
    }
    void pagesPutTheConsoleIntoItsMode()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QString, controls);
        ConsoleWindow console;
        console.start(pages);
        QVERIFY(console.window->serialLink().isOpen());
        auto check = [&] {
            for (const QString &control : controls.split(' ')) {
                QWidget *w = console.find(control.mid(1));
                const bool shownRule = control[0] == '+' || control[0] == '-';
                QVERIFY2(shownRule ? w->isHidden() == (control[0] == '-')
                                   : w->isEnabled() == (control[0] == '='),
                         qPrintable(control));
            }
        };
        check();
        // Editing a page that sets no button state leaves the mode as it was; on a client,
        // not even the intensity page's Manual and Add, which would enable Apply elsewhere.
        if (auto *delay = console.window->findChild<QLineEdit *>("TxtWatchdogDelay")) {
            delay->setText("7");
            console.find<QComboBox>("cboManualIntensity")->setCurrentIndex(0);
            console.find<QRadioButton>("optAutomatic")->click();
            console.find<QRadioButton>("optManual")->click();
            console.click("cmdAddIntTime");
            check();
        }
    }

    // Who may connect is worded by the allow list; the page shows it and who is connected.
    void serverPageShowsForWhomAndWho()
    {
        ConsoleWindow console;
        console.folder.write("AllowedClients.txt", "\"127.0.0.1\"\r\n\"10.0.0.0/8\"\r\n");
        console.start({7});
        auto label = [&](const char *name) { return console.find<QLabel>(name)->text(); };
        const QString listening = "Listening on port 1001 for 127.0.0.1, 10.0.0.0/8";
        QCOMPARE(label("lblListening") + '|' + label("lblConnectedClient"),
                 listening + "|Connected client: none");
        QTcpSocket client;
        QVERIFY(connectToConsole(client));
        QTRY_COMPARE(label("lblConnectedClient"), QStringLiteral("Connected client: 127.0.0.1"));
        QCOMPARE(label("lblListening"),
                 QStringLiteral("Not listening on port 1001 while a client is connected"));
        QCOMPARE(console.text("txthostServer"), QStringLiteral("Socket Connection Request Accepted"));
        client.disconnectFromHost();
        QTRY_COMPARE(label("lblListening") + '|' + label("lblConnectedClient"),
                     listening + "|Connected client: none");
    }

    void exitKeepsTheHostName_data()
    {
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QByteArray>("file"); // HostName.txt at start; null: none
        QTest::addColumn<QString>("typed");   // then typed into the box; null: nothing
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArray>("written");
        const QByteArray stored = "\"kvr-server\"\r\n";
        const QString none;
        QTest::newRow("client page, first start: an empty name")
            << QList<int>{6} << QByteArray() << none << none << none << QByteArray("\"\"\r\n");
        QTest::newRow("no client page: an empty name")
            << QList<int>{7} << stored << none << "Enter Host Name" << none << QByteArray("\"\"\r\n");
        QTest::newRow("the stored name kept, a double quote typed not taken")
            << QList<int>{6} << stored << "kvr\"x"
            << "kvr-server"
            << "The host name holds a double quote (\"), which HostName.txt cannot store; it was not taken."
            << stored;
        QTest::newRow("a name outside Latin-1 is kept in UTF-8")
            << QList<int>{6} << stored << QString::fromUtf8("сервер") << QString::fromUtf8("сервер") << none
            << QByteArray("\"\xd1\x81\xd0\xb5\xd1\x80\xd0\xb2\xd0\xb5\xd1\x80\"\r\n");
    }
    void exitKeepsTheHostName()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QByteArray, file);
        QFETCH(QString, typed);
        ConsoleWindow console;
        if (!file.isNull())
            console.folder.write("HostName.txt", file);
        console.start(pages);
        if (!typed.isNull())
            console.find<QLineEdit>("txtHostName")->setText(typed);
        QTEST(console.text("txtHostName"), "shown");
        QTEST(console.text("txtClientStatus"), "status");
        console.click("cmdExit");
        QTEST(console.folder.read("HostName.txt"), "written");
    }

    void aBurstPutsAtMostTwoRefreshesOnASlowLine()
    {
        // 500 words from a listed client to the built console as server, while its controller
        // takes 960 bytes a second: the first word's refresh (default.pav changed from the start
        // state since start-up: what changed, then all nine values), then one more (the nine)
        // for all that came after it, the last included.
        PtyPair pty;
        ConsoleFolder folder;
        folder.useAsComPort(pty);
        folder.usePages({0, 7});
        folder.write("default.pav", StartState);
        folder.write("AllowedClients.txt", "\"127.0.0.1\"\r\n");
        ConsoleProcess process(folder);
        QVERIFY2(process.start(), process.output().constData());
        pty.read(1 << 16, 500); // start-up's frames
        folder.write("default.pav", Changed);
        QTcpSocket client;
        client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QVERIFY(connectToConsole(client));
        for (int i = 0; i < 500; ++i) {
            client.write("UpdCmd");
            client.waitForBytesWritten(1000);
            QThread::usleep(500); // so that words arrive one by one, each judged alone
        }
        const QByteArray nine = of({{1, 1}}) + Pictures + Options;
        QCOMPARE(pty.readAtLineRate(960, 2500).toHex(' '),
                 (Pictures + of({{1, 1}}) + Options + nine + nine).toHex(' '));
        QVERIFY2(!process.output().contains("is gone"), process.output().constData());
    }
};

QTEST_MAIN(TestRemotePages)
#include "tst_remotepages.moc"
