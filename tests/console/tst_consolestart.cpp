#include "ConsoleProcess.h" // with ConsoleFolder and PtyPair
#include "SingleInstance.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString InvalidComPort = QStringLiteral("Invalid com port, Open comm error");

// Every text the console put in a message box, in order (its journal has each as
// "<time> message: <text>").
QStringList messages(const QByteArray &output)
{
    QStringList texts;
    for (const QByteArray &line : output.split('\n')) {
        const qsizetype at = line.indexOf(" message: ");
        if (at > 0 && !line.left(at).contains(' '))
            texts << QString::fromUtf8(line.mid(at + 10));
    }
    return texts;
}

// A fresh device is in line mode with echo at 38400 baud; opening the port makes it raw 9600.
void makeCooked(const PtyPair &pty)
{
    const int fd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios tio = pty.attributes();
    tio.c_lflag |= ICANON | ECHO;
    ::cfsetspeed(&tio, B38400);
    ::tcsetattr(fd, TCSANOW, &tio);
    ::close(fd);
}

bool isRaw9600(const PtyPair &pty)
{
    const termios tio = pty.attributes();
    return ::cfgetospeed(&tio) == B9600 && (tio.c_lflag & (ICANON | ECHO)) == 0;
}

// Processor time (user + system, the 12th and 13th fields after the name) in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

// The frames of a byte stream, each whole; empty when any byte is not part of a whole frame.
QList<QByteArray> wholeFrames(const QByteArray &bytes)
{
    QList<QByteArray> frames;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = at + 4 < bytes.size() ? 6 + quint8(bytes.at(at + 4)) : 0;
        if (length == 0 || !bytes.mid(at).startsWith(QByteArray("\x02\x00\x01\x00", 4)) ||
            bytes.size() < at + length || bytes.at(at + length - 1) != '\x04')
            return {};
        frames.append(bytes.mid(at, length));
        at += length;
    }
    return frames;
}

} // namespace

class TestConsoleStart : public QObject {
    Q_OBJECT

private slots:
    void startUp_data()
    {
        QTest::addColumn<QByteArray>("comset"); // null: no comset.prt
        QTest::addColumn<bool>("devicePresent");
        QTest::addColumn<QByteArray>("config"); // null: no page in use; empty: no ConfigSetup.txt
        QTest::addColumn<QStringList>("messages");

        const QByteArray stored = "0,3,4,0,0", none, missing(""), cut("8,\"Pages\"\r\n");
        QTest::newRow("first start: five zeros") << none << true << none << QStringList{InvalidComPort};
        QTest::newRow("stored setting opens silently") << stored << true << none << QStringList();
        QTest::newRow("device missing: messages in order")
            << stored << false << none
            << QStringList{"Invalid Port Number", InvalidComPort, " Please Select Correct Comm Port !"};
        QTest::newRow("no ConfigSetup.txt") << stored << true << missing << QStringList{"ConfigSetup.txt"};
        QTest::newRow("ConfigSetup.txt cut short") << stored << true << cut << QStringList{"ConfigSetup.txt"};
    }
    void startUp()
    {
        QFETCH(QByteArray, comset);
        QFETCH(bool, devicePresent);
        QFETCH(QByteArray, config);
        QFETCH(QStringList, messages);

        ConsoleFolder folder;
        PtyPair pty;
        makeCooked(pty);
        const QString device = devicePresent ? pty.slavePath() : folder.file("ttyGone");
        folder.write("ComPorts.txt", "1,\"" + device.toLocal8Bit() + "\"\r\n");
        if (!comset.isNull())
            folder.write("comset.prt", comset);
        if (config.isNull())
            folder.usePages({});
        else if (!config.isEmpty())
            folder.write("ConfigSetup.txt", config);

        ConsoleProcess console(folder);
        QVERIFY2(console.start(), console.output().constData());
        if (!messages.isEmpty())
            QVERIFY(console.waitForOutput("message: " + messages.last().toUtf8()));
        QTest::qWait(1000); // start-up has no end marker: time to post what it should not

        QStringList shown = ::messages(console.output());
        shown.replaceInStrings(QRegularExpression("^ConfigSetup\\.txt.*"), "ConfigSetup.txt");
        QCOMPARE(shown, messages);
        QCOMPARE(console.process().state(), QProcess::Running);
        QCOMPARE(folder.read("comset.prt"),
                 comset.isNull() ? QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n") : comset);
        QCOMPARE(isRaw9600(pty), messages.filter(InvalidComPort).isEmpty());
        QCOMPARE(pty.read(1, 200), QByteArray()); // no page in use: nothing is sent
    }

    void nextStart_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("console running: a second start leaves all alone") << "running";
        QTest::newRow("console killed with -9: the next start runs") << "killed";
        QTest::newRow("lock left empty by a crash a minute ago: the next start runs") << "empty lock";
        for (int round = 1; round <= 3; ++round)
            QTest::addRow("two starts at once, round %d: one console", round) << "together";
    }
    void nextStart()
    {
        QFETCH(QString, before);

        ConsoleFolder folder;
        PtyPair pty;
        folder.useAsComPort(pty);
        folder.usePages({});
        const QString lock = folder.tempPath() + "/pav-control.lock";
        ConsoleProcess first(folder), next(folder), further(folder);
        auto ended = [](ConsoleProcess &console) {
            return console.process().state() == QProcess::NotRunning;
        };
        if (before == "empty lock") { // old, since a lock being written this moment is not taken over
            QFile empty(lock);
            QVERIFY(empty.open(QIODevice::WriteOnly));
            QVERIFY(empty.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                      QFileDevice::FileModificationTime));
        } else if (before == "together") {
            first.process().start(folder.root() + "/pav-control", {});
            next.process().start(folder.root() + "/pav-control", {});
            QTRY_VERIFY_WITH_TIMEOUT(ended(first) || ended(next), 20000);
        } else {
            QVERIFY2(first.start(), first.output().constData());
        }
        if (before == "killed") {
            first.process().kill();
            QVERIFY(first.process().waitForFinished(10000) && QFile::exists(lock));
        }
        if (before == "killed" || before == "empty lock")
            QVERIFY2(next.start(), next.output().constData());
        ConsoleProcess &runner = ended(first) ? next : first, &loser = ended(first) ? first : next;
        QVERIFY2(runner.waitForOutput("window shown", 15000), runner.output().constData());
        QCOMPARE(messages(runner.output()), QStringList()); // the device was free again
        if (before == "together")
            QVERIFY2(loser.process().exitCode() == 0 && !loser.output().contains("window shown"),
                     loser.output().constData());

        // The console that runs now holds the lock for real: a further start gives way at once,
        // showing nothing and leaving the working folder alone.
        auto files = [&] {
            QStringList entries;
            for (const QFileInfo &info : QDir(folder.sysPath()).entryInfoList(QDir::Files | QDir::Hidden))
                entries << info.fileName() + info.lastModified().toString(Qt::ISODateWithMs);
            return entries;
        };
        const QStringList untouched = files();
        further.process().start(folder.root() + "/pav-control", {});
        QVERIFY(further.process().waitForFinished(5000));
        QVERIFY(further.process().exitStatus() == QProcess::NormalExit && further.process().exitCode() == 0);
        QVERIFY2(!further.output().contains("window shown") && messages(further.output()).isEmpty(),
                 further.output().constData());
        QCOMPARE(files(), untouched);
        QCOMPARE(runner.process().state(), QProcess::Running);
    }

    void secondStartAsksRunningConsoleToComeForward()
    {
        // The test stands in for the running console, through the console's own class.
        ConsoleFolder folder;
        const QByteArray machineTemp = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", machineTemp); });
        qputenv("TMPDIR", folder.tempPath().toLocal8Bit());
        SingleInstance running(QStringLiteral("pav-control"));
        QVERIFY(running.claim());
        QSignalSpy asked(&running, &SingleInstance::activationRequested);
        ConsoleProcess second(folder);
        second.process().start(folder.root() + "/pav-control", {});
        QVERIFY(asked.wait(10000));
        QVERIFY(second.process().waitForFinished(10000) && second.process().exitCode() == 0);
        QVERIFY(!folder.exists("comset.prt"));
    }

    void hostileFilesInTheWorkingFolderDoNotHoldTheStartUp()
    {
        // A FIFO where a file belongs would block for good; an oversized file would take
        // minutes and hundreds of megabytes. Each is refused with its reason.
        ConsoleFolder folder;
        folder.usePages({0, 1});
        for (const char *name : {"comset.prt", "ComPorts.txt", "default.pav"})
            QCOMPARE(::mkfifo(QFile::encodeName(folder.file(name)).constData(), 0600), 0);
        folder.write("VGAReg.cfg", QByteArray(2 * 1024 * 1024, '1'));
        ConsoleProcess console(folder);
        QVERIFY2(console.start(), console.output().constData());
        QVERIFY2(console.waitForOutput("a FIFO, not a file") && console.waitForOutput("larger than 1 MiB"),
                 console.output().constData());
    }

    void startsBesideTheMachinesOwnConsole()
    {
        // A console the machine runs holds the lock in the usual temporary folder (here the
        // test holds it, unless a real console already does).
        SingleInstance machines(QStringLiteral("pav-control"));
        machines.claim();
        QVERIFY(QFile::exists(QDir::tempPath() + "/pav-control.lock"));
        ConsoleFolder folder;
        folder.usePages({});
        ConsoleProcess console(folder);
        QVERIFY2(console.start(), console.output().constData());
    }

    void registersReachASlowLineWholeInOrderAndOnce()
    {
        // A 19200-baud line takes 1920 bytes a second: 3000 entries without a pause are 30 KB,
        // more than a pseudo-terminal's buffer holds (about 20 KB here, 4 KB on some kernels),
        // so the console has to wait for the device again and again.
        ConsoleFolder folder;
        PtyPair pty;
        folder.useAsComPort(pty);
        folder.usePages({1});
        QByteArray cfg = "0\r\n", expected;
        for (int i = 0; i < 3000; ++i) {
            cfg += QByteArray::number(i % 256) + ',' + QByteArray::number(i / 256) + ",90\r\n";
            expected += QByteArray("\x02\x00\x01\x00\x04\x0B", 6) + char(i % 256) + char(i / 256) + 'Z' + '\x04';
        }
        folder.write("VGAReg.cfg", cfg);
        ConsoleProcess console(folder);
        QVERIFY2(console.start(), console.output().constData());
        const QList<QByteArray> frames = wholeFrames(pty.readAtLineRate(1920));
        QVERIFY2(!frames.isEmpty(), "a byte outside a whole frame");
        QByteArray registers;
        for (const QByteArray &frame : frames) {
            if (frame.at(5) == '\x0B')
                registers += frame;
        }
        QCOMPARE(registers.size(), expected.size());
        QVERIFY(registers == expected);
        QVERIFY2(console.waitForOutput("VGA registers sent: 3000 entries", 2000), console.output().constData());
        QVERIFY2(!console.output().contains("is gone"), console.output().constData());
    }

    void vanishedDeviceIsReportedOnceAndComesBack()
    {
        ConsoleFolder folder;
        PtyPair adapter, fresh;
        // Com 1 is a name the test points at whichever adapter is plugged in.
        const QString device = folder.file("ttyKVR");
        QVERIFY(QFile::link(adapter.slavePath(), device));
        folder.write("ComPorts.txt", "1,\"ttyKVR\"\r\n");
        folder.write("comset.prt", "0,3,4,0,0");
        folder.usePages({});
        ConsoleProcess console(folder);
        QVERIFY2(console.start(), console.output().constData());
        auto lost = [&] { return messages(console.output()).filter("is gone").size(); };

        adapter.closeMaster(); // pulled out
        QVERIFY2(console.waitForOutput("message: The serial device", 10000), console.output().constData());
        // It keeps trying to reopen the device, quietly and without spinning.
        const qint64 pid = console.process().processId(), ticksBefore = cpuTicks(pid);
        QTest::qWait(2000);
        const qint64 cpuMs = (cpuTicks(pid) - ticksBefore) * 1000 / ::sysconf(_SC_CLK_TCK);
        QVERIFY2(cpuMs < 500, qPrintable(QStringLiteral("%1 ms of processor time in 2 s").arg(cpuMs)));
        QCOMPARE(lost(), 1);
        QVERIFY(!console.output().contains("is back"));

        QVERIFY(QFile::remove(device) && QFile::link(fresh.slavePath(), device)); // a new adapter
        QVERIFY2(console.waitForOutput("is back", 12000), console.output().constData());
        QVERIFY(isRaw9600(fresh)); // opened as before
        QCOMPARE(lost(), 1);
        // The journal has both, each one timestamped line under its topic.
        for (const char *event : {"is gone", "is back"}) {
            const QRegularExpression line(QStringLiteral("(^|\\n)\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\S* port: The serial "
                                                         "device \\S+ %1").arg(event));
            QVERIFY2(line.match(QString::fromUtf8(console.output())).hasMatch(), event);
        }
        fresh.closeMaster(); // watched again: a new loss is reported once more
        QTRY_COMPARE_WITH_TIMEOUT(lost(), 2, 10000);
    }
};

QTEST_GUILESS_MAIN(TestConsoleStart)
#include "tst_consolestart.moc"
