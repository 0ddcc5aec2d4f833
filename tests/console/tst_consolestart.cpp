#include "ConsoleFolder.h"
#include "ConsoleProcess.h"
#include "PtyPair.h"
#include "SingleInstance.h"

#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <memory>
#include <termios.h>
#include <unistd.h>

namespace {

const QString InvalidComPort = QStringLiteral("Invalid com port, Open comm error");
const QByteArray StoredDefaults = "0,3,4,0,0";

// Every text the console put in a message box, in order (it logs each as "message: <text>").
QStringList messages(const QByteArray &output)
{
    QStringList texts;
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("message: "))
            texts << QString::fromUtf8(line.mid(9));
    }
    return texts;
}

int countMessages(const QByteArray &output, const QString &part)
{
    return int(messages(output).filter(part).size());
}

// Lets the console run on for a while, collecting what it logs. Used only where the test
// must see that something does not happen.
void runFor(ConsoleProcess &console, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired() && console.process().state() == QProcess::Running)
        console.process().waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    console.output();
}

// Puts the terminal in the state a fresh serial device has: line mode, echo, 38400 baud.
// Opening the port must change that to raw 9600.
void makeCooked(const PtyPair &pty)
{
    const int fd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(fd, &tio);
    tio.c_lflag |= ICANON | ECHO;
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    ::tcsetattr(fd, TCSANOW, &tio);
    ::close(fd);
}

bool isRaw9600(const PtyPair &pty)
{
    const termios tio = pty.attributes();
    return ::cfgetospeed(&tio) == B9600 && (tio.c_lflag & (ICANON | ECHO)) == 0;
}

bool isUntouched(const PtyPair &pty)
{
    const termios tio = pty.attributes();
    return ::cfgetospeed(&tio) == B38400 && (tio.c_lflag & ICANON) != 0;
}

// Processor time (user + system) the process has used, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name: state is the first, utime the 12th, stime the 13th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

// Every file and folder of an installation except the program, with its bytes and time.
QStringList snapshot(const ConsoleFolder &folder)
{
    QStringList entries;
    QDirIterator it(folder.root(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.fileName() == QLatin1String("pav-control"))
            continue;
        QFile file(info.filePath());
        const QByteArray bytes = info.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : "<dir>";
        entries << info.filePath() + QLatin1Char(' ') + info.lastModified().toString(Qt::ISODateWithMs) +
                       QLatin1Char(' ') + QString::fromLatin1(bytes.toHex());
    }
    entries.sort();
    return entries;
}

bool pointLink(const QString &link, const QString &target)
{
    QFile::remove(link);
    return QFile::link(target, link);
}

} // namespace

class TestConsoleStart : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void startUpOpensStoredPortAndReportsInOrder_data();
    void startUpOpensStoredPortAndReportsInOrder();
    void unusableInstallationFileIsNamedAndConsoleRuns_data();
    void unusableInstallationFileIsNamedAndConsoleRuns();

    void secondStartLeavesEverythingAlone_data();
    void secondStartLeavesEverythingAlone();
    void simultaneousStartsGiveOneConsole();
    void secondStartAsksRunningConsoleToComeForward();
    void leftoverLockDoesNotBlockNextStart_data();
    void leftoverLockDoesNotBlockNextStart();

    void vanishedDeviceIsReportedOnceAndComesBack();

private:
    // The lock and the local socket go into a temporary folder of this test's own, so other
    // test runs on the machine do not meet this one's consoles.
    std::unique_ptr<QTemporaryDir> m_temp;
};

void TestConsoleStart::initTestCase()
{
    m_temp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temp->isValid());
    qputenv("TMPDIR", m_temp->path().toLocal8Bit());
}

void TestConsoleStart::startUpOpensStoredPortAndReportsInOrder_data()
{
    QTest::addColumn<QByteArray>("comset"); // empty: no comset.prt
    QTest::addColumn<bool>("devicePresent");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("comsetAfter");
    QTest::addColumn<bool>("opens");

    const QByteArray zeros = "0\r\n0\r\n0\r\n0\r\n0\r\n";
    QTest::newRow("first start: comset.prt created as five zeros, port left alone")
        << QByteArray() << true << QStringList{InvalidComPort} << zeros << false;
    QTest::newRow("stored 9600,N,8,1 opens the device raw, silently")
        << StoredDefaults << true << QStringList() << StoredDefaults << true;
    QTest::newRow("device missing: port error, warning, then the closing hint")
        << StoredDefaults << false
        << QStringList{"Invalid Port Number", InvalidComPort, " Please Select Correct Comm Port !"}
        << StoredDefaults << false;
    QTest::newRow("4 data bits stored: byte size error, then warning")
        << QByteArray("0,3,0,0,0") << true
        << QStringList{"The specified byte size is invalid", InvalidComPort} << QByteArray("0,3,0,0,0")
        << false;
    QTest::newRow("position outside its list: only the warning")
        << QByteArray("0,9,4,0,0") << true << QStringList{InvalidComPort} << QByteArray("0,9,4,0,0") << false;
}

void TestConsoleStart::startUpOpensStoredPortAndReportsInOrder()
{
    QFETCH(QByteArray, comset);
    QFETCH(bool, devicePresent);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, comsetAfter);
    QFETCH(bool, opens);

    ConsoleFolder folder;
    PtyPair pty;
    QVERIFY(pty.isValid());
    makeCooked(pty);
    const QString device = devicePresent ? pty.slavePath() : folder.file("ttyGone");
    folder.write("ComPorts.txt", "1,\"" + device.toLocal8Bit() + "\"\r\n");
    if (!comset.isEmpty())
        folder.write("comset.prt", comset);
    folder.usePages({});

    ConsoleProcess console(folder);
    QVERIFY2(console.start(), console.output().constData());
    if (!messages.isEmpty())
        QVERIFY(console.waitForOutput("message: " + messages.last().toUtf8()));
    // Start-up has no end marker: give it time to post anything it should not.
    runFor(console, 1000);

    QCOMPARE(::messages(console.output()), messages);
    QCOMPARE(console.process().state(), QProcess::Running);
    QCOMPARE(folder.read("comset.prt"), comsetAfter);
    QCOMPARE(pty.read(1, 200), QByteArray()); // no page in use: nothing is sent
    if (opens)
        QVERIFY(isRaw9600(pty));
    else if (devicePresent)
        QVERIFY2(isUntouched(pty), "the device was configured although the port stays closed");
}

void TestConsoleStart::unusableInstallationFileIsNamedAndConsoleRuns_data()
{
    QTest::addColumn<QByteArray>("config"); // empty: no ConfigSetup.txt

    QTest::newRow("missing") << QByteArray();
    QTest::newRow("empty") << QByteArray(" ");
    QTest::newRow("ends after the page count") << QByteArray("8,\"Pages\"\r\n");
    QTest::newRow("page count is no number") << QByteArray("\"Pages\",8\r\n4,\"Per row\"\r\n");
    QTest::newRow("page records cut short")
        << QByteArray("8,\"Pages\"\r\n4,\"Per row\"\r\n0,\"Video\",1\r\n1,\"NVideo\"\r\n");
}

void TestConsoleStart::unusableInstallationFileIsNamedAndConsoleRuns()
{
    QFETCH(QByteArray, config);

    ConsoleFolder folder;
    PtyPair pty;
    QVERIFY(pty.isValid());
    makeCooked(pty);
    folder.useAsComPort(pty);
    if (!config.isEmpty())
        folder.write("ConfigSetup.txt", config);

    ConsoleProcess console(folder);
    QVERIFY2(console.start(), console.output().constData());
    QVERIFY(console.waitForOutput("message: ConfigSetup.txt"));
    runFor(console, 1000);

    QCOMPARE(countMessages(console.output(), "ConfigSetup.txt"), 1);
    QCOMPARE(console.process().state(), QProcess::Running);
    // The port is independent of the installation file and works as usual.
    QCOMPARE(countMessages(console.output(), InvalidComPort), 0);
    QVERIFY(isRaw9600(pty));
    QCOMPARE(pty.read(1, 200), QByteArray());
}

void TestConsoleStart::secondStartLeavesEverythingAlone_data()
{
    QTest::addColumn<bool>("sameInstallation");

    QTest::newRow("same installation") << true;
    QTest::newRow("another installation on the machine") << false;
}

void TestConsoleStart::secondStartLeavesEverythingAlone()
{
    QFETCH(bool, sameInstallation);

    ConsoleFolder first;
    PtyPair pty;
    QVERIFY(pty.isValid());
    first.useAsComPort(pty);
    first.usePages({});
    ConsoleProcess running(first);
    QVERIFY2(running.start(), running.output().constData());

    // The other installation has no comset.prt: a console that got as far as the port would
    // create one.
    ConsoleFolder other;
    other.write("ComPorts.txt", "1,\"" + pty.slavePath().toLocal8Bit() + "\"\r\n");
    const ConsoleFolder &secondFolder = sameInstallation ? first : other;
    ConsoleProcess second(secondFolder);
    const QStringList before = snapshot(secondFolder);

    QElapsedTimer took;
    took.start();
    second.process().start(secondFolder.root() + "/pav-control", {});
    QVERIFY(second.process().waitForFinished(15000));
    QVERIFY2(took.elapsed() < 5000, qPrintable(QStringLiteral("took %1 ms").arg(took.elapsed())));
    QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process().exitCode(), 0);
    QVERIFY2(!second.output().contains("window shown"), second.output().constData());
    QCOMPARE(messages(second.output()), QStringList());

    QCOMPARE(snapshot(secondFolder), before);
    QCOMPARE(running.process().state(), QProcess::Running);
    QCOMPARE(pty.read(1, 200), QByteArray());
}

void TestConsoleStart::simultaneousStartsGiveOneConsole()
{
    ConsoleFolder folder;
    PtyPair pty;
    QVERIFY(pty.isValid());
    folder.useAsComPort(pty);
    folder.usePages({});
    const QString program = folder.root() + "/pav-control";

    for (int round = 0; round < 3; ++round) {
        ConsoleProcess a(folder);
        ConsoleProcess b(folder);
        a.process().start(program, {});
        b.process().start(program, {});
        QVERIFY(a.process().waitForStarted(10000) && b.process().waitForStarted(10000));

        QDeadlineTimer deadline(20000);
        while (a.process().state() == QProcess::Running && b.process().state() == QProcess::Running &&
               !deadline.hasExpired()) {
            a.process().waitForFinished(50);
            b.process().waitForFinished(50);
        }
        ConsoleProcess &loser = a.process().state() == QProcess::Running ? b : a;
        ConsoleProcess &winner = &loser == &a ? b : a;
        QVERIFY2(loser.process().state() == QProcess::NotRunning, "both consoles still run");
        QCOMPARE(loser.process().exitCode(), 0);
        QVERIFY2(winner.waitForOutput("window shown", 15000), winner.output().constData());
        runFor(winner, 300);
        QCOMPARE(winner.process().state(), QProcess::Running);
        QVERIFY(!loser.output().contains("window shown"));
        winner.stop();
    }
}

void TestConsoleStart::secondStartAsksRunningConsoleToComeForward()
{
    // This test takes the running console's place, through the console's own class.
    SingleInstance running(QStringLiteral("pav-control"));
    QVERIFY(running.claim());
    QSignalSpy asked(&running, &SingleInstance::activationRequested);

    ConsoleFolder folder;
    ConsoleProcess second(folder);
    second.process().start(folder.root() + "/pav-control", {});
    QVERIFY(asked.wait(10000));
    QVERIFY(second.process().waitForFinished(10000));
    QCOMPARE(second.process().exitCode(), 0);
    QCOMPARE(asked.count(), 1);
    QVERIFY(!folder.exists("comset.prt"));
}

void TestConsoleStart::leftoverLockDoesNotBlockNextStart_data()
{
    QTest::addColumn<bool>("killRunning");

    QTest::newRow("console killed with -9") << true;
    QTest::newRow("lock left empty by a crash while it was taken") << false;
}

void TestConsoleStart::leftoverLockDoesNotBlockNextStart()
{
    QFETCH(bool, killRunning);

    ConsoleFolder folder;
    PtyPair pty;
    QVERIFY(pty.isValid());
    folder.useAsComPort(pty);
    folder.usePages({});
    const QString lock = QDir::tempPath() + "/pav-control.lock";
    // Whatever the outcome, the next test must not find this row's lock.
    const auto removeLock = qScopeGuard([&] { QFile::remove(lock); });

    if (killRunning) {
        ConsoleProcess killed(folder);
        QVERIFY2(killed.start(), killed.output().constData());
        killed.process().kill();
        QVERIFY(killed.process().waitForFinished(10000));
        QVERIFY2(QFile::exists(lock), "the killed console left no lock");
    } else {
        // Left by a crash a while ago: a lock being written this moment is not taken over.
        QFile empty(lock);
        QVERIFY(empty.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(empty.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    }

    ConsoleProcess next(folder);
    QVERIFY2(next.start(), next.output().constData());
    QCOMPARE(countMessages(next.output(), InvalidComPort), 0); // the device was free again

    // The new console holds the lock for real: a further start still gives way to it.
    ConsoleProcess third(folder);
    third.process().start(folder.root() + "/pav-control", {});
    QVERIFY(third.process().waitForFinished(15000));
    QCOMPARE(third.process().exitCode(), 0);
    QVERIFY(!third.output().contains("window shown"));
    QCOMPARE(next.process().state(), QProcess::Running);
}

void TestConsoleStart::vanishedDeviceIsReportedOnceAndComesBack()
{
    ConsoleFolder folder;
    auto adapter = std::make_unique<PtyPair>();
    QVERIFY(adapter->isValid());
    makeCooked(*adapter);
    // Com 1 is a name in the working folder that the test points at whichever adapter is in.
    const QString device = folder.file("ttyKVR");
    QVERIFY(pointLink(device, adapter->slavePath()));
    folder.write("ComPorts.txt", "1,\"ttyKVR\"\r\n");
    folder.write("comset.prt", StoredDefaults);
    folder.usePages({});

    ConsoleProcess console(folder);
    QVERIFY2(console.start(), console.output().constData());
    QVERIFY(isRaw9600(*adapter));
    QCOMPARE(countMessages(console.output(), InvalidComPort), 0);

    adapter->closeMaster(); // pulled out
    // The status line comes first; wait for the message box's line.
    QVERIFY2(console.waitForOutput("message: The serial device", 10000), console.output().constData());
    const QStringList gone = messages(console.output()).filter("is gone");
    QCOMPARE(gone.size(), 1);
    QVERIFY2(gone.first().startsWith("The serial device"), qPrintable(gone.first()));

    // The console keeps trying to reopen the device, quietly and without spinning.
    const qint64 pid = console.process().processId();
    const qint64 ticksBefore = cpuTicks(pid);
    QElapsedTimer wall;
    wall.start();
    runFor(console, 2000);
    const qint64 cpuMs = (cpuTicks(pid) - ticksBefore) * 1000 / ::sysconf(_SC_CLK_TCK);
    QCOMPARE(countMessages(console.output(), "is gone"), 1);
    QVERIFY(!console.output().contains("is back"));
    QCOMPARE(console.process().state(), QProcess::Running);
    QVERIFY2(cpuMs < wall.elapsed() / 4,
             qPrintable(QStringLiteral("%1 ms of processor time in %2 ms").arg(cpuMs).arg(wall.elapsed())));

    // A new adapter appears under the same name.
    PtyPair fresh;
    QVERIFY(fresh.isValid());
    makeCooked(fresh);
    QVERIFY(pointLink(device, fresh.slavePath()));
    QVERIFY2(console.waitForOutput("is back", 12000), console.output().constData());
    QVERIFY(console.output().contains("status: The serial device"));
    QVERIFY(isRaw9600(fresh));
    QCOMPARE(countMessages(console.output(), "is gone"), 1);
    QCOMPARE(fresh.read(1, 200), QByteArray()); // no page in use: nothing to send again

    // Back means watched again: losing the new adapter is a new loss, reported once more.
    fresh.closeMaster();
    QTRY_COMPARE_WITH_TIMEOUT(countMessages(console.output(), "is gone"), 2, 10000);
}

QTEST_GUILESS_MAIN(TestConsoleStart)
#include "tst_consolestart.moc"
