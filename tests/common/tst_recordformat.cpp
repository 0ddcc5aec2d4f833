#include "RecordReader.h"
#include "RecordWriter.h"

#include <QTest>

class TestRecordFormat : public QObject {
    Q_OBJECT
private slots:
    void readsFields_data();
    void readsFields();
    void pastTheEndGivesNothing();
    void writerRoundTrip();
    void writerFormsRecords();
};

void TestRecordFormat::readsFields_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("fields");

    const QStringList nine{"PC", "Adaptive", "Linear", "On", "Composite1", "128", "64", "64", "128"};
    QTest::newRow("nine lines") << QByteArray("\"PC\"\r\n\"Adaptive\"\r\n\"Linear\"\r\n\"On\"\r\n\"Composite1\"\r\n"
                                              "\"128\"\r\n\"64\"\r\n\"64\"\r\n\"128\"\r\n")
                                << nine;
    QTest::newRow("nine on one line")
        << QByteArray("\"PC\",\"Adaptive\",\"Linear\",\"On\",\"Composite1\",128,64,64,128\r\n") << nine;
    QTest::newRow("bare LF and CR line ends") << QByteArray("1\n2\r3,4") << QStringList{"1", "2", "3", "4"};
    QTest::newRow("quoted field keeps CR, TAB, comma and LF")
        << QByteArray("3,\"\t06:00\tA,b\r\t18:30\tB\n\"\r\n")
        << QStringList{"3", "\t06:00\tA,b\r\t18:30\tB\n"};
    QTest::newRow("unquoted blanks trimmed, quoted kept")
        << QByteArray("  60 ,\" x \"\r\n") << QStringList{"60", " x "};
    QTest::newRow("text after closing quote dropped") << QByteArray("\"ab\"cd,2") << QStringList{"ab", "2"};
    QTest::newRow("empty quoted fields") << QByteArray("\"\"\r\n\"\"\r\n") << QStringList{"", ""};
    QTest::newRow("two commas give an empty field") << QByteArray("1,,2") << QStringList{"1", "", "2"};
    QTest::newRow("unclosed quote runs to end") << QByteArray("\"abc") << QStringList{"abc"};
    QTest::newRow("8-bit bytes kept") << QByteArray("\"caf\xe9\"") << QStringList{QString::fromLatin1("caf\xe9")};
}

void TestRecordFormat::readsFields()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, fields);

    RecordReader reader(data);
    QStringList read;
    while (!reader.atEnd())
        read << reader.next().value();
    QCOMPARE(read, fields);
}

void TestRecordFormat::pastTheEndGivesNothing()
{
    RecordReader reader(QByteArray("\"a\"\r\n"));
    QCOMPARE(reader.next(), std::optional<QString>("a"));
    QVERIFY(reader.atEnd());
    QCOMPARE(reader.next(), std::nullopt);
    QCOMPARE(reader.fieldsRead(), 1);
}

void TestRecordFormat::writerRoundTrip()
{
    const QString table = QString::fromLatin1("\t06:00\tC:\\sys\\a.pav\r\t18:30\t/x/b,c.pav\xe9");
    RecordWriter writer;
    writer.number(3).text(table).endRecord().text(QString()).number(-5).endRecord();

    RecordReader reader(writer.bytes());
    QCOMPARE(reader.next().value(), QString("3"));
    QCOMPARE(reader.next().value(), table);
    QCOMPARE(reader.next().value(), QString());
    QCOMPARE(reader.next().value(), QString("-5"));
    QVERIFY(reader.atEnd());
}

void TestRecordFormat::writerFormsRecords()
{
    RecordWriter writer;
    writer.number(5).text("Manual").endRecord().text("5").text("Automatic").endRecord().text("").endRecord();
    QCOMPARE(writer.bytes(), QByteArray("5,\"Manual\"\r\n\"5\",\"Automatic\"\r\n\"\"\r\n"));
}

QTEST_APPLESS_MAIN(TestRecordFormat)
#include "tst_recordformat.moc"
