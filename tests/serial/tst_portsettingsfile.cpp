#include "FileError.h"
#include "PortDirectory.h"
#include "PortSettings.h"
#include "PortSettingsFile.h"

#include <QTest>

Q_DECLARE_METATYPE(PortSettings)

class TestPortSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void writesFiveLinesAndReadsThemBack_data()
    {
        QTest::addColumn<PortSettings>("settings");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // as the port service takes the settings
        QTest::newRow("defaults: Com 1, 9600,N,8,1")
            << PortSettings::defaults() << QByteArray("0\r\n3\r\n4\r\n0\r\n0\r\n") << "9600,N,8,1";
        QTest::newRow("Com 12, 115200,E,7,2")
            << PortSettings{11, 7, 3, 1, 1} << QByteArray("11\r\n7\r\n3\r\n1\r\n1\r\n") << "115200,E,7,2";
        QTest::newRow("first entries, odd parity")
            << PortSettings{0, 0, 0, 2, 0} << QByteArray("0\r\n0\r\n0\r\n2\r\n0\r\n") << "2400,O,4,1";
    }
    void writesFiveLinesAndReadsThemBack()
    {
        QFETCH(PortSettings, settings);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(PortSettingsFile::format(settings), bytes);
        const PortSettingsRead read = PortSettingsFile::parse(bytes);
        QVERIFY(read.ok() && read.settings == settings);
        QCOMPARE(settings.settingsText(), text);
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("error");
        QTest::addColumn<PortSettings>("settings");
        QTest::newRow("comma-separated on one line") << QByteArray("11,7,3,1,1") << 0 << PortSettings{11, 7, 3, 1, 1};
        // The number at the start of a field, as every file is read; no number gives 0.
        QTest::newRow("3 baud") << QByteArray("0,3 baud,4,0,0") << 0 << PortSettings{0, 3, 4, 0, 0};
        QTest::newRow("letter for the baud rate") << QByteArray("0,x,4,0,0") << 0 << PortSettings{0, 0, 4, 0, 0};
        // The positions before the end are kept; the ones after keep what they were.
        QTest::newRow("short file") << QByteArray("0\r\n3\r\n4\r\n") << int(FileError::InputPastEnd)
                                    << PortSettings{0, 3, 4, 0, 0};
        QTest::newRow("port 13, outside its list")
            << QByteArray("12,3,4,0,0") << int(FileError::InvalidValue) << PortSettings{};
    }
    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, error);
        QFETCH(PortSettings, settings);
        const PortSettingsRead read = PortSettingsFile::parse(data);
        QCOMPARE(read.error, error);
        QCOMPARE(read.problem.isEmpty(), error == 0);
        QVERIFY(read.settings == settings);
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
        QFETCH(QString, path);
        QFETCH(int, problems);
        const PortDirectory directory = PortDirectory::parse(comPorts);
        QCOMPARE(directory.devicePath(port), path);
        QCOMPARE(directory.problems().size(), problems);
    }
};

QTEST_APPLESS_MAIN(TestPortSettingsFile)
#include "tst_portsettingsfile.moc"
