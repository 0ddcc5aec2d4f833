#include "FileError.h"
#include "SettingFile.h"
#include "VideoSettings.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Ok = 0;
constexpr int TypeMismatch = static_cast<int>(FileError::TypeMismatch);
constexpr int InputPastEnd = static_cast<int>(FileError::InputPastEnd);
constexpr int InvalidValue = static_cast<int>(FileError::InvalidValue);

VideoSettings record(const QStringList &texts, const QList<int> &values)
{
    VideoSettings s;
    s.OperationModeText = texts.at(0);
    s.HorFilterText = texts.at(1);
    s.VerFilterText = texts.at(2);
    s.AntigammaText = texts.at(3);
    s.VideoSourceText = texts.at(4);
    s.brightness = values.at(0);
    s.contrast = values.at(1);
    s.saturation = values.at(2);
    s.hue = values.at(3);
    return s;
}

// One field a line, as the console writes it.
QByteArray lines(const QList<QByteArray> &fields)
{
    QByteArray data;
    for (const QByteArray &field : fields)
        data += field + "\r\n";
    return data;
}

const QList<QByteArray> Texts{"\"PC\"", "\"Adaptive\"", "\"Linear\"", "\"On\"", "\"Composite1\""};
const QStringList TextValues{"PC", "Adaptive", "Linear", "On", "Composite1"};

} // namespace

class TestSettingFile : public QObject {
    Q_OBJECT
private slots:
    void roundTripThroughDisk_data();
    void roundTripThroughDisk();
    void formatsExactly_data();
    void formatsExactly();
    void parse_data();
    void parse();
    void unreadableFile_data();
    void unreadableFile();
};

void TestSettingFile::roundTripThroughDisk_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("values");

    QTest::newRow("typical") << TextValues << QList<int>{128, 64, 64, 128};
    QTest::newRow("maxima") << QStringList{"Video", "Sharp", "Off", "Off", "S-Video"}
                            << QList<int>{255, 127, 127, 255};
    QTest::newRow("fresh") << QStringList{"", "", "", "", ""} << QList<int>{0, 0, 0, 0};
    QTest::newRow("8-bit text with blanks and comma")
        << QStringList{QString::fromLatin1("Caf\xe9 1"), " a ", "b,c", "On", "x"} << QList<int>{1, 2, 3, 4};
}

void TestSettingFile::roundTripThroughDisk()
{
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, values);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Test.pav");
    QCOMPARE(SettingFile::write(path, record(texts, values)), QString());

    const SettingFileRead read = SettingFile::read(path);
    QCOMPARE(read.error, Ok);
    QVERIFY(read.complete());
    QCOMPARE(read.texts, texts);
    QCOMPARE(read.values, values);
}

void TestSettingFile::formatsExactly_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("fresh state")
        << QStringList{"", "", "", "", ""} << QList<int>{0, 0, 0, 0}
        << QByteArray("\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"\"\r\n\"0\"\r\n\"0\"\r\n\"0\"\r\n\"0\"\r\n");
    QTest::newRow("full record") << TextValues << QList<int>{128, 7, 100, 255}
                                 << lines(Texts +
                                          QList<QByteArray>{"\"128\"", "\"7\"", "\"100\"", "\"255\""});
}

void TestSettingFile::formatsExactly()
{
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, values);
    QFETCH(QByteArray, bytes);

    QCOMPARE(SettingFile::format(record(texts, values)), bytes);
}

void TestSettingFile::parse_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("error");
    QTest::addColumn<qsizetype>("errorOffset");

    const QStringList none;
    auto file = [](const QList<QByteArray> &numbers) { return lines(Texts + numbers); };
    // The offset of the field that stopped the read, found by its text.
    auto at = [](const QByteArray &data, const QByteArray &field) { return data.lastIndexOf(field); };

    QByteArray d = "\"PC\",\"Adaptive\",\"Linear\",\"On\",\"Composite1\",\"128\",\"64\",\"64\",\"128\"\r\n";
    QTest::newRow("nine on one line")
        << d << TextValues << QList<int>{128, 64, 64, 128} << Ok << qsizetype(0);
    d = file({"128", " 64", "&H40 ", "128"});
    QTest::newRow("numbers without quotes, blanks, hex")
        << d << TextValues << QList<int>{128, 64, 64, 128} << Ok << qsizetype(0);
    d = file({"\"0\"", "\"126.5\"", "\"127\"", "\"254.5\""});
    QTest::newRow("halves round to even inside range")
        << d << TextValues << QList<int>{0, 126, 127, 254} << Ok << qsizetype(0);
    d = file({"1", "2", "3", "4", "\"rubbish\"", "x,y"});
    QTest::newRow("anything after the ninth field ignored")
        << d << TextValues << QList<int>{1, 2, 3, 4} << Ok << qsizetype(0);

    d = file({"\"128\"", "\"64\""});
    QTest::newRow("seven fields") << d << TextValues << QList<int>{128, 64} << InputPastEnd << d.size();
    d = QByteArray();
    QTest::newRow("empty file") << d << none << QList<int>{} << InputPastEnd << qsizetype(0);

    d = file({"\"128\"", "\"64\"", "\"x\"", "\"128\""});
    QTest::newRow("letter in saturation")
        << d << TextValues << QList<int>{128, 64} << TypeMismatch << at(d, "\"x\"");
    d = file({"\"12ab\"", "\"64\"", "\"64\"", "\"128\""});
    QTest::newRow("digits then letters")
        << d << TextValues << QList<int>{} << TypeMismatch << at(d, "\"12ab\"");
    d = file({"\"\"", "\"64\"", "\"64\"", "\"128\""});
    QTest::newRow("empty number field") << d << TextValues << QList<int>{} << TypeMismatch << at(d, "\"\"");

    d = file({"\"300\"", "\"64\"", "\"64\"", "\"128\""});
    QTest::newRow("300 in brightness") << d << TextValues << QList<int>{} << InvalidValue << at(d, "\"300\"");
    d = file({"\"128\"", "\"128\"", "\"64\"", "\"128\""});
    QTest::newRow("128 in contrast") << d << TextValues << QList<int>{128} << InvalidValue
                                     << at(d, "\"128\"\r\n\"64");
    d = file({"\"128\"", "\"127.5\"", "\"64\"", "\"128\""});
    QTest::newRow("127.5 in contrast rounds to 128")
        << d << TextValues << QList<int>{128} << InvalidValue << at(d, "\"127.5\"");
    d = file({"\"128\"", "\"64\"", "\"64\"", "\"-1\""});
    QTest::newRow("-1 in hue") << d << TextValues << QList<int>{128, 64, 64} << InvalidValue
                               << at(d, "\"-1\"");
    d = file({"\"128\"", "\"64\"", "1e300", "\"128\""});
    QTest::newRow("huge saturation") << d << TextValues << QList<int>{128, 64} << InvalidValue
                                     << at(d, "1e300");
}

void TestSettingFile::parse()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, values);
    QFETCH(int, error);
    QFETCH(qsizetype, errorOffset);

    const SettingFileRead read = SettingFile::parse(data);
    QCOMPARE(read.texts, texts);
    QCOMPARE(read.values, values);
    QCOMPARE(read.error, error);
    QCOMPARE(read.complete(), error == Ok);
    if (error != Ok)
        QCOMPARE(read.errorOffset, errorOffset);
}

void TestSettingFile::unreadableFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");

    QTest::newRow("missing file") << "Missing.pav" << static_cast<int>(FileError::FileNotFound);
    QTest::newRow("folder") << "Folder.pav" << static_cast<int>(FileError::PathFileAccess);
}

void TestSettingFile::unreadableFile()
{
    QFETCH(QString, name);
    QFETCH(int, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("Folder.pav"));

    const SettingFileRead read = SettingFile::read(dir.filePath(name));
    QCOMPARE(read.error, error);
    QVERIFY(read.texts.isEmpty());
    QVERIFY(read.values.isEmpty());
}

QTEST_APPLESS_MAIN(TestSettingFile)
#include "tst_settingfile.moc"
