#include "ConsoleProcess.h" // with ConsoleFolder and PtyPair
#include "Frames.h"
#include "ServiceNotifier.h"
#include "SingleInstance.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <cstring>
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
    const QRegularExpression line("^\\S+ message: (.*)$", QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : line.globalMatch(QString::fromUtf8(output)))
        texts << m.captured(1);
    return texts;
}

// A datagram socket at a path, as a service manager's notification socket or the journal's
// socket is; it keeps what arrives, each with when it came (ms since the socket was made).
class DatagramSocket {
public:
    explicit DatagramSocket(const QString &path) : m_path(path)
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{AF_UNIX, {}};
        std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
        const timeval step{0, 50000}; // a receive waits at most this long
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &step, sizeof step);
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        m_clock.start();
    }
    ~DatagramSocket()
    {
        ::close(m_fd);
        QFile::remove(m_path);
    }
    bool isBound() const { return m_bound; }
    QList<std::pair<qint64, QByteArray>> received;

    // Waits 'ms', or less once a datagram holds 'text'; true when one does.
    bool receive(int ms, const QByteArray &text = QByteArray())
    {
        const auto holds = [&] {
            return std::any_of(received.cbegin(), received.cend(),
                               [&](const auto &d) { return !text.isNull() && d.second.contains(text); });
        };
        for (QDeadlineTimer deadline(ms); !deadline.hasExpired() && !holds();) {
            char buffer[8192];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n > 0)
                received.append({m_clock.elapsed(), QByteArray(buffer, n)});
        }
        return holds();
    }

private:
    QString m_path;
    int m_fd = -1;
    bool m_bound = false;
    QElapsedTimer m_clock;
};

// Each entry of a folder with the time it was last written.
QStringList stamps(const QString &dir)
{
    QStringList entries;
    for (const QFileInfo &info :
         QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        entries << info.fileName() + info.lastModified().toString(Qt::ISODateWithMs);
    return entries;
}

} // namespace

class TestConsoleStart : public QObject {
    Q_OBJECT

private slots:
    void startUp_data()
    {
        QTest::addColumn<QByteArray>("comset"); // null: no comset.prt
        QTest::addColumn<bool>("devicePresent");
        QTest::addColumn<QByteArray>("config"); // null: no page in use; else no ConfigSetup.txt
        QTest::addColumn<QStringList>("messages");

        const QByteArray stored = "0,3,4,0,0", none, missing("");
        QTest::newRow("first start: five zeros") << none << true << none << QStringList{InvalidComPort};
        QTest::newRow("stored setting opens silently") << stored << true << none << QStringList();
        QTest::newRow("device missing: messages in order")
            << stored << false << none
            << QStringList{"Invalid Port Number", InvalidComPort, " Please Select Correct Comm Port !"};
        QTest::newRow("no ConfigSetup.txt") << stored << true << missing << QStringList{"ConfigSetup.txt"};
    }
    void startUp()
    {
        QFETCH(QByteArray, comset);
        QFETCH(bool, devicePresent);
        QFETCH(QByteArray, config);
        QFETCH(QStringList, messages);

        ConsoleFolder folder;
        PtyPair pty; // at 38400 baud until the console opens it
        const QString device = devicePresent ? pty.slavePath() : folder.file("ttyGone");
        folder.write("ComPorts.txt", "1,\"" + device.toLocal8Bit() + "\"\r\n");
        if (!comset.isNull())
            folder.write("comset.prt", comset);
        if (config.isNull())
            folder.usePages({});

        ConsoleProcess console(folder);
        QVERIFY2(console.start(), console.output().constData());
        if (!messages.isEmpty())
            QVERIFY(console.waitForOutput("message: " + messages.last().toUtf8()));
        QTest::qWait(1000); // start-up has no end marker: time to post what it should not

        QStringList shown = ::messages(console.output());
        shown.replaceInStrings(QRegularExpression("^ConfigSetup\\.txt.*"), "ConfigSetup.txt");
        QCOMPARE(shown, messages);
        QVERIFY(!console.ended());
        QCOMPARE(folder.read("comset.prt"),
                 comset.isNull() ? QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n") : comset);
        const termios tio = pty.attributes();
        QCOMPARE(::cfgetospeed(&tio) == B9600, messages.filter(InvalidComPort).isEmpty());
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
        const QString lock = folder.path("tmp") + "/pav-control.lock";
        ConsoleProcess first(folder), next(folder), further(folder);
        if (before == "empty lock") { // old, since a lock being written this moment is not taken over
            QFile empty(lock);
            QVERIFY(empty.open(QIODevice::WriteOnly) &&
                    empty.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                      QFileDevice::FileModificationTime));
        } else if (before == "together") {
            first.process().start(folder.root() + "/pav-control", {});
            next.process().start(folder.root() + "/pav-control", {});
            QTRY_VERIFY_WITH_TIMEOUT(first.ended() || next.ended(), 20000);
        } else {
            QVERIFY2(first.start(), first.output().constData());
        }
        if (before == "killed") {
            first.process().kill();
            QVERIFY(first.process().waitForFinished(10000) && QFile::exists(lock));
        }
        if (before == "killed" || before == "empty lock")
            QVERIFY2(next.start(), next.output().constData());
        ConsoleProcess &runner = first.ended() ? next : first, &loser = first.ended() ? first : next;
        QVERIFY2(runner.waitForOutput("window shown", 15000), runner.output().constData());
        QCOMPARE(messages(runner.output()), QStringList()); // the device was free again
        if (before == "together")
            QVERIFY2(loser.process().exitCode() == 0 && !loser.output().contains("window shown"),
                     loser.output().constData());

        // The console that runs now holds the lock for real: a further start gives way at once,
        // showing nothing and leaving the working folder alone.
        const QStringList untouched = stamps(folder.sysPath());
        further.process().start(folder.root() + "/pav-control", {});
        QVERIFY(further.process().waitForFinished(5000));
        QVERIFY(further.process().exitStatus() == QProcess::NormalExit && further.process().exitCode() == 0);
        QVERIFY2(!further.output().contains("window shown") && messages(further.output()).isEmpty(),
                 further.output().constData());
        QCOMPARE(stamps(folder.sysPath()), untouched);
        QVERIFY(!runner.ended());
    }

    void secondStartAsksItsOwnRunningConsoleToComeForward()
    {
        // The test plays two running consoles through the console's own class: the machine's,
        // in the usual temporary folder (unless a real one holds that lock already), and the
        // one of this folder, in the folder's own.
        SingleInstance machines(QStringLiteral("pav-control"));
        machines.claim();
        ConsoleFolder folder;
        const QByteArray machineTemp = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] { qputenv("TMPDIR", machineTemp); });
        qputenv("TMPDIR", folder.path("tmp").toLocal8Bit());
        SingleInstance running(QStringLiteral("pav-control"));
        QVERIFY(running.claim());
        QSignalSpy asked(&running, &SingleInstance::activationRequested);
        QSignalSpy machineAsked(&machines, &SingleInstance::activationRequested);
        ConsoleProcess second(folder);
        second.process().start(folder.root() + "/pav-control", {});
        QVERIFY(asked.wait(10000));
        QVERIFY(second.process().waitForFinished(10000) && second.process().exitCode() == 0);
        QVERIFY(folder.read("comset.prt").isEmpty()); // not made: the console gave way
        QCOMPARE(machineAsked.count(), 0);
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

    void firstStartReachesASlowLineWholeInOrderAndOnce()
    {
        // A 19200-baud line takes 1920 bytes a second: 3000 register entries without a pause are
        // 30 KB, more than a pseudo-terminal's buffer holds (about 20 KB here, 4 KB on some
        // kernels), so the console has to wait for the device again and again.
        ConsoleFolder folder;
        PtyPair pty;
        folder.useAsComPort(pty);
        folder.usePages({0});
        // No default.pav: it is made in the start state, whose empty texts fall back to mode
        // Both and antigamma Off, every value 0; then the registers.
        QByteArray cfg = "0\r\n", expected = Frames::of({{1, 2}, {8, 1}});
        for (int i = 0; i < 3000; ++i) {
            cfg += QByteArray::number(i % 256) + ',' + QByteArray::number(i / 256) + ",90\r\n";
            expected += Frames::registers(i % 256, i / 256, 90);
        }
        folder.write("VGAReg.cfg", cfg);
        ConsoleProcess console(folder);
        QVERIFY2(console.start(), console.output().constData());
        const QByteArray line = pty.readAtLineRate(1920);
        QCOMPARE(line.size(), expected.size());
        QVERIFY(line == expected);
        QVERIFY2(console.waitForOutput("VGA registers sent: 3000 entries", 2000),
                 console.output().constData());
        QVERIFY2(!console.output().contains("is gone"), console.output().constData());
    }

    // A service's manager reads its notifications from NOTIFY_SOCKET and its journal entries
    // from the journal's socket when standard error is the stream JOURNAL_STREAM names. The
    // device is missing, so that start-up has an error, a message and a warning to journal.
    void serviceManagerIsTold_data()
    {
        QTest::addColumn<bool>("notifySocket");
        QTest::addColumn<QString>("watchdogPid"); // $$ for its own, or another process's
        QTest::addColumn<bool>("watchdog");       // WATCHDOG=1 expected
        QTest::addColumn<bool>("journal");        // standard error is the journal's stream
        QTest::newRow("service with a watchdog: ready, watchdog at half its interval, stopping")
            << true << "$$" << true << false;
        QTest::newRow(
            "output to the journal: entries with priority and topic; a watchdog for another process")
            << true << "1" << false << true;
        QTest::newRow("started by hand: nothing is sent, lines on standard error as before")
            << false << "$$" << false << false;
    }
    void serviceManagerIsTold()
    {
        QFETCH(bool, notifySocket);
        QFETCH(QString, watchdogPid);
        QFETCH(bool, watchdog);
        QFETCH(bool, journal);
        // The journal's socket is the one libsystemd always uses; only a machine without a
        // journal lets the test stand in for it.
        const QString journalDir = "/run/systemd/journal";
        const bool made = !QFileInfo::exists(journalDir) && QDir().mkpath(journalDir);
        const auto cleanUp = qScopeGuard([&] { return made && QDir().rmpath(journalDir); });
        const bool watched = QFileInfo::exists(journalDir) && !QFileInfo::exists(journalDir + "/socket");
        if (journal && !watched)
            QSKIP("A journal runs on this machine, or its folder cannot be made (not root).");
        DatagramSocket entries(watched ? journalDir + "/socket" : QString());

        ConsoleFolder folder;
        folder.write("ComPorts.txt", "1,\"" + folder.file("ttyGone").toLocal8Bit() + "\"\r\n");
        folder.write("comset.prt", "0,3,4,0,0");
        folder.usePages({});
        const QString socket = folder.path("run") + "/notify", errors = folder.file("stderr");
        DatagramSocket manager(socket);
        QVERIFY(manager.isBound() && (!watched || entries.isBound()));
        QFile(errors).open(QIODevice::WriteOnly);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(errors).constData(), &st), 0);
        ConsoleProcess console(folder);
        QProcessEnvironment env = console.process().processEnvironment();
        if (notifySocket)
            env.insert("NOTIFY_SOCKET", socket);
        env.insert("WATCHDOG_USEC", "400000");
        env.insert("JOURNAL_STREAM", QStringLiteral("%1:%2").arg(st.st_dev).arg(st.st_ino + !journal));
        console.process().setProcessEnvironment(env);
        console.process().setProcessChannelMode(QProcess::SeparateChannels);
        console.process().setStandardErrorFile(errors);
        // The process's own id is known only once it runs: a shell sets it and becomes the console.
        console.process().start("/bin/sh", {"-c", "WATCHDOG_PID=" + watchdogPid + " exec \"$0\"",
                                            folder.root() + "/pav-control"});
        // What the console journals, as lines on standard error or as the journal's entries.
        auto said = [&](const QByteArray &text) { // how often
            if (!journal)
                return int(folder.read("stderr").count(text));
            entries.receive(60);
            return int(
                std::count_if(entries.received.cbegin(), entries.received.cend(),
                              [&](const auto &entry) { return entry.second.contains("MESSAGE=" + text); }));
        };
        const QByteArray warning = "message:  Please Select Correct Comm Port !";
        QTRY_VERIFY_WITH_TIMEOUT(said(warning) > 0, 15000);

        QCOMPARE(manager.receive(notifySocket ? 5000 : 0, "READY=1"), notifySocket);
        QVERIFY(!notifySocket || manager.received.first().second.contains(
                                     "STATUS=Com 1 missing (" + folder.file("ttyGone").toUtf8() + ")"));
        if (journal) {
            const QStringList expected{
                "PRIORITY=3 PAV_TOPIC=message MESSAGE=message: Invalid Port Number",
                "PRIORITY=3 PAV_TOPIC=port MESSAGE=port: Com 1 (" + folder.file("ttyGone"),
                "PRIORITY=3 PAV_TOPIC=message MESSAGE=message: Invalid com port, Open",
                "PRIORITY=6 PAV_TOPIC=start MESSAGE=start: window shown; working folder",
                "PRIORITY=4 PAV_TOPIC=message MESSAGE=" + warning};
            QStringList shown; // each cut to what is expected of it
            for (const auto &[at, bytes] : std::as_const(entries.received)) {
                const QList<QByteArray> fields = bytes.split('\n');
                QCOMPARE(fields.value(3), QByteArray("SYSLOG_IDENTIFIER=pav-control"));
                shown << QString::fromUtf8(fields.value(1) + ' ' + fields.value(2) + ' ' + fields.value(0))
                             .left(expected.value(shown.size()).size());
            }
            QCOMPARE(shown, expected);
        } else { // each a timestamped line under its topic
            const QRegularExpression port("(^|\\n)\\d{4}-\\d\\d-\\d\\dT[\\d:.]{12}\\S* port: Com 1 \\(");
            QVERIFY(port.match(QString::fromUtf8(folder.read("stderr"))).hasMatch());
        }

        // Every 200 ms while the loop runs, never a gap as long as the 400 ms interval (after which
        // the manager would kill the console and start it again).
        manager.receive(2000);
        QList<qint64> beats;
        for (const auto &[at, bytes] : std::as_const(manager.received))
            if (bytes.contains("WATCHDOG=1"))
                beats << at;
        QVERIFY2(watchdog ? beats.size() >= 6 && beats.size() <= 12 : beats.isEmpty(),
                 qPrintable(QString::number(beats.size())));
        for (qsizetype i = 1; i < beats.size(); ++i)
            QVERIFY2(beats.at(i) - beats.at(i - 1) < 400,
                     qPrintable(QString::number(beats.at(i) - beats.at(i - 1))));

        // The service manager stops a service with SIGTERM: the console ends as the tray's Exit ends it.
        console.process().terminate();
        QVERIFY(console.process().waitForFinished(5000));
        QVERIFY(console.process().exitStatus() == QProcess::NormalExit && console.process().exitCode() == 0);
        QCOMPARE(said("exit: the console ends"), 1);
        entries.receive(60);
        QVERIFY(journal || entries.received.isEmpty()); // the variable alone sends nothing there
        QCOMPARE(manager.receive(notifySocket ? 2000 : 200, "STOPPING=1"), notifySocket);
        QVERIFY(notifySocket || manager.received.isEmpty());
    }

    // The service manager's status line follows the summary, each change once (the notifier in
    // this process).
    void serviceManagerHearsEachChangeOnce()
    {
        QTemporaryDir dir;
        DatagramSocket manager(dir.filePath("notify"));
        qputenv("NOTIFY_SOCKET", QFile::encodeName(dir.filePath("notify")));
        QString summary = "Com 1 open";
        ServiceNotifier notifier([&summary] { return summary; });
        notifier.ready();
        notifier.refreshStatus(); // unchanged
        summary = "Com 1 missing";
        notifier.refreshStatus();
        qunsetenv("NOTIFY_SOCKET");
        manager.receive(2000, "STATUS=Com 1 missing");
        QCOMPARE(manager.received.size(), 2);
        QCOMPARE(manager.received.last().second, QByteArray("STATUS=Com 1 missing"));
    }

    void installersCheck_data()
    {
        QTest::addColumn<QString>("damaged");
        QTest::addColumn<QByteArray>("bytes"); // what the file holds now; null: it is gone
        QTest::addColumn<QString>("problem");  // the line before the summary
        QTest::newRow("usable folder") << QString() << QByteArray() << QString();
        QTest::newRow("a setting file missing")
            << "evening.pav" << QByteArray()
            << "schedule.shd: entry 2 (18:00): the setting file evening.pav is missing";
        QTest::newRow("a damaged table")
            << "ScheduleTask.tsk" << QByteArray("3,\"\t01/01/2020\tschedule.shd\t20200101\"\r\n")
            << "ScheduleTask.tsk: byte 2: the row count says 2 entries, the table text holds 1";
        QTest::newRow("an empty task file") << "ScheduleTask.tsk" << QByteArray("")
                                            << "ScheduleTask.tsk: the file is empty; a task file holds";
        QTest::newRow("a bad ConfigSetup.txt") << "ConfigSetup.txt" << QByteArray("8,\"Pages\"\r\n")
                                               << "ConfigSetup.txt: the file ends before the pages per row; "
                                                  "the console runs with no page in use";
    }
    void installersCheck()
    {
        QFETCH(QString, damaged);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        // A usable folder: Video, NVideo, Schedule and SchTask in use, the port a pseudo-terminal,
        // a daily schedule of two setting files and a task naming it. default.pav is missing,
        // as a first start finds it: the console makes it anew.
        ConsoleFolder folder;
        folder.usePages({0, 1, 2, 3});
        PtyPair pty;
        folder.useAsComPort(pty);
        folder.write("evening.pav", Frames::Changed);
        folder.write("VGAReg.cfg", "2\r\n&H11,&H00,&H5F\r\n");
        folder.write("schedule.shd", "3,\"\t06:00\tdefault.pav\r\t18:00\tevening.pav\"\r\n");
        folder.write("ScheduleTask.tsk", "2,\"\t01/01/2020\tschedule.shd\t20200101\"\r\n");
        if (!damaged.isEmpty() && bytes.isNull())
            QVERIFY(QFile::remove(folder.file(damaged)));
        else if (!damaged.isEmpty())
            folder.write(damaged, bytes);
        const auto files = [&] { return stamps(folder.root()) + stamps(folder.sysPath()); };
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
        QVERIFY2(summary.endsWith(problem.isEmpty() ? ": all usable." : ": 1 problem."), qPrintable(summary));
        QCOMPARE(lines.size(), problem.isEmpty() ? 0 : 1);
        QVERIFY2(lines.value(0).startsWith(problem), qPrintable(lines.value(0)));
        QCOMPARE(console.process().exitCode(), problem.isEmpty() ? 0 : 1);
        QCOMPARE(files(), before); // nothing written, no lock taken
    }
};

QTEST_GUILESS_MAIN(TestConsoleStart)
#include "tst_consolestart.moc"
