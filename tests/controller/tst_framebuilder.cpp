#include "FrameBuilder.h"

#include <QTest>

// Frames are the worked examples of the KVR command table: STX 00 01 00, count, code, data,
// EOT. An empty frame: the call is refused and nothing may be sent.
class TestFrameBuilder : public QObject {
    Q_OBJECT
private slots:
    void build_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("frame");

        const QByteArray none, refused;
        auto f = [](const char *hex) { return QByteArray::fromHex(hex); };
        QTest::newRow("operation mode Video") << 1 << 1 << none << f("0200010002010104");
        QTest::newRow("brightness 0: a zero byte") << 2 << 0 << none << f("0200010002020004");
        QTest::newRow("brightness 255") << 2 << 255 << none << f("020001000202FF04");
        QTest::newRow("contrast 127") << 3 << 127 << none << f("0200010002037F04");
        QTest::newRow("video source Svideo2") << 9 << 5 << none << f("0200010002090504");
        QTest::newRow("watchdog 60") << 16 << 60 << none << f("0200010002103C04");
        QTest::newRow("intensity position 2: its code 200") << 10 << 2 << none << f("02000100020AC804");
        QTest::newRow("intensity code with blanks around it") << 10 << 3 << none << f("02000100020A0704");
        QTest::newRow("VGA registers, value ignored")
            << 11 << 999 << f("123456") << f("02000100040B12345604");
        QTest::newRow("no register data: count one") << 11 << 0 << none << f("02000100010B04");
        QTest::newRow("254 register bytes: count 255")
            << 11 << 0 << QByteArray(254, 'U') << f("02000100FF0B") + QByteArray(254, 'U') + '\x04';

        QTest::newRow("brightness 256") << 2 << 256 << none << refused;
        QTest::newRow("brightness -1") << 2 << -1 << none << refused;
        QTest::newRow("contrast 128") << 3 << 128 << none << refused;
        QTest::newRow("operation mode 3") << 1 << 3 << none << refused;
        QTest::newRow("horizontal filter 8") << 6 << 8 << none << refused;
        QTest::newRow("vertical filter 5") << 7 << 5 << none << refused;
        QTest::newRow("video source 6") << 9 << 6 << none << refused;
        QTest::newRow("watchdog 256") << 16 << 256 << none << refused;
        QTest::newRow("intensity position 6") << 10 << 6 << none << refused;
        QTest::newRow("intensity level without a code") << 10 << 4 << none << refused;
        QTest::newRow("intensity level code not a number") << 10 << 5 << none << refused;
        QTest::newRow("register data of 255 bytes") << 11 << 0 << QByteArray(255, '\x01') << refused;
        QTest::newRow("command 12 is not in the table") << 12 << 0 << none << refused;
        QTest::newRow("command 0") << 0 << 0 << none << refused;
    }
    void build()
    {
        QFETCH(int, mode);
        QFETCH(int, value);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, frame);

        const Frame built = FrameBuilder::build(mode, value, data, {"10", "100", "200", " 7 ", "", "abc"});
        QVERIFY2(built.ok() == !frame.isEmpty(), qPrintable(built.rejection));
        QCOMPARE(built.bytes.toHex(' '), frame.toHex(' '));
    }
};

QTEST_APPLESS_MAIN(TestFrameBuilder)
#include "tst_framebuilder.moc"
