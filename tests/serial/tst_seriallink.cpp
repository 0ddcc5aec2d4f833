#include "PortController.h"
#include "PortSettings.h"
#include "PtyPair.h"
#include "SerialLink.h"
#include "WorkingFolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <sys/resource.h>

Q_DECLARE_METATYPE(PortSettings)

namespace {

const QString InvalidComPort = QStringLiteral("Invalid com port, Open comm error");

bool pointLink(const QString &link, const QString &target)
{
    QFile::remove(link);
    return QFile::link(target, link);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Processor time this process has used, user and system, in milliseconds.
qint64 cpuMilliseconds()
{
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1000 +
           (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1000;
}

// Runs the event loop freely for a while (QTest::qWait sleeps between its rounds, which would
// hide a link that keeps the loop busy).
void runEventLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray everyByteValue()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    return bytes;
}

QStringList texts(const QSignalSpy &spy)
{
    QStringList list;
    for (const QList<QVariant> &arguments : spy)
        list << arguments.at(0).toString();
    return list;
}

} // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openAppliesSettings_data();
    void openAppliesSettings();
    void openFailureLeavesPortClosed_data();
    void openFailureLeavesPortClosed();
    void writtenBytesReachDeviceWithoutEventLoop_data();
    void writtenBytesReachDeviceWithoutEventLoop();
    void receivedBytesArriveInOrder_data();
    void receivedBytesArriveInOrder();
    void vanishedDeviceIsReportedOnceAndReopened();

    void openComSetting_data();
    void openComSetting();
    void acceptSelectionStoresEvenWhenPortFails_data();
    void acceptSelectionStoresEvenWhenPortFails();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    QString m_device; // a symlink in the temporary folder leading to the pty
};

void TestSerialLink::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    m_device = m_dir->filePath("ttyKVR");
    QVERIFY(pointLink(m_device, m_pty->slavePath()));
}

void TestSerialLink::cleanup()
{
    m_pty.reset();
    m_dir.reset();
}

void TestSerialLink::openAppliesSettings_data()
{
    QTest::addColumn<PortSettings>("settings");
    QTest::addColumn<speed_t>("speed");
    QTest::addColumn<bool>("twoStopBits");

    QTest::newRow("defaults 9600,N,8,1") << PortSettings::defaults() << speed_t(B9600) << false;
    QTest::newRow("115200,E,7,2") << PortSettings{0, 7, 3, 1, 1} << speed_t(B115200) << true;
    QTest::newRow("2400,O,5,1") << PortSettings{0, 0, 1, 2, 0} << speed_t(B2400) << false;
}

void TestSerialLink::openAppliesSettings()
{
    QFETCH(PortSettings, settings);
    QFETCH(speed_t, speed);
    QFETCH(bool, twoStopBits);

    SerialLink link;
    QCOMPARE(link.open(m_device, settings), 0);
    QVERIFY(link.isOpen());
    QVERIFY(!link.isLost());
    QCOMPARE(link.devicePath(), m_device);
    const termios tio = m_pty->attributes();
    QCOMPARE(::cfgetospeed(&tio), speed);
    QCOMPARE((tio.c_cflag & CSTOPB) != 0, twoStopBits);
}

void TestSerialLink::openFailureLeavesPortClosed_data()
{
    QTest::addColumn<bool>("deviceExists");
    QTest::addColumn<PortSettings>("settings");
    QTest::addColumn<bool>("openBefore");
    QTest::addColumn<bool>("heldByOtherLink");
    QTest::addColumn<int>("code");

    const PortSettings fourBits{0, 3, 0, 0, 0};
    QTest::newRow("missing device: invalid port number")
        << false << PortSettings::defaults() << false << false << 8002;
    QTest::newRow("missing device closes the open port")
        << false << PortSettings::defaults() << true << false << 8002;
    QTest::newRow("4 data bits: byte size invalid") << true << fourBits << false << false << 8008;
    QTest::newRow("4 data bits closes the open port") << true << fourBits << true << false << 8008;
    QTest::newRow("device held by another link: locked")
        << true << PortSettings::defaults() << false << true << 8010;
}

void TestSerialLink::openFailureLeavesPortClosed()
{
    QFETCH(bool, deviceExists);
    QFETCH(PortSettings, settings);
    QFETCH(bool, openBefore);
    QFETCH(bool, heldByOtherLink);
    QFETCH(int, code);

    SerialLink other;
    if (heldByOtherLink)
        QCOMPARE(other.open(m_device, PortSettings::defaults()), 0);
    SerialLink link;
    if (openBefore)
        QCOMPARE(link.open(m_device, PortSettings::defaults()), 0);

    const QString device = deviceExists ? m_device : m_dir->filePath("ttyGone");
    QCOMPARE(link.open(device, settings), code);
    QVERIFY(!link.isOpen());
    QCOMPARE(link.write("x"), 8012); // the device is not open
    QCOMPARE(m_pty->read(1, 100), QByteArray());
    if (heldByOtherLink)
        QVERIFY(other.isOpen());
}

void TestSerialLink::writtenBytesReachDeviceWithoutEventLoop_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("8-byte frame") << QByteArray::fromHex("aa0a0d00ff7f1b55");
    QTest::newRow("every byte value, LF and CR untranslated") << everyByteValue();
    QTest::newRow("1000-byte block") << everyByteValue().repeated(4).left(1000);
}

void TestSerialLink::writtenBytesReachDeviceWithoutEventLoop()
{
    QFETCH(QByteArray, bytes);

    SerialLink link;
    QCOMPARE(link.open(m_device, PortSettings::defaults()), 0);
    QCOMPARE(link.write(bytes), 0);
    // No event loop runs between the write and this blocking read.
    QCOMPARE(m_pty->read(bytes.size()), bytes);
    QCOMPARE(m_pty->read(1, 200), QByteArray());
}

void TestSerialLink::receivedBytesArriveInOrder_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("chunkSize");
    QTest::addColumn<bool>("waitForEachChunk");

    QTest::newRow("one block of every byte value") << everyByteValue().repeated(2) << 512 << false;
    QTest::newRow("controller answer with CR LF, byte by byte") << QByteArray("OK\r\nERR 3\r\n") << 1 << true;
    QTest::newRow("200 single bytes, each received before the next")
        << everyByteValue().mid(28, 200) << 1 << true;
    QTest::newRow("3-byte chunks in a burst") << everyByteValue().repeated(8) << 3 << false;
}

void TestSerialLink::receivedBytesArriveInOrder()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, chunkSize);
    QFETCH(bool, waitForEachChunk);

    SerialLink link;
    QCOMPARE(link.open(m_device, PortSettings::defaults()), 0);
    QByteArray got;
    connect(&link, &SerialLink::received, this, [&got](const QByteArray &piece) { got += piece; });

    for (qsizetype at = 0; at < bytes.size(); at += chunkSize) {
        QVERIFY(m_pty->write(bytes.mid(at, chunkSize)));
        if (waitForEachChunk)
            QTRY_VERIFY_WITH_TIMEOUT(got.size() >= qMin(bytes.size(), at + chunkSize), 5000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(got.size(), bytes.size(), 10000);
    QCOMPARE(got, bytes);
}

void TestSerialLink::vanishedDeviceIsReportedOnceAndReopened()
{
    SerialLink link;
    link.setRetryInterval(200);
    QCOMPARE(link.open(m_device, PortSettings::defaults()), 0);
    QSignalSpy lost(&link, &SerialLink::lost);
    QSignalSpy restored(&link, &SerialLink::restored);
    QSignalSpy received(&link, &SerialLink::received);
    QByteArray got;
    connect(&link, &SerialLink::received, this, [&got](const QByteArray &piece) { got += piece; });

    m_pty->closeMaster();
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
    QCOMPARE(lost.first().at(0).toString(), m_device);
    QVERIFY(!link.isOpen());
    QVERIFY(link.isLost());

    // A device that has gone keeps signalling; the link must neither report it again nor spin
    // on it while it keeps trying to reopen it.
    const qint64 cpuBefore = cpuMilliseconds();
    QElapsedTimer wall;
    wall.start();
    runEventLoop(1200);
    const qint64 cpuUsed = cpuMilliseconds() - cpuBefore;
    QCOMPARE(lost.count(), 1);
    QCOMPARE(received.count(), 0);
    QCOMPARE(restored.count(), 0);
    QVERIFY2(cpuUsed < wall.elapsed() / 4,
             qPrintable(QStringLiteral("%1 ms of processor time in %2 ms").arg(cpuUsed).arg(wall.elapsed())));

    // The adapter comes back under the same name.
    PtyPair fresh;
    QVERIFY(fresh.isValid());
    QVERIFY(pointLink(m_device, fresh.slavePath()));
    QTRY_COMPARE_WITH_TIMEOUT(restored.count(), 1, 2000); // well within the usual 3 s retry
    QCOMPARE(restored.first().at(0).toString(), m_device);
    QVERIFY(link.isOpen());
    QVERIFY(!link.isLost());

    QCOMPARE(link.write("PING"), 0);
    QCOMPARE(fresh.read(4), QByteArray("PING"));
    QVERIFY(fresh.write("PONG\r"));
    QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("PONG\r"), 5000);
    QCOMPARE(lost.count(), 1);
}

void TestSerialLink::openComSetting_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QByteArray>("comset");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QByteArray>("comsetAfter");

    const QByteArray zeros = "0\r\n0\r\n0\r\n0\r\n0\r\n";
    QTest::newRow("missing comset.prt is created, port stays closed")
        << false << QByteArray() << false << zeros;
    QTest::newRow("stored defaults open port 1's device")
        << true << QByteArray("0,3,4,0,0") << true << QByteArray("0,3,4,0,0");
    QTest::newRow("stored as five lines")
        << true << QByteArray("0\r\n3\r\n4\r\n0\r\n0\r\n") << true << QByteArray("0\r\n3\r\n4\r\n0\r\n0\r\n");
    QTest::newRow("short file leaves the port closed")
        << true << QByteArray("0,3") << false << QByteArray("0,3");
    QTest::newRow("position outside its list leaves the port closed")
        << true << QByteArray("0,9,4,0,0") << false << QByteArray("0,9,4,0,0");
}

void TestSerialLink::openComSetting()
{
    QFETCH(bool, stored);
    QFETCH(QByteArray, comset);
    QFETCH(bool, opens);
    QFETCH(QByteArray, comsetAfter);

    const WorkingFolder folder(m_dir->filePath("sys"));
    QVERIFY(QDir().mkpath(folder.path()));
    QVERIFY(writeFile(folder.file("ComPorts.txt"), "1,\"" + m_device.toLocal8Bit() + "\"\r\n"));
    if (stored)
        QVERIFY(writeFile(folder.file("comset.prt"), comset));

    SerialLink link;
    PortController controller(link, folder);
    QSignalSpy messages(&controller, &PortController::message);
    controller.OpenComSetting();

    QCOMPARE(link.isOpen(), opens);
    QCOMPARE(fileBytes(folder.file("comset.prt")), comsetAfter);
    // Start-up gives the one warning about a closed port; reading the settings adds none.
    QCOMPARE(texts(messages), QStringList());
    if (opens) {
        QVERIFY(controller.settings() == PortSettings::defaults());
        QCOMPARE(link.devicePath(), m_device);
        const termios tio = m_pty->attributes();
        QCOMPARE(::cfgetospeed(&tio), speed_t(B9600));
    }
}

void TestSerialLink::acceptSelectionStoresEvenWhenPortFails_data()
{
    QTest::addColumn<bool>("deviceExists");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("missing device: two messages, selection stored")
        << false << false << QStringList{"Invalid Port Number", InvalidComPort};
    QTest::newRow("present device: opened and stored") << true << true << QStringList();
}

void TestSerialLink::acceptSelectionStoresEvenWhenPortFails()
{
    QFETCH(bool, deviceExists);
    QFETCH(bool, opens);
    QFETCH(QStringList, messages);

    const WorkingFolder folder(m_dir->path());
    const QString device = deviceExists ? m_device : m_dir->filePath("ttyGone");
    QVERIFY(writeFile(folder.file("ComPorts.txt"), "12,\"" + device.toLocal8Bit() + "\"\r\n"));

    SerialLink link;
    QCOMPARE(link.open(m_device, PortSettings::defaults()), 0);
    PortController controller(link, folder);
    QSignalSpy spy(&controller, &PortController::message);

    const PortSettings selection{11, 7, 3, 1, 1}; // Com 12, 115200, 7, Even, 2
    controller.acceptSelection(selection);

    QCOMPARE(texts(spy), messages);
    QCOMPARE(link.isOpen(), opens);
    QVERIFY(controller.settings() == selection);
    QCOMPARE(fileBytes(folder.file("comset.prt")), QByteArray("11\r\n7\r\n3\r\n1\r\n1\r\n"));
    if (opens) {
        const termios tio = m_pty->attributes();
        QCOMPARE(::cfgetospeed(&tio), speed_t(B115200));
        QVERIFY(tio.c_cflag & CSTOPB);
    }
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
