#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

const int Patience = 10000; // ms; generous for a busy machine

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

bool linkExists(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace

// Each test runs its own simulator and opens its device the way the console does.
class TestKvrSim : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void decodesWhatTheConsoleSends();
    void answersEachFrame_data();
    void answersEachFrame();
    void vanishesAndComesBack();
    void signalRemovesLink_data();
    void signalRemovesLink();
    void streamsAtRate_data();
    void streamsAtRate();
    void sendsGarbage();
    void staysIdleWhileConsoleReopens();
    void rejectsBadArguments_data();
    void rejectsBadArguments();

private:
    bool startSim(const QStringList &options);
    bool waitForStderr(const QByteArray &text);
    QStringList lines(int count);
    qint64 cpuTicks() const;
    bool openPort();
    void closePort();
    bool writePort(const QByteArray &bytes);
    QByteArray readPort(int count, int timeoutMs);

    QTemporaryDir m_dir;
    QString m_link = m_dir.filePath(QStringLiteral("kvr"));
    QProcess m_sim;
    QByteArray m_stdout;
    QByteArray m_stderr;
    int m_port = -1;
};

void TestKvrSim::cleanup()
{
    closePort();
    if (m_sim.state() != QProcess::NotRunning) {
        m_sim.kill();
        m_sim.waitForFinished(Patience);
    }
    m_stdout.clear();
    m_stderr.clear();
}

bool TestKvrSim::startSim(const QStringList &options)
{
    m_sim.start(QStringLiteral(KVR_SIM_PATH), QStringList{"--link", m_link} + options);
    return m_sim.waitForStarted(Patience) && waitForStderr("kvr-sim: link " + m_link.toUtf8());
}

bool TestKvrSim::waitForStderr(const QByteArray &text)
{
    QElapsedTimer clock;
    clock.start();
    while (!m_stderr.contains(text)) {
        if (clock.elapsed() > Patience || m_sim.state() == QProcess::NotRunning)
            return false;
        m_sim.waitForReadyRead(50);
        m_stderr += m_sim.readAllStandardError();
    }
    return true;
}

// The next `count` decoded lines, fewer if they do not come.
QStringList TestKvrSim::lines(int count)
{
    QElapsedTimer clock;
    clock.start();
    while (m_stdout.count('\n') < count && clock.elapsed() < Patience && m_sim.state() == QProcess::Running) {
        m_sim.waitForReadyRead(50);
        m_stdout += m_sim.readAllStandardOutput();
    }
    QStringList lines;
    while (lines.size() < count && m_stdout.contains('\n')) {
        const qsizetype end = m_stdout.indexOf('\n');
        lines << QString::fromLatin1(m_stdout.left(end));
        m_stdout.remove(0, end + 1);
    }
    return lines;
}

qint64 TestKvrSim::cpuTicks() const
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_sim.processId()));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong(); // user and system time
}

bool TestKvrSim::openPort()
{
    closePort();
    m_port = ::open(QFile::encodeName(m_link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    struct termios tio {};
    if (m_port < 0 || ::tcgetattr(m_port, &tio) < 0)
        return false;
    cfmakeraw(&tio);
    return ::tcsetattr(m_port, TCSANOW, &tio) == 0;
}

void TestKvrSim::closePort()
{
    if (m_port >= 0)
        ::close(m_port);
    m_port = -1;
}

bool TestKvrSim::writePort(const QByteArray &bytes)
{
    return ::write(m_port, bytes.constData(), bytes.size()) == bytes.size();
}

// Reads until `count` bytes have come or the time is up; with a count of 0, what is there.
QByteArray TestKvrSim::readPort(int count, int timeoutMs)
{
    QByteArray bytes;
    QElapsedTimer clock;
    clock.start();
    char chunk[4096];
    do {
        struct pollfd p = {m_port, POLLIN, 0};
        ssize_t n;
        while ((n = ::read(m_port, chunk, sizeof chunk)) > 0)
            bytes.append(chunk, n);
        if (bytes.size() < count)
            ::poll(&p, 1, 50);
    } while (bytes.size() < count && clock.elapsed() < timeoutMs);
    return bytes;
}

void TestKvrSim::decodesWhatTheConsoleSends()
{
    QVERIFY(startSim({}));
    QVERIFY(openPort());
    QVERIFY(writePort(hex("02 00 01 00 02")));
    QVERIFY(writePort(hex("02 80 04 02 00 01 00 02 01 01 04 41 42")));
    QVERIFY(writePort(hex("02 00 01 00 02 10 3C 04")));
    QCOMPARE(lines(4),
             (QStringList{"02 brightness 128", "01 mode Video", "?? stray 41 42", "10 watchdog 60"}));

    // A frame cut short is reported once the line stays quiet.
    QVERIFY(writePort(hex("02 00 01 00 04 0B 12")));
    QCOMPARE(lines(1), QStringList{"?? stray 02 00 01 00 04 0B 12"});
}

void TestKvrSim::answersEachFrame_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("one byte") << "06" << hex("06");
    QTest::newRow("blanks") << "4F 4B 0D 0A" << QByteArray("OK\r\n");
    QTest::newRow("no blanks, lower case") << "4f4b0d0a" << QByteArray("OK\r\n");
}

void TestKvrSim::answersEachFrame()
{
    QFETCH(QString, answer);
    QFETCH(QByteArray, bytes);

    QVERIFY(startSim({"--answer", answer}));
    QVERIFY(openPort());
    QVERIFY(writePort(hex("02 00 01 00 02 02 80 04 55 02 00 01 00 01 0B 04")));
    // Answers are written before their lines are printed: after three lines all are there.
    QCOMPARE(lines(3).size(), 3);
    QCOMPARE(readPort(2 * bytes.size(), Patience), bytes + bytes);
    QCOMPARE(readPort(0, 0), QByteArray());
}

void TestKvrSim::vanishesAndComesBack()
{
    QVERIFY(startSim({"--vanish-after", "1", "--back-after", "1"}));
    QVERIFY(openPort());

    QVERIFY(waitForStderr("kvr-sim: vanished"));
    QVERIFY(!linkExists(m_link));
    // The open port now fails, as with a pulled-out adapter.
    errno = 0;
    QVERIFY(!writePort(hex("02 00 01 00 02 02 80 04")));
    QCOMPARE(errno, EIO);

    QVERIFY(waitForStderr("kvr-sim: back"));
    QVERIFY(openPort());
    QVERIFY(writePort(hex("02 00 01 00 02 02 80 04")));
    QCOMPARE(lines(1), QStringList{"02 brightness 128"});
}

void TestKvrSim::signalRemovesLink_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGTERM") << int(SIGTERM);
}

void TestKvrSim::signalRemovesLink()
{
    QFETCH(int, signalNumber);

    QVERIFY(startSim({}));
    QVERIFY(linkExists(m_link));
    QCOMPARE(::kill(pid_t(m_sim.processId()), signalNumber), 0);
    QVERIFY(m_sim.waitForFinished(Patience));
    QCOMPARE(m_sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_sim.exitCode(), 0);
    QVERIFY(!linkExists(m_link));
}

void TestKvrSim::streamsAtRate_data()
{
    QTest::addColumn<bool>("lineEnds");
    QTest::addColumn<int>("seconds"); // long enough to tell a slow stream from a late reader

    QTest::newRow("plain") << false << 2;
    QTest::newRow("lines") << true << 1;
}

void TestKvrSim::streamsAtRate()
{
    QFETCH(bool, lineEnds);
    QFETCH(int, seconds);
    const int rate = 11520;

    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    QVERIFY(startSim(QStringList{"--stream", QString::number(rate)} +
                     (lineEnds ? QStringList{"--stream-lines"} : QStringList())));
    const qint64 seen = sinceLaunch.elapsed();
    QVERIFY(openPort());

    // The simulator keeps its side open, so nothing sent before the port opened is lost:
    // the count read tells how much was sent since the start.
    const QByteArray text = readPort(seconds * rate, Patience);
    const qint64 elapsed = sinceLaunch.elapsed();
    const QString timing =
        QStringLiteral("%1 bytes after %2 ms, link seen at %3 ms").arg(text.size()).arg(elapsed).arg(seen);
    QVERIFY2(text.size() >= seconds * rate, qPrintable(timing));
    QVERIFY2(text.size() <= rate * (elapsed + 50) / 1000, qPrintable(timing));
    // A late tick catches up, so only the last moment's lag shows here.
    QVERIFY2(elapsed <= seen + seconds * 1000 + 500, qPrintable(timing));

    const QList<QByteArray> lines = text.split('\n');
    QCOMPARE(lines.size() > 1, lineEnds);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        QCOMPARE(lines.at(i).size(), 65); // 64 characters and CR
    for (char c : text)
        QVERIFY(std::isprint(uchar(c)) || (lineEnds && (c == '\r' || c == '\n')));
}

void TestKvrSim::sendsGarbage()
{
    QVERIFY(startSim({"--garbage"}));
    QVERIFY(openPort());
    // Bursts of 1 to 16 bytes every 100 ms.
    QVERIFY(readPort(40, Patience).size() >= 40);
}

void TestKvrSim::staysIdleWhileConsoleReopens()
{
    QVERIFY(startSim({}));
    for (int i = 0; i < 20; ++i)
        QVERIFY(openPort());
    closePort();

    const qint64 before = cpuTicks();
    QVERIFY(before >= 0);
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(1000);
    const qint64 used = cpuTicks() - before;
    QVERIFY2(used * 1000 < ::sysconf(_SC_CLK_TCK) * clock.elapsed() / 4,
             qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(used).arg(clock.elapsed())));

    QVERIFY(openPort());
    QVERIFY(writePort(hex("02 00 01 00 02 10 3C 04")));
    QCOMPARE(lines(1), QStringList{"10 watchdog 60"});
}

void TestKvrSim::rejectsBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("unknown option") << QStringList{"--bogus"};
    QTest::newRow("stray argument") << QStringList{"extra"};
    QTest::newRow("answer not hex") << QStringList{"--answer", "4G"};
    QTest::newRow("answer odd digits") << QStringList{"--answer", "4F4"};
    QTest::newRow("stream zero") << QStringList{"--stream", "0"};
    QTest::newRow("negative vanish") << QStringList{"--vanish-after", "-1"};
    QTest::newRow("repeat without back") << QStringList{"--vanish-after", "1", "--repeat"};
}

void TestKvrSim::rejectsBadArguments()
{
    QFETCH(QStringList, arguments);

    m_sim.start(QStringLiteral(KVR_SIM_PATH), arguments);
    QVERIFY(m_sim.waitForFinished(Patience));
    QCOMPARE(m_sim.exitCode(), 2);
    QVERIFY(m_sim.readAllStandardError().startsWith("kvr-sim: "));
    QVERIFY(m_sim.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestKvrSim)
#include "tst_kvrsim.moc"
