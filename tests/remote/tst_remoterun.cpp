#include "ConsoleProcess.h"
#include "Frames.h"
#include "MainWindow.h"
#include "TestNetwork.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QTest>

using namespace Frames;

namespace {
// default.pav changes from the start state to Changed while the console runs: the reload
// sends what changed, Retransmit sends all nine values; a second refresh only the nine.
const QByteArray Nine = of({{1, 1}}) + Pictures + Options;
const QByteArray Refresh = Pictures + of({{1, 1}}) + Options + Nine;

// The built console as server, with the video page, on a pseudo-terminal.
struct ServerConsole {
    PtyPair pty;
    ConsoleFolder folder;
    std::unique_ptr<ConsoleProcess> process;

    bool start()
    {
        folder.useAsComPort(pty);
        folder.usePages({0, 7});
        folder.write("default.pav", StartState);
        process = std::make_unique<ConsoleProcess>(folder);
        if (!process->start())
            return false;
        pty.read(1 << 16, 500); // start-up's frames
        folder.write("default.pav", Changed);
        return true;
    }
};
} // namespace

// The built console as server on 127.0.0.1:1001 with its controller on a pseudo-terminal. What
// the server takes and refuses is checked with RemoteServer alone.
class TestRemoteRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        enterOwnNetwork(); // the console started from here inherits it
        if (const QString problem = portProblem(); !problem.isEmpty())
            QSKIP(qPrintable("port 1001 cannot be had here: " + problem));
    }

    void aBurstPutsAtMostTwoRefreshesOnASlowLine()
    {
        // 500 words from a listed client while the controller takes 960 bytes a second: the
        // first word's refresh, then one more for all that came after it, the last included.
        ServerConsole server;
        server.folder.write("AllowedClients.txt", "\"127.0.0.1\"\r\n");
        QVERIFY2(server.start(), server.process->output().constData());
        QTcpSocket client;
        client.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        QVERIFY(connectToConsole(client));
        for (int i = 0; i < 500; ++i) {
            client.write("UpdCmd");
            client.waitForBytesWritten(1000);
            QThread::usleep(500); // so that words arrive one by one, each judged alone
        }
        const QByteArray line = server.pty.readAtLineRate(960, 2500);
        QCOMPARE(line.toHex(' '), (Refresh + Nine).toHex(' '));
        QVERIFY2(!server.process->output().contains("is gone"), server.process->output().constData());
    }

    void clientConsoleRefreshesTheServerConsole()
    {
        ServerConsole server;
        QVERIFY2(server.start(), server.process->output().constData());
        ConsoleFolder clientFolder;
        clientFolder.usePages({6});
        clientFolder.write("HostName.txt", "\"127.0.0.1\"\r\n");
        MainWindow client{WorkingFolder(clientFolder.sysPath())};
        client.startUp();
        auto *status = client.findChild<QLineEdit *>("txtClientStatus");
        for (int attempt = 0; attempt < 50 && status->text() != "Socket Connected Successfully"; ++attempt) {
            client.findChild<QPushButton *>("cmdConnect")->click();
            QTRY_VERIFY(!status->text().isEmpty());
            if (status->text() != "Socket Connected Successfully")
                status->clear(); // the server console was not listening yet
        }
        QCOMPARE(status->text(), QStringLiteral("Socket Connected Successfully"));
        client.findChild<QPushButton *>("CmdRefresh")->click();
        QTest::qWait(100); // the word leaves through the event loop
        QCOMPARE(received(server.pty, Refresh.size()), Refresh.toHex(' '));
    }
};

QTEST_MAIN(TestRemoteRun)
#include "tst_remoterun.moc"
