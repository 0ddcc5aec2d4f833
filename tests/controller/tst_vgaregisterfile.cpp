#include "VgaRegisterFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList hex(const QList<QByteArray> &entries)
{
    QStringList out;
    for (const QByteArray &entry : entries)
        out << QString::fromLatin1(entry.toHex(' ').toUpper());
    return out;
}

} // namespace

class TestVgaRegisterFile : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void unreadableFile_data();
    void unreadableFile();
    void readsFromDisk();
};

void TestVgaRegisterFile::parse_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<int>("pause");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("reason"); // part of the stop reason; empty: none expected

    const QStringList none;
    QTest::newRow("decimal and hex entries") << QByteArray("50\r\n16,32,48\r\n&H10,&H20,&H30\r\n") << true
                                             << 50 << QStringList{"10 20 30", "10 20 30"} << "";
    QTest::newRow("only the pause") << QByteArray("50\r\n") << true << 50 << none << "";
    QTest::newRow("pause 0") << QByteArray("0\r\n1,2,3\r\n") << true << 0 << QStringList{"01 02 03"} << "";
    QTest::newRow("negative pause counts as 0")
        << QByteArray("-20\r\n1,2,3\r\n") << true << 0 << QStringList{"01 02 03"} << "";
    QTest::newRow("quoted fields") << QByteArray("\"50\"\r\n\"16\",\" &H20\",\"48\"\r\n") << true << 50
                                   << QStringList{"10 20 30"} << "";
    QTest::newRow("entry split over two lines") << QByteArray("50\r\n1,2\r\n3\r\n4,5,6\r\n") << true << 50
                                                << QStringList{"01 02 03", "04 05 06"} << "";
    QTest::newRow("field without a number counts as 0")
        << QByteArray("50\r\nx,,\"\"\r\n") << true << 50 << QStringList{"00 00 00"} << "";
    QTest::newRow("60.2, octal and 3C")
        << QByteArray("50\r\n60.2,&O74,3C\r\n") << true << 50 << QStringList{"3C 3C 03"} << "";
    QTest::newRow("halves to even, -0.4 gives 0")
        << QByteArray("50\r\n2.5,3.5,-0.4\r\n") << true << 50 << QStringList{"02 04 00"} << "";
    QTest::newRow("range limits") << QByteArray("50\r\n255,0,255.4\r\n") << true << 50
                                  << QStringList{"FF 00 FF"} << "";
    QTest::newRow("trailing blank line is no entry")
        << QByteArray("50\r\n1,2,3\r\n\r\n") << true << 50 << QStringList{"01 02 03"} << "";

    QTest::newRow("300 ends the list") << QByteArray("50\r\n1,2,3\r\n1,2,300\r\n4,5,6\r\n") << true << 50
                                       << QStringList{"01 02 03"} << "entry 2: 300 is outside 0 to 255";
    QTest::newRow("-0.6 ends the list") << QByteArray("50\r\n1,2,3\r\n-0.6,5,6\r\n") << true << 50
                                        << QStringList{"01 02 03"} << "entry 2: -0.6";
    QTest::newRow("incomplete last entry dropped")
        << QByteArray("50\r\n1,2,3\r\n4,5\r\n") << true << 50 << QStringList{"01 02 03"} << "incomplete";

    QTest::newRow("pause not a number")
        << QByteArray("abc\r\n1,2,3\r\n") << false << 0 << none << "not a number";
    QTest::newRow("pause 40000") << QByteArray("40000\r\n1,2,3\r\n") << false << 0 << none << "outside";
    QTest::newRow("empty file") << QByteArray() << false << 0 << none << "missing";
}

void TestVgaRegisterFile::parse()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, usable);
    QFETCH(int, pause);
    QFETCH(QStringList, entries);
    QFETCH(QString, reason);

    const VgaRegisterList list = VgaRegisterFile::parse(data);
    QCOMPARE(list.usable, usable);
    QCOMPARE(list.pauseMs, pause);
    QCOMPARE(hex(list.entries), entries);
    if (reason.isEmpty())
        QCOMPARE(list.stopReason, QString());
    else
        QVERIFY2(list.stopReason.contains(reason), qPrintable(list.stopReason));
}

void TestVgaRegisterFile::unreadableFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing file") << "VGAReg.cfg"
                                  << "not found";
    QTest::newRow("folder") << "Folder"
                            << "cannot be read";
}

void TestVgaRegisterFile::unreadableFile()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("Folder"));

    const VgaRegisterList list = VgaRegisterFile::read(dir.filePath(name));
    QVERIFY(!list.usable);
    QVERIFY(list.entries.isEmpty());
    QVERIFY2(list.stopReason.contains(reason), qPrintable(list.stopReason));
}

void TestVgaRegisterFile::readsFromDisk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath("VGAReg.cfg"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("25\r\n&H11,34,51\r\n");
    file.close();

    const VgaRegisterList list = VgaRegisterFile::read(file.fileName());
    QVERIFY(list.usable);
    QCOMPARE(list.pauseMs, 25);
    QCOMPARE(hex(list.entries), QStringList{"11 22 33"});
}

QTEST_APPLESS_MAIN(TestVgaRegisterFile)
#include "tst_vgaregisterfile.moc"
