#include "ConsoleFolder.h"
#include "PortController.h"
#include "PortSettings.h"
#include "PtyPair.h"
#include "SerialLink.h"
#include "WorkingFolder.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <memory>
#include <numeric>

Q_DECLARE_METATYPE(PortSettings)

class TestSerialLink : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_device = m_dir.filePath("ttyKVR"); // a symlink to the pty, as an adapter's stable name
    std::unique_ptr<PtyPair> m_pty;

    bool pointDeviceAt(const PtyPair &pty)
    {
        QFile::remove(m_device);
        return pty.isValid() && QFile::link(pty.slavePath(), m_device);
    }

private slots:
    void init()
    {
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(pointDeviceAt(*m_pty));
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
    }
    void openFailureLeavesPortClosed()
    {
        QFETCH(QString, device);
        QFETCH(PortSettings, settings);
        QFETCH(bool, heldByOtherLink);
        QFETCH(int, code);
        SerialLink other, link;
        QCOMPARE((heldByOtherLink ? other : link).open(m_device, PortSettings::defaults()), 0);
        QCOMPARE(link.open(m_dir.filePath(device), settings), code);
        QVERIFY(!link.isOpen());
        QCOMPARE(link.write("x"), SerialLink::Write::NotOpen);
        QCOMPARE(other.isOpen(), heldByOtherLink);
    }

    void bytesPassUntranslatedBothWays()
    {
        SerialLink link;
        QCOMPARE(link.open(m_device, PortSettings{0, 7, 3, 1, 1}), 0); // 115200,E,7,2
        const termios tio = m_pty->attributes(); // a pseudo-terminal keeps only speed and stop bits
        QVERIFY(::cfgetospeed(&tio) == B115200 && (tio.c_cflag & CSTOPB));
        QByteArray bytes(1024, 0);
        std::iota(bytes.begin(), bytes.end(), 0); // every byte value, LF and CR among them
        QCOMPARE(link.write(bytes), SerialLink::Write::Queued);
        QCOMPARE(m_pty->read(bytes.size()), bytes); // a blocking read: no event loop runs before it
        QCOMPARE(m_pty->read(1, 200), QByteArray());

        QByteArray got;
        connect(&link, &SerialLink::received, this, [&got](const QByteArray &piece) { got += piece; });
        for (qsizetype at = 0; at < bytes.size(); at += 3) {
            QVERIFY(m_pty->write(bytes.mid(at, 3)));
            QCoreApplication::processEvents(); // so that the link reads pieces of varying size
        }
        QTRY_COMPARE_WITH_TIMEOUT(got, bytes, 10000);
    }

    void aSlowDeviceIsWaitedForAndFramesStayWhole()
    {
        SerialLink link;
        QCOMPARE(link.open(m_device, PortSettings::defaults()), 0);
        QSignalSpy lost(&link, &SerialLink::lost);
        QSignalSpy drained(&link, &SerialLink::drained);
        // Far more than the kernel's buffer holds, while the device reads nothing.
        QByteArray sent;
        for (int i = 0; i < 20000; ++i) {
            const QByteArray frame = QByteArray::fromHex("0200010004") + QByteArray::number(i % 1000).rightJustified(3, '0') + '\x04';
            QCOMPARE(link.write(frame), SerialLink::Write::Queued);
            sent += frame;
        }
        QVERIFY(link.queuedBytes() > 0);
        // A frame that does not fit the queue is refused whole.
        const qint64 room = SerialLink::QueueLimit - link.queuedBytes();
        QCOMPARE(link.write(QByteArray(room + 1, 'x')), SerialLink::Write::QueueFull);
        QCOMPARE(link.queuedBytes(), SerialLink::QueueLimit - room);

        QByteArray got;
        QDeadlineTimer deadline(20000);
        while (got.size() < sent.size() && !deadline.hasExpired()) {
            QCoreApplication::processEvents();
            got += m_pty->read(sent.size() - got.size(), 20);
        }
        QCOMPARE(got.size(), sent.size());
        QVERIFY(got == sent);
        QVERIFY(link.isOpen());
        QCOMPARE(lost.count(), 0);
        QTRY_VERIFY(drained.count() > 0);
    }

    void lossIsReportedOnceAndTheDeviceReopened()
    {
        SerialLink link;
        link.setRetryInterval(200);
        QCOMPARE(link.open(m_device, PortSettings::defaults()), 0);
        QSignalSpy lost(&link, &SerialLink::lost);
        QSignalSpy restored(&link, &SerialLink::restored);
        QByteArray got;
        connect(&link, &SerialLink::received, this, [&got](const QByteArray &piece) { got += piece; });

        m_pty->closeMaster();
        QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, 5000);
        QVERIFY(!link.isOpen() && link.isLost());

        // A vanished device keeps signalling: the link must neither report it again nor spin on
        // it while it retries. The loop runs freely, as QTest::qWait's sleeps would hide spinning.
        const std::clock_t cpuBefore = std::clock();
        QEventLoop loop;
        QTimer::singleShot(1200, &loop, &QEventLoop::quit);
        loop.exec();
        const long cpuMs = long((std::clock() - cpuBefore) * 1000 / CLOCKS_PER_SEC);
        QVERIFY2(cpuMs < 300, qPrintable(QStringLiteral("%1 ms of processor time in 1200 ms").arg(cpuMs)));
        QCOMPARE(lost.count(), 1);
        QCOMPARE(restored.count(), 0);

        PtyPair fresh; // the adapter comes back under the same name
        QVERIFY(pointDeviceAt(fresh));
        QTRY_COMPARE_WITH_TIMEOUT(restored.count(), 1, 2000);
        QVERIFY(link.isOpen() && !link.isLost());
        QCOMPARE(link.write("PING"), SerialLink::Write::Queued);
        QCOMPARE(fresh.read(4), QByteArray("PING"));
        QVERIFY(fresh.write("PONG\r"));
        QTRY_COMPARE_WITH_TIMEOUT(got, QByteArray("PONG\r"), 5000);
        QCOMPARE(lost.count(), 1);
    }

    void acceptSelectionStoresEvenWhenPortFails()
    {
        ConsoleFolder folder;
        folder.write("ComPorts.txt", "12,\"ttyGone\"\r\n");
        SerialLink link;
        QCOMPARE(link.open(m_device, PortSettings::defaults()), 0);
        PortController controller(link, WorkingFolder(folder.sysPath()));
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
        QVERIFY(!link.isOpen());
        QVERIFY(controller.settings() == selection);
        QCOMPARE(folder.read("comset.prt"), QByteArray("11\r\n7\r\n3\r\n1\r\n1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
