#include "FileError.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "SafeFile.h"
#include "StorableText.h"

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
        QTest::newRow("UTF-8 read as the system writes it") << QByteArray("\"/tmp/\xd0\x96\xe2\x82\xac.pav\"")
                                                            << QStringList{QString::fromUtf8("/tmp/Ж€.pav")};
        QTest::newRow("an older file's Latin-1 byte, not UTF-8, read as Latin-1")
            << QByteArray("\"caf\xe9\",\"\xe2\x82\"")
            << QStringList{QString::fromLatin1("caf\xe9"), QString::fromLatin1("\xe2\x82")};
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
        const QString table =
            QString::fromUtf8("\t06:00\tC:\\sys\\a.pav\r\t18:30\t/x/b,c.pav\xc3\xa9\xd0\x96");
        RecordWriter writer;
        writer.number(5).text("Manual").endRecord().text(table).text("").number(-5).endRecord();
        QCOMPARE(writer.bytes(), "5,\"Manual\"\r\n\"" + table.toUtf8() + "\",\"\",-5\r\n");
        QCOMPARE(fields(writer.bytes()), (QStringList{"5", "Manual", table, "", "-5"}));
    }

    // The one rule of what a stored text can hold: a field no double quote, a table cell
    // no TAB, CR or LF either, and neither a character the system's encoding lacks.
    void storableText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cell");
        QTest::addColumn<QString>("problem"); // empty: stored, and read back the same
        QTest::newRow("a double quote") << "a\"b.pav" << false << "a double quote (\")";
        QTest::newRow("TAB in a cell") << "a\tb.pav" << true << "a TAB";
        QTest::newRow("CR in a cell") << "a\rb.pav" << true << "a line break (CR)";
        QTest::newRow("LF in a cell") << "a\nb.pav" << true << "a line break (LF)";
        QTest::newRow("TAB, CR and LF in a field") << "a\tb\r\n" << false << "";
        QTest::newRow("a lone surrogate") << QString("a") + QChar(0xD800) + "b" << false
                                          << "the character U+D800 (not in the system's 8-bit encoding)";
        QTest::newRow("a UTF-8 path") << QString::fromUtf8("/tmp/Ж€.pav") << true << "";
        QTest::newRow("a byte order mark first") << QString(QChar(0xFEFF)) + "x" << true << "";
    }
    void storableText()
    {
        QFETCH(QString, text);
        QFETCH(bool, cell);
        QFETCH(QString, problem);
        QCOMPARE(StorableText::problem(text, cell ? StorableText::Place::Cell : StorableText::Place::Field),
                 problem);
        if (cell)
            return;
        // The writer refuses the whole file, or writes what reads back the same.
        RecordWriter writer;
        writer.number(1).text(text).endRecord();
        QCOMPARE(writer.ok(), problem.isEmpty());
        const FileBytes file = writer.result(1024);
        if (problem.isEmpty()) {
            QCOMPARE(fields(file.bytes), (QStringList{"1", text}));
        } else {
            QVERIFY(file.bytes.isEmpty());
            QCOMPARE(file.refusal, "field 2 holds " + problem + ", which the file cannot store");
        }
    }

    // A save over a file that its reader refuses keeps the old bytes beside it first.
    void keepsARefusedFileBesideIt_data()
    {
        QTest::addColumn<QByteArray>("old");     // null: no file there
        QTest::addColumn<bool>("refused");       // by its reader
        QTest::addColumn<QByteArray>("oldCopy"); // an older schedule.shd.bak; null: none
        QTest::addColumn<QString>("copy");       // the copy made or taken; empty: none
        QTest::newRow("no file there") << QByteArray() << true << QByteArray() << "";
        QTest::newRow("a 0-byte file") << QByteArray("") << true << QByteArray() << "";
        QTest::newRow("a file that reads") << QByteArray("x") << false << QByteArray() << "";
        QTest::newRow("a refused file") << QByteArray("x") << true << QByteArray() << "schedule.shd.bak";
        QTest::newRow("the same copy there already")
            << QByteArray("x") << true << QByteArray("x") << "schedule.shd.bak";
        QTest::newRow("an older copy of other bytes stays")
            << QByteArray("x") << true << QByteArray("y") << "schedule.shd.bak.1";
    }
    void keepsARefusedFileBesideIt()
    {
        QFETCH(QByteArray, old);
        QFETCH(bool, refused);
        QFETCH(QByteArray, oldCopy);
        QFETCH(QString, copy);
        QTemporaryDir dir;
        auto write = [&dir](const QString &name, const QByteArray &bytes) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        if (!old.isNull())
            write("schedule.shd", old);
        if (!oldCopy.isNull())
            write("schedule.shd.bak", oldCopy);
        QString why;
        const QString made = keepRefusedFile(
            dir.filePath("schedule.shd"), [refused](const QString &) { return refused; }, &why);
        QCOMPARE(why, QString());
        QCOMPARE(made, copy.isEmpty() ? QString() : dir.filePath(copy));
        QFile kept(made);
        QVERIFY(copy.isEmpty() || (kept.open(QIODevice::ReadOnly) && kept.readAll() == old));
        if (!oldCopy.isNull()) {
            QFile older(dir.filePath("schedule.shd.bak"));
            QVERIFY(older.open(QIODevice::ReadOnly));
            QCOMPARE(older.readAll(), oldCopy);
        }
        const bool newCopy = !copy.isEmpty() && (oldCopy.isNull() || copy.endsWith(".1"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(),
                 qsizetype(!old.isNull()) + qsizetype(!oldCopy.isNull()) + qsizetype(newCopy));
    }
};

QTEST_APPLESS_MAIN(TestRecordFormat)
#include "tst_recordformat.moc"
