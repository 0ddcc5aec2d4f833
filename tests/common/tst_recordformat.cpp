#include "RecordReader.h"
#include "FileError.h"
#include "RecordWriter.h"
#include "SafeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

QStringList fields(const QByteArray &data)
{
    RecordReader reader(data);
    QStringList read;
    while (!reader.atEnd())
        read << reader.next().value();
    return read;
}

} // namespace

class TestRecordFormat : public QObject {
    Q_OBJECT
private slots:
    void readsFields_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("fields");
        const QStringList three{"PC", "Adaptive", "128"};
        QTest::newRow("one a line") << QByteArray("\"PC\"\r\n\"Adaptive\"\r\n\"128\"\r\n") << three;
        QTest::newRow("all on one line") << QByteArray("\"PC\",\"Adaptive\",128\r\n") << three;
        QTest::newRow("bare LF and CR line ends")
            << QByteArray("1\n2\r3,4") << QStringList{"1", "2", "3", "4"};
        QTest::newRow("quoted field keeps CR, TAB, comma and LF")
            << QByteArray("3,\"\t06:00\tA,b\r\t18:30\tB\n\"\r\n")
            << QStringList{"3", "\t06:00\tA,b\r\t18:30\tB\n"};
        QTest::newRow("unquoted blanks trimmed, quoted kept")
            << QByteArray("  60 ,\" x \"\r\n") << QStringList{"60", " x "};
        QTest::newRow("text after closing quote dropped")
            << QByteArray("\"ab\"cd,2") << QStringList{"ab", "2"};
        QTest::newRow("empty fields") << QByteArray("\"\"\r\n1,,2") << QStringList{"", "1", "", "2"};
        QTest::newRow("unclosed quote runs to end") << QByteArray("\"abc") << QStringList{"abc"};
        QTest::newRow("8-bit bytes kept")
            << QByteArray("\"caf\xe9\"") << QStringList{QString::fromLatin1("caf\xe9")};
    }
    void readsFields()
    {
        QFETCH(QByteArray, data);
        QFETCH(QStringList, fields);
        QCOMPARE(::fields(data), fields);
    }

    void positionsStayInsideTheData()
    {
        RecordReader reader("1,\"abc");
        reader.next();
        reader.next();
        QVERIFY(reader.atEnd());
        QVERIFY(!reader.next());
        QCOMPARE(reader.fieldStart(), 6); // the end of the data, not one past it
    }

    void readerRefusesWhatIsNoPlainFileOrTooLarge_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("why");
        QTest::newRow("a FIFO, without waiting for a writer") << "fifo" << int(FileError::PathFileAccess) << "a FIFO";
        QTest::newRow("a folder") << "folder" << int(FileError::PathFileAccess) << "a folder";
        QTest::newRow("more than the limit") << "large" << int(FileError::FileTooLarge) << "larger than 1 KiB";
        QTest::newRow("missing") << "missing" << int(FileError::FileNotFound) << "File not found";
    }
    void readerRefusesWhatIsNoPlainFileOrTooLarge()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("default.pav");
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir("default.pav"));
        else if (kind == "large") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(1025, 'x'));
        }
        int error = 0;
        QString said;
        QVERIFY(readWholeFile(path, &error, 1024, &said).isEmpty());
        QTEST(error, "error");
        QFETCH(QString, why);
        QVERIFY2(said.contains(why), qPrintable(said));
    }

    // What the writer forms, the reader gives back field for field.
    void writerFormsRecordsTheReaderReadsBack()
    {
        const QString table = QString::fromLatin1("\t06:00\tC:\\sys\\a.pav\r\t18:30\t/x/b,c.pav\xe9");
        RecordWriter writer;
        writer.number(5).text("Manual").endRecord().text(table).text("").number(-5).endRecord();
        QCOMPARE(writer.bytes(), "5,\"Manual\"\r\n\"" + table.toLatin1() + "\",\"\",-5\r\n");
        QCOMPARE(fields(writer.bytes()), (QStringList{"5", "Manual", table, "", "-5"}));
    }
};

QTEST_APPLESS_MAIN(TestRecordFormat)
#include "tst_recordformat.moc"
