#include "FileError.h"
#include "SettingFile.h"
#include "VideoSettings.h"

#include <QTemporaryDir>
#include <QTest>

#include <tuple>

namespace {

constexpr int Ok = 0;
constexpr int TypeMismatch = int(FileError::TypeMismatch);
constexpr int InputPastEnd = int(FileError::InputPastEnd);
constexpr int InvalidValue = int(FileError::InvalidValue);

// One field a line, as the console writes it.
QByteArray lines(const QList<QByteArray> &fields)
{
    QByteArray data;
    for (const QByteArray &field : fields)
        data += field + "\r\n";
    return data;
}

const QStringList Texts{"PC", "Adaptive", "Linear", "On", "Composite1"};
const QList<QByteArray> QuotedTexts{"\"PC\"", "\"Adaptive\"", "\"Linear\"", "\"On\"", "\"Composite1\""};

} // namespace

// Setting files by themselves. How a damaged file stops a load (a short file, a letter, a value
// out of range) is checked end to end in tests/video/tst_settingload.
class TestSettingFile : public QObject {
    Q_OBJECT
private slots:
    void writeAndReadBack_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("fresh state") << QStringList{"", "", "", "", ""} << QList<int>{0, 0, 0, 0}
                                     << QByteArray("\"\"\r\n").repeated(5) +
                                            QByteArray("\"0\"\r\n").repeated(4);
        QTest::newRow("text outside ASCII in UTF-8, blanks and comma")
            << QStringList{QString::fromUtf8("Caf\xc3\xa9 1"), " a ", "b,c", "On", "x"}
            << QList<int>{1, 2, 3, 4}
            << lines({"\"Caf\xc3\xa9 1\"", "\" a \"", "\"b,c\"", "\"On\"", "\"x\"", "\"1\"", "\"2\"", "\"3\"",
                      "\"4\""});
    }
    void writeAndReadBack()
    {
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, values);
        QFETCH(QByteArray, bytes);

        VideoSettings s;
        std::tie(s.OperationModeText, s.HorFilterText, s.VerFilterText, s.AntigammaText, s.VideoSourceText) =
            std::tie(texts[0], texts[1], texts[2], texts[3], texts[4]);
        std::tie(s.brightness, s.contrast, s.saturation, s.hue) =
            std::tie(values[0], values[1], values[2], values[3]);
        QCOMPARE(SettingFile::format(s).bytes, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("Test.pav");
        QCOMPARE(SettingFile::write(path, s), QString());
        const SettingFileRead read = SettingFile::read(path);
        QCOMPARE(read.error, Ok);
        QCOMPARE(read.texts, texts);
        QCOMPARE(read.values, values);
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QList<int>>("values"); // as far as read and accepted
        QTest::addColumn<int>("error");

        auto file = [](const QList<QByteArray> &numbers) { return lines(QuotedTexts + numbers); };
        QTest::newRow("nine on one line")
            << QByteArray("\"PC\",\"Adaptive\",\"Linear\",\"On\",\"Composite1\",128,64,64,128\r\n")
            << QList<int>{128, 64, 64, 128} << Ok;
        QTest::newRow("numbers without quotes, blanks, hex; anything after the ninth field ignored")
            << file({"128", " 64", "&H40 ", "128", "\"rubbish\"", "x,y"}) << QList<int>{128, 64, 64, 128}
            << Ok;
        QTest::newRow("halves round to even inside range")
            << file({"\"0\"", "\"126.5\"", "\"127\"", "\"254.5\""}) << QList<int>{0, 126, 127, 254} << Ok;

        QTest::newRow("empty file") << QByteArray() << QList<int>{} << InputPastEnd;
        QTest::newRow("digits then letters")
            << file({"\"12ab\"", "64", "64", "128"}) << QList<int>{} << TypeMismatch;
        QTest::newRow("empty number field")
            << file({"128", "\"\"", "64", "128"}) << QList<int>{128} << TypeMismatch;
        QTest::newRow("127.5 in contrast rounds to 128")
            << file({"128", "\"127.5\"", "64", "128"}) << QList<int>{128} << InvalidValue;
        QTest::newRow("huge saturation")
            << file({"128", "64", "1e300", "128"}) << QList<int>{128, 64} << InvalidValue;
        QTest::newRow("-1 in hue") << file({"128", "64", "64", "\"-1\""}) << QList<int>{128, 64, 64}
                                   << InvalidValue;
    }
    void parse()
    {
        QFETCH(QByteArray, data);
        const SettingFileRead read = SettingFile::parse(data);
        QCOMPARE(read.texts, data.isEmpty() ? QStringList() : Texts);
        QTEST(read.values, "values");
        QTEST(read.error, "error");
    }

    void folderIsNoSettingFile() // a missing file is checked end to end in tst_settingload
    {
        QTemporaryDir dir;
        const SettingFileRead read = SettingFile::read(dir.path());
        QCOMPARE(read.error, int(FileError::PathFileAccess));
        QVERIFY(read.texts.isEmpty() && read.values.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestSettingFile)
#include "tst_settingfile.moc"
