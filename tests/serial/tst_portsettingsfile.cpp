#include "FileError.h"
#include "PortDirectory.h"
#include "PortSettings.h"
#include "PortSettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PortSettings)

namespace {

constexpr int Ok = 0;
constexpr int TypeMismatch = static_cast<int>(FileError::TypeMismatch);
constexpr int FileNotFound = static_cast<int>(FileError::FileNotFound);
constexpr int InputPastEnd = static_cast<int>(FileError::InputPastEnd);
constexpr int InvalidValue = static_cast<int>(FileError::InvalidValue);

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPortSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void writesFiveLinesAndReadsThemBack_data();
    void writesFiveLinesAndReadsThemBack();
    void parse_data();
    void parse();
    void missingFileIsReportedAsNotFound();
    void settingsText_data();
    void settingsText();
    void portDirectory_data();
    void portDirectory();
    void portDirectoryWithoutFileUsesUsualNames();
};

void TestPortSettingsFile::writesFiveLinesAndReadsThemBack_data()
{
    QTest::addColumn<PortSettings>("settings");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("first start, all positions 0")
        << PortSettings{} << QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n");
    QTest::newRow("defaults Com 1 9600 8 None 1")
        << PortSettings::defaults() << QByteArray("0\r\n3\r\n4\r\n0\r\n0\r\n");
    QTest::newRow("Com 12 115200 7 Even 2")
        << PortSettings{11, 7, 3, 1, 1} << QByteArray("11\r\n7\r\n3\r\n1\r\n1\r\n");
}

void TestPortSettingsFile::writesFiveLinesAndReadsThemBack()
{
    QFETCH(PortSettings, settings);
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("comset.prt");
    QCOMPARE(PortSettingsFile::write(path, settings), QString());
    QCOMPARE(fileBytes(path), bytes);

    const PortSettingsRead read = PortSettingsFile::read(path);
    QCOMPARE(read.error, Ok);
    QCOMPARE(read.problem, QString());
    QVERIFY(read.settings == settings);
}

void TestPortSettingsFile::parse_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("error");
    QTest::addColumn<PortSettings>("settings");

    const PortSettings port12{11, 7, 3, 1, 1};
    QTest::newRow("five lines") << QByteArray("0\r\n3\r\n4\r\n0\r\n0\r\n") << Ok << PortSettings::defaults();
    QTest::newRow("comma-separated on one line") << QByteArray("11,7,3,1,1") << Ok << port12;
    QTest::newRow("blanks, bare LF and quotes") << QByteArray(" 11 ,\"7\"\n3\n 1\n1\n") << Ok << port12;
    QTest::newRow("empty file") << QByteArray() << InputPastEnd << PortSettings{};
    QTest::newRow("short file") << QByteArray("0\r\n3\r\n4\r\n") << InputPastEnd << PortSettings{};
    QTest::newRow("letter for the baud rate") << QByteArray("0,x,4,0,0") << TypeMismatch << PortSettings{};
    QTest::newRow("number followed by text") << QByteArray("0,3,4,0,1b") << TypeMismatch << PortSettings{};
    QTest::newRow("port 13") << QByteArray("12,3,4,0,0") << InvalidValue << PortSettings{};
    QTest::newRow("negative port position") << QByteArray("-1,3,4,0,0") << InvalidValue << PortSettings{};
    QTest::newRow("baud rate past the list") << QByteArray("0,8,4,0,0") << InvalidValue << PortSettings{};
    QTest::newRow("9 data bits") << QByteArray("0,3,5,0,0") << InvalidValue << PortSettings{};
    QTest::newRow("fourth parity") << QByteArray("0,3,4,3,0") << InvalidValue << PortSettings{};
    QTest::newRow("three stop bits") << QByteArray("0,3,4,0,2") << InvalidValue << PortSettings{};
}

void TestPortSettingsFile::parse()
{
    QFETCH(QByteArray, data);
    QFETCH(int, error);
    QFETCH(PortSettings, settings);

    const PortSettingsRead read = PortSettingsFile::parse(data);
    QCOMPARE(read.error, error);
    QCOMPARE(read.problem.isEmpty(), error == Ok);
    // A file that cannot be used leaves every position at 0.
    QVERIFY(read.settings == settings);
}

void TestPortSettingsFile::missingFileIsReportedAsNotFound()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const PortSettingsRead read = PortSettingsFile::read(dir.filePath("comset.prt"));
    QCOMPARE(read.error, FileNotFound);
    QVERIFY(!read.problem.isEmpty());
}

void TestPortSettingsFile::settingsText_data()
{
    QTest::addColumn<PortSettings>("settings");
    QTest::addColumn<QString>("text");

    QTest::newRow("defaults") << PortSettings::defaults() << "9600,N,8,1";
    QTest::newRow("port 12, even parity, two stop bits") << PortSettings{11, 7, 3, 1, 1} << "115200,E,7,2";
    QTest::newRow("first entries, odd parity") << PortSettings{0, 0, 0, 2, 0} << "2400,O,4,1";
}

void TestPortSettingsFile::settingsText()
{
    QFETCH(PortSettings, settings);
    QFETCH(QString, text);
    QCOMPARE(settings.settingsText(), text);
}

void TestPortSettingsFile::portDirectory_data()
{
    QTest::addColumn<QByteArray>("comPorts");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("problems");

    const QByteArray two = "1,\"/dev/ttyUSB0\"\r\n12,\"/dev/ttyACM1\"\r\n";
    QTest::newRow("mapped port") << two << 1 << "/dev/ttyUSB0" << 0;
    QTest::newRow("mapped port 12") << two << 12 << "/dev/ttyACM1" << 0;
    QTest::newRow("unmapped port 2 is ttyS1") << two << 2 << "/dev/ttyS1" << 0;
    QTest::newRow("unmapped port 11 is ttyS10") << two << 11 << "/dev/ttyS10" << 0;
    QTest::newRow("path with blanks and comma")
        << QByteArray("3,\"/tmp/my port, 2\"\n") << 3 << "/tmp/my port, 2" << 0;

    const QByteArray bad =
        "0,\"/dev/zero0\"\r\n13,\"/dev/x13\"\r\nx,\"/dev/x\"\r\n4,\"\"\r\n2,\"/dev/ttyUSB7\"\r\n";
    QTest::newRow("bad records listed, good one used") << bad << 2 << "/dev/ttyUSB7" << 4;
    QTest::newRow("port of an empty path keeps its usual name") << bad << 4 << "/dev/ttyS3" << 4;
    QTest::newRow("record cut short") << QByteArray("1,\"/dev/ttyUSB0\"\r\n5") << 1 << "/dev/ttyUSB0" << 1;
    // One record a line: an empty line is no record, so it is neither a problem nor does it
    // shift the records after it.
    QTest::newRow("empty line between records")
        << QByteArray("1,\"/dev/ttyUSB0\"\r\n\r\n2,\"/dev/ttyUSB1\"\r\n") << 2 << "/dev/ttyUSB1" << 0;
    QTest::newRow("empty line at the end")
        << QByteArray("1,\"/dev/ttyUSB0\"\r\n\r\n") << 1 << "/dev/ttyUSB0" << 0;
}

void TestPortSettingsFile::portDirectory()
{
    QFETCH(QByteArray, comPorts);
    QFETCH(int, port);
    QFETCH(QString, path);
    QFETCH(int, problems);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath("ComPorts.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(comPorts);
    file.close();

    const PortDirectory directory = PortDirectory::read(file.fileName());
    QCOMPARE(directory.devicePath(port), path);
    QCOMPARE(directory.problems().size(), problems);
}

void TestPortSettingsFile::portDirectoryWithoutFileUsesUsualNames()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const PortDirectory directory = PortDirectory::read(dir.filePath("ComPorts.txt"));
    QCOMPARE(directory.devicePath(1), QString("/dev/ttyS0"));
    QCOMPARE(directory.devicePath(12), QString("/dev/ttyS11"));
    QVERIFY(directory.problems().isEmpty());
}

QTEST_APPLESS_MAIN(TestPortSettingsFile)
#include "tst_portsettingsfile.moc"
