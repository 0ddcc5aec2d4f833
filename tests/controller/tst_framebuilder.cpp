#include "FrameBuilder.h"

#include <QTest>

// Expected frames are the worked examples of the KVR command table: STX 00 01 00, count,
// code, data, EOT.
class TestFrameBuilder : public QObject {
    Q_OBJECT
private slots:
    void buildsFrames_data();
    void buildsFrames();
    void refusesCallsOutsideTheLimits_data();
    void refusesCallsOutsideTheLimits();
    void registerFrameOfMaximumLength();
};

namespace {
const QStringList Levels{"10", "100", "200", " 7 ", "", "abc"};
}

void TestFrameBuilder::buildsFrames_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("operation mode Video") << 1 << 1 << QByteArray() << QByteArray::fromHex("0200010002010104");
    QTest::newRow("brightness 128") << 2 << 128 << QByteArray() << QByteArray::fromHex("0200010002028004");
    QTest::newRow("brightness 0 sends a zero byte") << 2 << 0 << QByteArray() << QByteArray::fromHex("0200010002020004");
    QTest::newRow("brightness 255") << 2 << 255 << QByteArray() << QByteArray::fromHex("020001000202FF04");
    QTest::newRow("contrast 127") << 3 << 127 << QByteArray() << QByteArray::fromHex("0200010002037F04");
    QTest::newRow("antigamma Off") << 8 << 1 << QByteArray() << QByteArray::fromHex("0200010002080104");
    QTest::newRow("video source Svideo2") << 9 << 5 << QByteArray() << QByteArray::fromHex("0200010002090504");
    QTest::newRow("watchdog 60") << 16 << 60 << QByteArray() << QByteArray::fromHex("0200010002103C04");
    QTest::newRow("intensity position 2 sends its code 200")
        << 10 << 2 << QByteArray() << QByteArray::fromHex("02000100020AC804");
    QTest::newRow("intensity code with blanks around it") << 10 << 3 << QByteArray()
                                                          << QByteArray::fromHex("02000100020A0704");
    QTest::newRow("VGA registers 12 34 56")
        << 11 << 0 << QByteArray::fromHex("123456") << QByteArray::fromHex("02000100040B12345604");
    QTest::newRow("VGA register value ignored") << 11 << 999 << QByteArray::fromHex("00FF")
                                                << QByteArray::fromHex("02000100030B00FF04");
    QTest::newRow("empty register data gives count one")
        << 11 << 0 << QByteArray() << QByteArray::fromHex("02000100010B04");
}

void TestFrameBuilder::buildsFrames()
{
    QFETCH(int, mode);
    QFETCH(int, value);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, frame);

    const Frame built = FrameBuilder::build(mode, value, data, Levels);
    QVERIFY2(built.ok(), qPrintable(built.rejection));
    QCOMPARE(built.bytes.toHex(' '), frame.toHex(' '));
}

void TestFrameBuilder::refusesCallsOutsideTheLimits_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("data");

    QTest::newRow("brightness 256") << 2 << 256 << QByteArray();
    QTest::newRow("brightness -1") << 2 << -1 << QByteArray();
    QTest::newRow("contrast 128") << 3 << 128 << QByteArray();
    QTest::newRow("operation mode 3") << 1 << 3 << QByteArray();
    QTest::newRow("horizontal filter 8") << 6 << 8 << QByteArray();
    QTest::newRow("vertical filter 5") << 7 << 5 << QByteArray();
    QTest::newRow("video source 6") << 9 << 6 << QByteArray();
    QTest::newRow("watchdog 256") << 16 << 256 << QByteArray();
    QTest::newRow("intensity position 6") << 10 << 6 << QByteArray();
    QTest::newRow("intensity level without a code") << 10 << 4 << QByteArray();
    QTest::newRow("intensity level code not a number") << 10 << 5 << QByteArray();
    QTest::newRow("register data of 255 bytes") << 11 << 0 << QByteArray(255, '\x01');
    QTest::newRow("command 12 is not in the table") << 12 << 0 << QByteArray();
    QTest::newRow("command 0") << 0 << 0 << QByteArray();
}

void TestFrameBuilder::refusesCallsOutsideTheLimits()
{
    QFETCH(int, mode);
    QFETCH(int, value);
    QFETCH(QByteArray, data);

    const Frame built = FrameBuilder::build(mode, value, data, Levels);
    QVERIFY(!built.ok());
    QVERIFY(built.bytes.isEmpty());
}

void TestFrameBuilder::registerFrameOfMaximumLength()
{
    const Frame built = FrameBuilder::build(11, 0, QByteArray(254, '\x55'), Levels);
    QVERIFY(built.ok());
    QCOMPARE(built.bytes.size(), 261);
    QCOMPARE(static_cast<unsigned char>(built.bytes.at(4)), 255u);
    QCOMPARE(built.bytes.at(5), '\x0B');
    QCOMPARE(built.bytes.back(), '\x04');
}

QTEST_APPLESS_MAIN(TestFrameBuilder)
#include "tst_framebuilder.moc"
