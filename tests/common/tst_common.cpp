#include "AuditTrail.h"
#include "FileError.h"
#include "NumberText.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "SafeFile.h"
#include "StorableText.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

// The fields of the data, and a note when the reader's position left the data.
QStringList fields(const QByteArray &data)
{
    RecordReader reader(data);
    QStringList read;
    while (!reader.atEnd())
        read << reader.next().value();
    if (reader.next() || reader.fieldStart() != data.size())
        read << "read past the end";
    return read;
}

} // namespace

// The record files' fields and numbers, what a field can hold, how a file is read and kept,
// and the journal's audit trail.
class TestCommon : public QObject {
    Q_OBJECT
private slots:
    void readsFields_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("fields"); // joined by |
        QTest::newRow("one a line") << QByteArray("\"PC\"\r\n\"Adaptive\"\r\n\"128\"\r\n")
                                    << "PC|Adaptive|128";
        QTest::newRow("all on one line") << QByteArray("\"PC\",\"Adaptive\",128\r\n") << "PC|Adaptive|128";
        QTest::newRow("bare LF and CR line ends") << QByteArray("1\n2\r3,4") << "1|2|3|4";
        QTest::newRow("quoted field keeps CR, TAB, comma and LF")
            << QByteArray("3,\"\t06:00\tA,b\r\t18:30\tB\n\"\r\n") << "3|\t06:00\tA,b\r\t18:30\tB\n";
        QTest::newRow("unquoted blanks trimmed, quoted kept") << QByteArray("  60 ,\" x \"\r\n") << "60| x ";
        QTest::newRow("text after closing quote dropped") << QByteArray("\"ab\"cd,2") << "ab|2";
        QTest::newRow("ends in blanks after a comma") << QByteArray("1,3, \t") << "1|3|";
        QTest::newRow("ends in a bare CR") << QByteArray("1,3\r") << "1|3";
        QTest::newRow("empty fields") << QByteArray("\"\"\r\n1,,2") << "|1||2";
        QTest::newRow("unclosed quote runs to end") << QByteArray("1,\"abc") << "1|abc";
        QTest::newRow("UTF-8 read as the system writes it")
            << QByteArray("\"/tmp/\xd0\x96\xe2\x82\xac.pav\"") << QString::fromUtf8("/tmp/Ж€.pav");
        QTest::newRow("an older file's Latin-1 byte, not UTF-8, read as Latin-1")
            << QByteArray("\"caf\xe9\",\"\xe2\x82\"") << QString::fromLatin1("caf\xe9|\xe2\x82");
    }
    void readsFields()
    {
        QFETCH(QByteArray, data);
        QTEST(fields(data).join('|'), "fields");
        for (const char *after : {"\n", " \"9,x"}) // read no further than the data, whatever follows it
            QTEST(fields(QByteArray::fromRawData((data + after).constData(), data.size())).join('|'),
                  "fields");
    }

    // The number at the start of a text, and the text read as one whole number in -255..255.
    void readsNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("leading");
        QTest::addColumn<QVariant>("whole"); // none when the text is no whole number in range
        const QVariant none;
        QTest::newRow("blanks around") << " \t7 " << 7.0 << QVariant(7);
        QTest::newRow("leading point") << ".5" << 0.5 << QVariant(0);
        QTest::newRow("1.5 rounds to even") << "1.5" << 1.5 << QVariant(2);
        QTest::newRow("2.5 rounds to even") << "2.5" << 2.5 << QVariant(2);
        QTest::newRow("-2.5 rounds to even") << "-2.5" << -2.5 << QVariant(-2);
        QTest::newRow("60.2") << "60.2" << 60.2 << QVariant(60);
        QTest::newRow("exponent") << "1.5E2" << 150.0 << QVariant(150);
        QTest::newRow("negative exponent") << "25e-1" << 2.5 << QVariant(2);
        QTest::newRow("D exponent") << "1d1" << 10.0 << QVariant(10);
        QTest::newRow("exponent without digits stops before it") << "12e" << 12.0 << none;
        QTest::newRow("hex") << "&H3C" << 60.0 << QVariant(60);
        QTest::newRow("hex lower case") << "&hff" << 255.0 << QVariant(255);
        QTest::newRow("octal") << "&O74" << 60.0 << QVariant(60);
        QTest::newRow("hex stops at non-digit") << "&HAG" << 10.0 << none;
        QTest::newRow("prefix without digits") << "&H" << 0.0 << none;
        QTest::newRow("digits then letters") << "3C" << 3.0 << none;
        QTest::newRow("display text") << "128 (50%)" << 128.0 << none;
        QTest::newRow("no number") << "abc" << 0.0 << none;
        QTest::newRow("empty") << "" << 0.0 << none;
        QTest::newRow("sign alone") << "-" << 0.0 << none;
        QTest::newRow("above range") << "256" << 256.0 << none;
        QTest::newRow("rounds above range") << "255.5" << 255.5 << none;
        QTest::newRow("below range") << "-256" << -256.0 << none;
        QTest::newRow("huge") << "1e300" << 1e300 << none;
    }
    void readsNumbers()
    {
        QFETCH(QString, text);
        QTEST(NumberText::leadingNumber(text), "leading");
        // A digit just past the text's end is not the text's.
        QTEST(NumberText::leadingNumber(QString::fromRawData((text + "7").constData(), text.size())),
              "leading");
        const std::optional<int> n = NumberText::strictWhole(text, -255, 255);
        QTEST(n ? QVariant(*n) : QVariant(), "whole");
    }

    void readerRefusesWhatIsNoPlainFileOrTooLarge_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("why");
        QTest::newRow("a FIFO, not waited on") << "fifo" << int(FileError::PathFileAccess) << "a FIFO";
        QTest::newRow("a folder") << "folder" << int(FileError::PathFileAccess) << "a folder";
        QTest::newRow("over the limit") << "large" << int(FileError::FileTooLarge) << "larger than 1 KiB";
        QTest::newRow("missing") << "missing" << int(FileError::FileNotFound) << "File not found";
    }
    void readerRefusesWhatIsNoPlainFileOrTooLarge()
    {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath("default.pav");
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir("default.pav"));
        else if (kind == "large")
            QCOMPARE(writeWholeFile(path, QByteArray(1025, 'x')), QString());
        int error = 0;
        QString said;
        QVERIFY(readWholeFile(path, &error, 1024, &said).isEmpty());
        QTEST(error, "error");
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
        QCOMPARE(fields(file.bytes), (problem.isEmpty() ? QStringList{"1", text} : QStringList()));
        if (!problem.isEmpty())
            QCOMPARE(file.refusal, "field 2 holds " + problem + ", which the file cannot store");
    }

    // A save over a file that its reader refuses keeps the old bytes beside it first.
    void keepsARefusedFileBesideIt_data()
    {
        QTest::addColumn<QStringList>("before"); // the folder's files: name=bytes
        QTest::addColumn<bool>("refused");       // by the reader of a.shd
        QTest::addColumn<QString>("copy");       // the copy made or taken; empty: none
        QTest::addColumn<QStringList>("after");
        const QStringList refusedFile{"a.shd=x"}, copied{"a.shd=x", "a.shd.bak=x"};
        QTest::newRow("no file there") << QStringList() << true << "" << QStringList();
        QTest::newRow("a 0-byte file") << QStringList{"a.shd="} << true << "" << QStringList{"a.shd="};
        QTest::newRow("a file that reads") << refusedFile << false << "" << refusedFile;
        QTest::newRow("a refused file") << refusedFile << true << "a.shd.bak" << copied;
        QTest::newRow("the same copy there already") << copied << true << "a.shd.bak" << copied;
        QTest::newRow("an older copy of other bytes stays")
            << QStringList{"a.shd=x", "a.shd.bak=y"} << true << "a.shd.bak.1"
            << QStringList{"a.shd=x", "a.shd.bak=y", "a.shd.bak.1=x"};
    }
    void keepsARefusedFileBesideIt()
    {
        QFETCH(QStringList, before);
        QFETCH(bool, refused);
        QFETCH(QString, copy);
        QTemporaryDir dir;
        for (const QString &file : before)
            QCOMPARE(writeWholeFile(dir.filePath(file.section('=', 0, 0)), file.section('=', 1).toUtf8()),
                     QString());
        QString why;
        const auto reader = [refused](const QString &) { return refused; };
        QCOMPARE(keepRefusedFile(dir.filePath("a.shd"), reader, &why),
                 copy.isEmpty() ? copy : dir.filePath(copy));
        QCOMPARE(why, QString());
        QStringList after;
        int error = 0;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files))
            after << name + '=' + readWholeFile(dir.filePath(name), &error);
        QTEST(after, "after");
    }

    // Who caused the frames of an action and what went out, one line for each action.
    void auditTrail()
    {
        QStringList lines;
        AuditTrail::setWriter([&lines](const QString &line) { lines << line; });
        AuditTrail::setOperator([] { return QStringLiteral("the operator (SbtnHue)"); });
        // A change on a page, outside any action (the first of the run): written once the
        // event is handled.
        AuditTrail::sent("hue 200");
        AuditTrail::sent("hue 201");
        QVERIFY(lines.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(lines, QStringList{"the operator (SbtnHue): sent hue 200, hue 201"});
        lines.clear();
        { // a runner's switch: its load is a step of it
            const AuditTrail::Scope cause("the schedule runner, the 18:00 entry of day.shd");
            const AuditTrail::Step step("loading B.pav");
            AuditTrail::sent("brightness 128");
            AuditTrail::sent("contrast 64");
        }
        { // a refresh with the port closed
            const AuditTrail::Scope cause("the refresh 10.0.0.5 asked for");
            AuditTrail::notSent("mode 1", "the serial port is closed");
            AuditTrail::notSent("hue 3", "the serial port is closed");
        }
        { // the operator's load button: a step without a cause names the operator
            const AuditTrail::Step step("loading A.pav");
            for (int i = 0; i < 12; ++i)
                AuditTrail::sent(i % 3 ? QStringLiteral("vga 01 02 03") : QStringLiteral("mode 2"));
        }
        QCOMPARE(lines,
                 QStringList({
                     "the schedule runner, the 18:00 entry of day.shd, loading B.pav: sent brightness "
                     "128, contrast 64",
                     "the refresh 10.0.0.5 asked for: not sent mode 1, hue 3: the serial port is closed",
                     "the operator (SbtnHue), loading A.pav: sent 12 frames (4 mode, 8 vga)",
                 }));

        AuditTrail::setWriter({});
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
