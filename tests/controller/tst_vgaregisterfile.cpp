#include "VgaRegisterFile.h"

#include <QTemporaryDir>
#include <QTest>

// VGAReg.cfg by itself. What the console sends from it, how it paces the frames and that 300
// ends the run are checked end to end in tests/video/tst_settingload.
class TestVgaRegisterFile : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<int>("pause");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("reason"); // part of the stop reason; empty: none expected

        const QStringList none, one{"01 02 03"};
        QTest::newRow("decimal, hex and quoted fields")
            << QByteArray("\"50\"\r\n16,\" &H20\",48\r\n&H10,&H20,&H30\r\n") << true << 50
            << QStringList{"10 20 30", "10 20 30"} << "";
        QTest::newRow("negative pause counts as 0, no entry is no fault")
            << QByteArray("-20\r\n") << true << 0 << none << "";
        QTest::newRow("60.2, octal, 3C; a field without a number is 0")
            << QByteArray("50\r\n60.2,&O74,3C\r\nx,,\"\"\r\n") << true << 50
            << QStringList{"3C 3C 03", "00 00 00"} << "";
        QTest::newRow("halves to even; -0.4 and 255.4 still inside the range")
            << QByteArray("50\r\n2.5,3.5,-0.4\r\n255,0,255.4\r\n") << true << 50
            << QStringList{"02 04 00", "FF 00 FF"} << "";
        QTest::newRow("-0.6 ends the list")
            << QByteArray("50\r\n1,2,3\r\n-0.6,5,6\r\n4,5,6\r\n") << true << 50 << one << "entry 2: -0.6";
        QTest::newRow("entry over two lines; an incomplete last one is dropped")
            << QByteArray("50\r\n1,2\r\n3\r\n4,5\r\n") << true << 50 << one << "incomplete";
        QTest::newRow("pause not a number")
            << QByteArray("abc\r\n1,2,3\r\n") << false << 0 << none << "not a number";
        QTest::newRow("pause 40000") << QByteArray("40000\r\n1,2,3\r\n") << false << 0 << none << "outside";
        QTest::newRow("empty file") << QByteArray() << false << 0 << none << "missing";
    }
    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, reason);
        const VgaRegisterList list = VgaRegisterFile::parse(data);
        QStringList entries;
        for (const QByteArray &entry : list.entries)
            entries << QString::fromLatin1(entry.toHex(' ').toUpper());
        QTEST(list.usable, "usable");
        QTEST(list.pauseMs, "pause");
        QTEST(entries, "entries");
        QVERIFY2(reason.isEmpty() ? list.stopReason.isEmpty() : list.stopReason.contains(reason),
                 qPrintable(list.stopReason));
    }

    void unreadableFile()
    {
        QTemporaryDir dir;
        const VgaRegisterList missing = VgaRegisterFile::read(dir.filePath("VGAReg.cfg"));
        QVERIFY(missing.fileMissing && !missing.usable);
        const VgaRegisterList folder = VgaRegisterFile::read(dir.path());
        QVERIFY(!folder.fileMissing && !folder.usable && folder.entries.isEmpty());
        QVERIFY2(folder.stopReason.contains("cannot be read"), qPrintable(folder.stopReason));
    }
};

QTEST_APPLESS_MAIN(TestVgaRegisterFile)
#include "tst_vgaregisterfile.moc"
