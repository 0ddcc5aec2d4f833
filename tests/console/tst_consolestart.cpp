#include "ConsoleProcess.h" // with ConsoleFolder and PtyPair
#include "SingleInstance.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// A datagram socket at a path, as a service manager's notification socket or the journal's
// socket is; it keeps what arrives with the time it arrived.
class DatagramSocket {
public:
    explicit DatagramSocket(const QString &path) : m_path(path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(),
                    std::min<size_t>(name.size(), sizeof address.sun_path - 1));
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~DatagramSocket()
    {
        ::close(m_fd);
        QFile::remove(m_path);
    }
    bool isBound() const { return m_bound; }

    struct Datagram {
        qint64 at; // ms since the socket was made
        QByteArray bytes;
    };
    // What arrives within the next 'ms' milliseconds, added to what came before.
    const QList<Datagram> &receive(int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            pollfd watch{m_fd, POLLIN, 0};
            if (::poll(&watch, 1, static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))) <= 0)
                continue;
            char buffer[8192];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n > 0)
                m_received.append({m_clock.elapsed(), QByteArray(buffer, n)});
        }
        return m_received;
    }
    // Waits up to 'ms' for a datagram holding the text.
    bool waitFor(const QByteArray &text, int ms)
    {
        QDeadlineTimer deadline(ms);
        do {
            for (const Datagram &datagram : std::as_const(m_received)) {
                if (datagram.bytes.contains(text))
                    return true;
            }
            receive(50);
        } while (!deadline.hasExpired());
        return false;
    }
    const QList<Datagram> &received() const { return m_received; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_bound = false;
    QElapsedTimer m_clock = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    QList<Datagram> m_received;
};

// A working folder the installer's check finds usable: Video, NVideo, Schedule and SchTask in
// use, the port a file that exists, a daily schedule of two setting files and a task naming it.
void writeUsableFolder(const ConsoleFolder &folder)
{
    folder.usePages({0, 1, 2, 3});
    folder.write("comset.prt", "0,3,4,0,0");
    folder.write("ttyKVR", "");
    folder.write("ComPorts.txt", "1,\"ttyKVR\"\r\n");
    const QByteArray setting = "\"Video\"\r\n\"Adaptive\"\r\n\"Linear\"\r\n\"On\"\r\n\"Composite1\"\r\n"
                               "\"128\"\r\n\"64\"\r\n\"64\"\r\n\"128\"\r\n";
    folder.write("default.pav", setting);
    folder.write("evening.pav", setting);
    folder.write("VGAReg.cfg", "2\r\n&H11,&H00,&H5F\r\n");
    folder.write("schedule.shd", "3,\"\t06:00\tdefault.pav\r\t18:00\tevening.pav\"\r\n");
    folder.write("ScheduleTask.tsk", "2,\"\t01/01/2020\tschedule.shd\t20200101\"\r\n");
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

    void serviceManagerIsTold_data()
    {
        QTest::addColumn<bool>("notifySocket");
        QTest::addColumn<QString>("watchdogPid"); // "self", or another process's
        QTest::addColumn<bool>("watchdog");       // WATCHDOG=1 expected
        QTest::newRow("service with a watchdog: ready, watchdog at half its interval, stopping")
            << true << "self" << true;
        QTest::newRow("watchdog meant for another process: ready and stopping only") << true << "1" << false;
        QTest::newRow("started by hand: nothing is sent") << false << "self" << false;
    }
    void serviceManagerIsTold()
    {
        QFETCH(bool, notifySocket);
        QFETCH(QString, watchdogPid);
        QFETCH(bool, watchdog);

        ConsoleFolder folder;
        PtyPair pty;
        folder.useAsComPort(pty);
        folder.usePages({});
        DatagramSocket manager(folder.runtimePath() + "/notify");
        QVERIFY(manager.isBound());
        ConsoleProcess console(folder);
        QProcessEnvironment env = console.process().processEnvironment();
        if (notifySocket)
            env.insert("NOTIFY_SOCKET", folder.runtimePath() + "/notify");
        env.insert("WATCHDOG_USEC", "400000");
        console.process().setProcessEnvironment(env);
        if (watchdogPid == "self") {
            // The process's own id is known only once it runs: a shell sets it and becomes the console.
            console.process().setProgram("/bin/sh");
            console.process().setArguments(
                {"-c", "WATCHDOG_PID=$$ exec \"$0\"", folder.root() + "/pav-control"});
        } else {
            env.insert("WATCHDOG_PID", watchdogPid);
            console.process().setProcessEnvironment(env);
            console.process().setProgram(folder.root() + "/pav-control");
        }
        console.process().start();
        QVERIFY2(console.waitForOutput("window shown", 15000), console.output().constData());

        if (notifySocket) {
            QVERIFY2(manager.waitFor("READY=1", 5000), console.output().constData());
            const QByteArray ready = manager.received().first().bytes;
            QVERIFY2(
                ready.contains("STATUS=Com 1 open (" + pty.slavePath().toUtf8() + ")"),
                ready.constData());
        }
        // Every 200 ms while the loop runs, never a gap as long as the 400 ms interval (after which
        // the manager would kill the console and start it again).
        QList<qint64> beats;
        for (const DatagramSocket::Datagram &datagram : manager.receive(2000)) {
            if (datagram.bytes.contains("WATCHDOG=1"))
                beats << datagram.at;
        }
        if (watchdog) {
            QVERIFY2(beats.size() >= 6 && beats.size() <= 12, qPrintable(QString::number(beats.size())));
            for (qsizetype i = 1; i < beats.size(); ++i)
                QVERIFY2(beats.at(i) - beats.at(i - 1) < 400,
                         qPrintable(QString::number(beats.at(i) - beats.at(i - 1))));
        } else {
            QCOMPARE(beats.size(), 0);
        }

        // The service manager stops a service with SIGTERM: the console ends as the tray's Exit ends it.
        console.process().terminate();
        QVERIFY(console.process().waitForFinished(5000));
        QCOMPARE(console.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(console.process().exitCode(), 0);
        QCOMPARE(console.output().count(" exit: the console ends"), 1);
        if (notifySocket)
            QVERIFY(manager.waitFor("STOPPING=1", 2000));
        else
            QCOMPARE(manager.receive(200).size(), 0);
    }

    void journalEntries_data()
    {
        QTest::addColumn<bool>("stderrIsTheStream"); // JOURNAL_STREAM names standard error
        QTest::newRow("standard error is the journal's stream: entries with priority and topic") << true;
        QTest::newRow("the variable inherited, standard error elsewhere: lines as before") << false;
    }
    void journalEntries()
    {
        QFETCH(bool, stderrIsTheStream);
        // The journal's socket is the one libsystemd always uses; only a machine without a
        // journal lets the test stand in for it.
        const QString journalDir = "/run/systemd/journal";
        if (QFileInfo::exists(journalDir + "/socket"))
            QSKIP("A journal runs on this machine; its entries cannot be watched here.");
        const bool made = !QFileInfo::exists(journalDir);
        if (made && !QDir().mkpath(journalDir))
            QSKIP("/run/systemd/journal cannot be made (not root).");
        const auto cleanUp = qScopeGuard([&] {
            if (made)
                QDir().rmpath(journalDir);
        });
        DatagramSocket journal(journalDir + "/socket");
        QVERIFY(journal.isBound());

        // A device that is missing gives an error, a message and a warning at start.
        ConsoleFolder folder;
        folder.write("ComPorts.txt", "1,\"" + folder.file("ttyGone").toLocal8Bit() + "\"\r\n");
        folder.write("comset.prt", "0,3,4,0,0");
        folder.usePages({});
        const QString errors = folder.tempPath() + "/stderr";
        QFile(errors).open(QIODevice::WriteOnly);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(errors).constData(), &st), 0);
        ConsoleProcess console(folder);
        QProcessEnvironment env = console.process().processEnvironment();
        env.insert("JOURNAL_STREAM", stderrIsTheStream
                                         ? QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino)
                                         : QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino + 1));
        console.process().setProcessEnvironment(env);
        console.process().setProcessChannelMode(QProcess::SeparateChannels);
        console.process().setStandardErrorFile(errors);
        console.process().start(folder.root() + "/pav-control", {});
        QVERIFY(console.process().waitForStarted());

        const QByteArray warning = "MESSAGE=message:  Please Select Correct Comm Port !";
        if (!stderrIsTheStream) {
            const auto written = [&] {
                QFile file(errors);
                return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            };
            QTRY_VERIFY_WITH_TIMEOUT(written().contains(" message:  Please Select Correct Comm Port !"),
                                     15000);
            QVERIFY2(written().contains(" port: Com 1 ("), written().constData());
            QCOMPARE(journal.receive(200).size(), 0);
            return;
        }
        QVERIFY(journal.waitFor(warning, 15000));
        QStringList entries;
        for (const DatagramSocket::Datagram &datagram : journal.received()) {
            const QList<QByteArray> fields = datagram.bytes.split('\n');
            QCOMPARE(fields.value(3), QByteArray("SYSLOG_IDENTIFIER=pav-control"));
            entries << QString::fromUtf8(fields.value(1) + ' ' + fields.value(2) + ' ' +
                                         fields.value(0).left(60));
        }
        const QStringList expected{
            "PRIORITY=3 PAV_TOPIC=message MESSAGE=message: Invalid Port Number",
            "PRIORITY=3 PAV_TOPIC=port MESSAGE=port: Com 1 (" + folder.file("ttyGone"),
            "PRIORITY=3 PAV_TOPIC=message MESSAGE=message: Invalid com port, Open comm error",
            "PRIORITY=6 PAV_TOPIC=start MESSAGE=start: window shown; working folder " + folder.sysPath(),
            "PRIORITY=4 PAV_TOPIC=message MESSAGE=message:  Please Select Correct Comm Port !"};
        QCOMPARE(entries.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QVERIFY2(expected.at(i).startsWith(entries.at(i)), qPrintable(entries.join('\n')));
    }

    void installersCheck_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("problems"); // the lines before the summary
        QTest::newRow("usable folder") << QString() << 0 << QStringList();
        QTest::newRow("a setting file missing")
            << "evening.pav" << 1
            << QStringList{"schedule.shd: entry 2 (18:00): the setting file evening.pav is missing"};
        QTest::newRow("a damaged table")
            << "ScheduleTask.tsk" << 1
            << QStringList{"ScheduleTask.tsk: byte 2: the row count says 2 entries, the table text holds 1"};
        QTest::newRow("a bad ConfigSetup.txt")
            << "ConfigSetup.txt" << 1
            << QStringList{
                   "ConfigSetup.txt: the file ends before the pages per row; the console runs with no "
                   "page in use"};
    }
    void installersCheck()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, problems);
        ConsoleFolder folder;
        writeUsableFolder(folder);
        if (damage == "evening.pav")
            QVERIFY(QFile::remove(folder.file(damage)));
        else if (damage == "ScheduleTask.tsk")
            folder.write(damage, "3,\"\t01/01/2020\tschedule.shd\t20200101\"\r\n");
        else if (damage == "ConfigSetup.txt")
            folder.write(damage, "8,\"Pages\"\r\n");
        const auto files = [&] {
            QStringList entries;
            for (const QFileInfo &info :
                 QDir(folder.root()).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                entries << info.fileName() + info.lastModified().toString(Qt::ISODateWithMs);
            for (const QFileInfo &info : QDir(folder.sysPath()).entryInfoList(QDir::Files | QDir::Hidden))
                entries << info.fileName() + info.lastModified().toString(Qt::ISODateWithMs);
            return entries;
        };
        ConsoleProcess console(folder); // copies the program into the folder's root
        const QStringList before = files();

        // No display to be had: a check that made a window would not start at all.
        QProcessEnvironment env = console.process().processEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        console.process().setProcessEnvironment(env);
        console.process().start(folder.root() + "/pav-control", {"--check", folder.sysPath()});
        QVERIFY(console.process().waitForFinished(10000));
        QStringList lines = QString::fromUtf8(console.output()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        const QString summary = lines.takeLast();
        QVERIFY2(summary.endsWith(problems.isEmpty() ? ": all usable."
                                                     : ": " + QString::number(problems.size()) + " problem" +
                                                           (problems.size() > 1 ? "s." : ".")),
                 qPrintable(summary));
        QCOMPARE(lines.size(), problems.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(lines.at(i).startsWith(problems.at(i)), qPrintable(lines.at(i)));
        QTEST(console.process().exitCode(), "exitCode");
        QCOMPARE(files(), before); // nothing written, no lock taken
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
