#include "CommErrors.h"
#include "ConsoleFolder.h"
#include "FileError.h"
#include "PortController.h"
#include "PortDirectory.h"
#include "PortSettings.h"
#include "PortSettingsFile.h"
#include "PtyPair.h"
#include "SerialLink.h"
#include "WorkingFolder.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <memory>
#include <numeric>

Q_DECLARE_METATYPE(PortSettings)

// The port's settings file comset.prt and its list of devices ComPorts.txt; then the link on a
// pseudo-terminal, with the port service's error codes its failures give.
class TestSerial : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_device = m_dir.filePath("ttyKVR"); // a symlink to the pty, as an adapter's stable name
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<SerialLink> m_link;
    QByteArray m_received; // what the link passed on

    bool pointDeviceAt(const PtyPair &pty)
    {
        QFile::remove(m_device);
        return pty.isValid() && QFile::link(pty.slavePath(), m_device);
    }

private slots:
    // Each test starts with the device there and a link open on it at 9600,N,8,1.
    void init()
    {
        m_link.reset();
        m_pty = std::make_unique<PtyPair>();
        m_link = std::make_unique<SerialLink>();
        QVERIFY(pointDeviceAt(*m_pty));
        QCOMPARE(m_link->open(m_device, PortSettings::defaults()), 0);
        m_received.clear();
        connect(m_link.get(), &SerialLink::received, this,
                [this](const QByteArray &piece) { m_received += piece; });
    }

    void settingsFile_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("error");
        QTest::addColumn<PortSettings>("settings");
        QTest::addColumn<QString>("text"); // as the port service takes them; empty: not as written
        QTest::newRow("defaults: Com 1, 9600,N,8,1")
            << QByteArray("0\r\n3\r\n4\r\n0\r\n0\r\n") << 0 << PortSettings::defaults() << "9600,N,8,1";
        QTest::newRow("Com 12, 115200,E,7,2") << QByteArray("11\r\n7\r\n3\r\n1\r\n1\r\n") << 0
                                              << PortSettings{11, 7, 3, 1, 1} << "115200,E,7,2";
        QTest::newRow("first entries, odd parity")
            << QByteArray("0\r\n0\r\n0\r\n2\r\n0\r\n") << 0 << PortSettings{0, 0, 0, 2, 0} << "2400,O,4,1";
        QTest::newRow("comma-separated on one line")
            << QByteArray("11,7,3,1,1") << 0 << PortSettings{11, 7, 3, 1, 1} << "";
        // The number at the start of a field, as every file is read.
        QTest::newRow("3 baud") << QByteArray("0,3 baud,4,0,0") << 0 << PortSettings{0, 3, 4, 0, 0} << "";
        // The positions before the end are kept; the ones after keep what they were.
        QTest::newRow("short file") << QByteArray("0\r\n3\r\n4\r\n") << int(FileError::InputPastEnd)
                                    << PortSettings{0, 3, 4, 0, 0} << "";
        QTest::newRow("port 13, outside its list")
            << QByteArray("12,3,4,0,0") << int(FileError::InvalidValue) << PortSettings{} << "";
    }
    void settingsFile()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, error);
        QFETCH(PortSettings, settings);
        QFETCH(QString, text);
        const PortSettingsRead read = PortSettingsFile::parse(data);
        QCOMPARE(read.error, error);
        QCOMPARE(read.problem.isEmpty(), error == 0);
        QVERIFY(read.settings == settings);
        QVERIFY(text.isEmpty() ||
                (PortSettingsFile::format(settings) == data && settings.settingsText() == text));
    }

    void portDirectory_data()
    {
        QTest::addColumn<QByteArray>("comPorts");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("problems");
        const QByteArray two = "1,\"/dev/ttyUSB0\"\r\n12,\"/dev/ttyACM1\"\r\n";
        const QByteArray bad =
            "0,\"/dev/x0\"\r\n13,\"/dev/x13\"\r\nx,\"/dev/x\"\r\n4,\"\"\r\n2,\"/dev/ttyUSB7\"\r\n";
        QTest::newRow("mapped") << two << 12 << "/dev/ttyACM1" << 0;
        QTest::newRow("unmapped: usual name") << two << 11 << "/dev/ttyS10" << 0;
        QTest::newRow("bad records listed, good one used") << bad << 2 << "/dev/ttyUSB7" << 4;
        QTest::newRow("bad record skipped") << bad << 4 << "/dev/ttyS3" << 4;
        // One record a line: a blank line is no record, and does not shift the records after it.
        QTest::newRow("blank lines between records")
            << QByteArray("1,\"/dev/ttyUSB0\"\r\n\r\n\n2,\"/dev/ttyUSB1\"\r\n") << 2 << "/dev/ttyUSB1" << 0;
    }
    void portDirectory()
    {
        QFETCH(QByteArray, comPorts);
        QFETCH(int, port);
        const PortDirectory directory = PortDirectory::parse(comPorts);
        QTEST(directory.devicePath(port), "path");
        QTEST(int(directory.problems().size()), "problems");
    }

    // The setting the port service refused picks the code; a pseudo-terminal refuses none.
    void refusedSettingPicksTheCode()
    {
        using E = QSerialPort::SerialPortError;
        QCOMPARE(commErrorCode(E::UnsupportedOperationError, PortStep::BaudRate), 8007);
        QCOMPARE(commErrorCode(E::UnsupportedOperationError, PortStep::DataBits), 8008);
        QCOMPARE(commErrorCode(E::UnsupportedOperationError, PortStep::StopBits), 8015);
    }

    void openFailureLeavesPortClosed_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<PortSettings>("settings");
        QTest::addColumn<bool>("heldByOtherLink"); // else the link had the device open before
        QTest::addColumn<int>("code");
        QTest::newRow("missing device: invalid port number")
            << "ttyGone" << PortSettings::defaults() << false << 8002;
        QTest::newRow("4 data bits: byte size invalid")
            << "ttyKVR" << PortSettings{0, 3, 0, 0, 0} << false << 8008;
        QTest::newRow("held by another link: locked") << "ttyKVR" << PortSettings::defaults() << true << 8010;
        QTest::newRow("Com 1 with a baud rate outside its list: invalid property value")
            << "ttyKVR" << PortSettings{0, 99, 4, 0, 0} << false << 380;
    }
    void openFailureLeavesPortClosed()
    {
        QFETCH(QString, device);
        QFETCH(PortSettings, settings);
        QFETCH(bool, heldByOtherLink);
        SerialLink other;
        SerialLink &link = heldByOtherLink ? other : *m_link;
        const int code = link.open(m_dir.filePath(device), settings);
        QTEST(code, "code");
        QVERIFY(!CommErrorText(code).isEmpty() && !link.isOpen()); // the operator is told why
        QCOMPARE(link.write("x"), SerialLink::Write::NotOpen);
        QCOMPARE(m_link->isOpen(), heldByOtherLink);
    }

    void bytesPassUntranslatedBothWays()
    {
        QCOMPARE(m_link->open(m_device, PortSettings{0, 7, 3, 1, 1}), 0); // 115200,E,7,2
        const termios tio = m_pty->attributes(); // a pseudo-terminal keeps only speed and stop bits
        QVERIFY(::cfgetospeed(&tio) == B115200 && (tio.c_cflag & CSTOPB));
        QByteArray bytes(1024, 0);
        std::iota(bytes.begin(), bytes.end(), 0); // every byte value, LF and CR among them
        QCOMPARE(m_link->write(bytes), SerialLink::Write::Queued);
        QCOMPARE(m_pty->read(bytes.size()), bytes); // a blocking read: no event loop runs before it
        QCOMPARE(m_pty->read(1, 200), QByteArray());

        for (qsizetype at = 0; at < bytes.size(); at += 3) {
            QVERIFY(m_pty->write(bytes.mid(at, 3)));
            QCoreApplication::processEvents(); // so that the link reads pieces of varying size
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_received, bytes, 10000);
    }

    // A full buffer is not a lost device.
    void aSlowDeviceIsWaitedForAndFramesStayWhole()
    {
        QSignalSpy lost(m_link.get(), &SerialLink::lost);
        QSignalSpy drained(m_link.get(), &SerialLink::drained);
        // Far more than the kernel's buffer holds, while the device reads nothing.
        QByteArray sent;
        for (int i = 0; i < 20000; ++i) {
            sent += QByteArray::number(i).rightJustified(9, '0') + '\4'; // frames of ten bytes
            QCOMPARE(m_link->write(sent.right(10)), SerialLink::Write::Queued);
        }
        // A frame that does not fit the queue is refused whole.
        const qint64 queued = m_link->queuedBytes();
        QVERIFY(queued > 0);
        QCOMPARE(m_link->write(QByteArray(SerialLink::QueueLimit - queued + 1, 'x')),
                 SerialLink::Write::QueueFull);
        QCOMPARE(m_link->queuedBytes(), queued);

        QByteArray got;
        for (QDeadlineTimer deadline(20000); got.size() < sent.size() && !deadline.hasExpired();) {
            QCoreApplication::processEvents();
            got += m_pty->read(sent.size() - got.size(), 20);
        }
        QVERIFY(got == sent && m_link->isOpen());
        QCOMPARE(lost.count(), 0);
        QTRY_VERIFY(drained.count() > 0);
    }

    void lossIsReportedOnceAndTheDeviceReopened()
    {
        m_link->setRetryInterval(200);
        QSignalSpy lost(m_link.get(), &SerialLink::lost);
        QSignalSpy restored(m_link.get(), &SerialLink::restored);

        m_pty->closeMaster();
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
        QVERIFY(!m_link->isOpen() && m_link->isLost());

        // A vanished device keeps signalling: the link must neither report it again nor spin on
        // it while it retries. The loop runs freely, as QTest::qWait's sleeps would hide spinning.
        const std::clock_t cpuBefore = std::clock();
        QEventLoop loop;
        QTimer::singleShot(1200, &loop, &QEventLoop::quit);
        loop.exec();
        const long cpuMs = long((std::clock() - cpuBefore) * 1000 / CLOCKS_PER_SEC);
        QVERIFY2(cpuMs < 300, qPrintable(QStringLiteral("%1 ms of processor time in 1200 ms").arg(cpuMs)));
        QCOMPARE(restored.count(), 0);

        PtyPair fresh; // the adapter comes back under the same name
        QVERIFY(pointDeviceAt(fresh));
        QTRY_COMPARE_WITH_TIMEOUT(restored.count(), 1, 2000);
        QVERIFY(m_link->isOpen() && !m_link->isLost());
        QCOMPARE(m_link->write("PING"), SerialLink::Write::Queued);
        QCOMPARE(fresh.read(4), QByteArray("PING"));
        QVERIFY(fresh.write("PONG\r"));
        QTRY_COMPARE_WITH_TIMEOUT(m_received, QByteArray("PONG\r"), 5000);
        QCOMPARE(lost.count(), 1);
    }

    void acceptSelectionStoresEvenWhenPortFails()
    {
        ConsoleFolder folder;
        folder.write("ComPorts.txt", "12,\"ttyGone\"\r\n");
        PortController controller(*m_link, WorkingFolder(folder.sysPath()));
        QSignalSpy messages(&controller, &PortController::message);

        const PortSettings selection{11, 7, 3, 1, 1}; // Com 12, 115200, 7, Even, 2
        controller.acceptSelection(selection);
        QCOMPARE(messages.count(), 2); // why the port failed, then that it is closed
        QCOMPARE(messages.at(1).at(0).toString(), QString("Invalid com port, Open comm error"));
        // Both boxes name the device, what is wrong with it and where to put it right.
        for (const QList<QVariant> &box : messages) {
            const QString details = box.at(1).toString();
            QVERIFY2(details.contains("Com 12 (" + folder.file("ttyGone") + "): the device is missing") &&
                         details.contains("ComPorts.txt"),
                     qPrintable(details));
        }
        QVERIFY(!m_link->isOpen() && controller.settings() == selection);
        QCOMPARE(folder.read("comset.prt"), QByteArray("11\r\n7\r\n3\r\n1\r\n1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
