#include "CellText.h"
#include "DailyFilesAhead.h"
#include "EntryInForce.h"
#include "FileError.h"
#include "MissingFiles.h"
#include "Table.h"
#include "TableRecord.h"
#include "TaskFilesCheck.h"
#include "Timeline.h"
#include "YearlyTask.h"

#include <QtTest>

namespace {
// Keys written out as one text: "06:00 18:00" is two entries.
QStringList keys(const char *spaced)
{
    return QString::fromLatin1(spaced).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

Table tableOf(const QStringList &times)
{
    Table table(3);
    QList<QStringList> rows;
    for (const QString &time : times)
        rows.append({QString(), time, time + QStringLiteral(".pav")});
    table.setEntries(rows);
    return table;
}

// A yearly task from "dd/MM/yyyy file" entries, in file order; each file ends at a colon when
// one follows. The keys are as a damaged or hand-made file may hold them.
Table taskOf(const QStringList &entries)
{
    Table task(YearlyTask::CellCount);
    QList<QStringList> rows;
    for (const QString &entry : entries)
        rows.append(
            {QString(), entry.section(' ', 0, 0), entry.section(' ', 1).section(':', 0, 0), "99999999"});
    task.setEntries(rows);
    return task;
}

// The stretches as "HH:mm entry" (day) or "dd/MM entry" (year), from their starts.
QStringList shown(const QList<Timeline::Stretch> &stretches, const char *format)
{
    QStringList out;
    for (const Timeline::Stretch &stretch : stretches)
        out.append(stretch.from.toString(format) + ' ' + QString::number(stretch.entry));
    return out;
}
} // namespace

// The table engine without a window: the stored record, the editor's operations, the
// entry-in-force rules and the stretches of the strips and of Check Files.
class TestTables : public QObject {
    Q_OBJECT
private slots:
    // What the reader takes, and where it stops: a damaged file never half replaces a table.
    void records_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("error"); // 0: read
        QTest::addColumn<int>("at");    // the entries read, or where reading stopped
        const int past = int(FileError::InputPastEnd), value = int(FileError::InvalidValue),
                  cells = int(FileError::TypeMismatch);
        QTest::newRow("0 bytes: no entries") << QByteArray("") << 0 << 0;
        QTest::newRow("count of 1, no entries") << QByteArray("1,\"\"\r\n") << 0 << 0;
        QTest::newRow("CR LF between entries") << QByteArray("3,\"\t06:00\tA\r\n\t07:00\tB\"\r\n") << 0 << 2;
        QTest::newRow("no line end after the record") << QByteArray("2,\"\t06:00\tA\"") << 0 << 1;
        QTest::newRow("CR after the last entry")
            << QByteArray("3,\"\t06:00\tA\r\t18:00\tB\r\"\r\n") << 0 << 2;
        QTest::newRow("CR LF after the last entry") << QByteArray("2,\"\t06:00\tA\r\n\"\r\n") << 0 << 1;
        QTest::newRow("count larger than the entries") << QByteArray("3,\"\t06:00\tA\"\r\n") << past << 2;
        QTest::newRow("count smaller than the entries")
            << QByteArray("2,\"\t06:00\tA\r\t07:00\tB\"\r\n") << past << 2;
        QTest::newRow("huge count") << QByteArray("99999999,\"\t06:00\tA\"\r\n") << value << 0;
        QTest::newRow("count of 0") << QByteArray("0,\"\"\r\n") << value << 0;
        QTest::newRow("no count") << QByteArray("abc,\"\t06:00\tA\"\r\n") << value << 0;
        QTest::newRow("count without a table") << QByteArray("2\r\n") << past << 3;
        QTest::newRow("an entry short of a cell") << QByteArray("2,\"06:00\tA\"\r\n") << cells << 2;
        // An unclosed quote runs to the end and takes the line end in as a second entry.
        QTest::newRow("missing closing quote") << QByteArray("3,\"\t06:00\tA\r\n") << cells << 2;
        QTest::newRow("CR after the last entry, counted as an entry")
            << QByteArray("3,\"\t06:00\tA\r\"\r\n") << cells << 2;
    }
    void records()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, at);
        const TableRecord::Read read = TableRecord::parse(bytes, 3);
        QTEST(read.error, "error");
        QCOMPARE(read.ok() ? read.entries.size() : read.where, qsizetype(at));
        QVERIFY(read.ok() || read.entries.isEmpty());
        for (const QStringList &entry : read.entries)
            QVERIFY(entry.at(0).isEmpty());
        QCOMPARE(read.emptyFile, bytes.isEmpty());
        if (bytes.isEmpty()) // and a table without entries is written as 0 bytes
            QVERIFY(TableRecord::write(Table(3)).ok() && TableRecord::write(Table(3)).bytes.isEmpty());
    }

    // A cell the record cannot hold refuses the whole file (which texts those are is the
    // record format's test); a name in the system's encoding is stored byte for byte.
    void cellsTheRecordHolds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("stored"); // empty: refused
        QTest::newRow("a plain name") << "B.pav" << QByteArray("B.pav");
        QTest::newRow("a TAB") << "a\tb.pav" << QByteArray();
        QTest::newRow("UTF-8") << QString::fromUtf8("/tmp/Ж€.pav")
                               << QByteArray("/tmp/\xd0\x96\xe2\x82\xac.pav");
    }
    void cellsTheRecordHolds()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, stored);
        Table table(3);
        table.setEntries({{"", "06:00", "A.pav"}, {"", "18:30", path}});
        const FileBytes file = TableRecord::write(table);
        const bool refused = stored.isEmpty();
        QCOMPARE(file.bytes, refused ? QByteArray() : "3,\"\t06:00\tA.pav\r\t18:30\t" + stored + "\"\r\n");
        QVERIFY2(file.refusal.startsWith("entry 2 holds ") == refused, qPrintable(file.refusal));
        QCOMPARE(TableRecord::parse(file.bytes, 3).entries, refused ? QList<QStringList>() : table.entries());
    }

    // Add puts the entry after the current row, then sorts; equal times keep their order.
    void addInsertsAfterCurrentAndSorts_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("row"); // where the new entry ends up
        QTest::newRow("header current") << 0 << "18:30" << 2;
        QTest::newRow("first row current") << 1 << "18:30" << 2;
        QTest::newRow("last row current") << 2 << "18:30" << 2;
        QTest::newRow("an equal time, header current") << 0 << "06:00" << 1;
        QTest::newRow("an equal time, first row current") << 1 << "06:00" << 2;
    }
    void addInsertsAfterCurrentAndSorts()
    {
        QFETCH(int, current);
        QFETCH(QString, time);
        QFETCH(int, row);
        Table table = tableOf({"06:00", "20:00"});
        int added = table.insertAfter(current, {"", time, "x"});
        table.sortByCell(1, &added);
        QCOMPARE(table.column(1), keys("06:00 18:30 20:00").replaceInStrings("18:30", time));
        QCOMPARE(added, row);
        QCOMPARE(table.cell(row, 2), QString("x"));
    }

    void deleteBlock_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("otherEnd");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("currentAfter");
        QTest::newRow("selected downwards") << 2 << 3 << QStringList{"01:00", "04:00"} << 2;
        QTest::newRow("selected upwards") << 3 << 2 << QStringList{"01:00", "04:00"} << 2;
        QTest::newRow("from the first row down") << 1 << 2 << QStringList{"03:00", "04:00"} << 1;
        QTest::newRow("one row") << 4 << 4 << QStringList{"01:00", "02:00", "03:00"} << 3;
        QTest::newRow("everything") << 4 << 1 << QStringList{} << 0;
        QTest::newRow("header current") << 0 << 0 << keys("01:00 02:00 03:00 04:00") << 0;
        QTest::newRow("header to a row keeps the header")
            << 0 << 1 << QStringList{"02:00", "03:00", "04:00"} << 1;
    }
    void deleteBlock()
    {
        QFETCH(int, current);
        QFETCH(int, otherEnd);
        Table table = tableOf({"01:00", "02:00", "03:00", "04:00"});
        QTEST(table.removeBlock(current, otherEnd), "currentAfter");
        QTEST(table.column(1), "left");
    }

    void entryInForce_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("tick");   // the runners' scan, with 7 recorded before
        QTest::addColumn<int>("lookup"); // the intensity lookup
        const QStringList day = keys("06:00 18:00");
        QTest::newRow("05:59 yesterday's last") << day << "05:59" << 2 << 2;
        QTest::newRow("06:00") << day << "06:00" << 1 << 1;
        QTest::newRow("17:59") << day << "17:59" << 1 << 1;
        QTest::newRow("18:00") << day << "18:00" << 2 << 2;
        QTest::newRow("23:59") << day << "23:59" << 2 << 2;
        QTest::newRow("31/12/2024 the latest date") << keys("20250101 20250701") << "20241231" << 2 << 2;
        QTest::newRow("one entry all day") << keys("12:00") << "00:00" << 1 << 1;
        QTest::newRow("no entries keep the recorded index") << QStringList() << "12:00" << 7 << 0;
        QTest::newRow("equal keys after the first: the later")
            << keys("06:00 09:00 09:00 18:00") << "09:00" << 3 << 3;
        QTest::newRow("equal keys, a minute later") << keys("06:00 09:00 09:00 18:00") << "09:01" << 3 << 3;
        QTest::newRow("equal first keys at that minute: the tick keeps 1")
            << keys("06:00 06:00 18:00") << "06:00" << 1 << 2;
        QTest::newRow("equal first keys later on") << keys("06:00 06:00 18:00") << "06:01" << 2 << 2;
        QTest::newRow("all keys equal, now later") << keys("06:00 06:00") << "07:00" << 2 << 2;
    }
    void entryInForce()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, now);
        QFETCH(int, tick);
        QCOMPARE(EntryInForce::tickScan(keys, now, 7), tick);
        QTEST(EntryInForce::lastNotLater(keys, now), "lookup");
        if (!keys.isEmpty())
            QCOMPARE(EntryInForce::tickScanSorted(keys, now), tick);
    }

    // Check files over the twelve months from 01/12/2026. A folder where "gone*" files are
    // missing; each schedule names the setting files after its colon.
    void checkFiles_data()
    {
        QTest::addColumn<QStringList>("task"); // "dd/MM/yyyy daily file"
        QTest::addColumn<QStringList>("lines");
        const QString allWell = "All files are present and readable";
        QTest::newRow("across the year end, all present")
            << QStringList{"25/12/2026 xmas.shd:a.pav", "05/01/2027 plain.shd:a.pav"} << QStringList{allWell};
        QTest::newRow("setting files missing, each named by two schedules")
            << QStringList{"25/12/2026 xmas.shd:a.pav,gone.pav", "05/01/2027 plain.shd:gone.pav,gone2.pav",
                           "01/03/2027 spring.shd:a.pav,gone2.pav"}
            << QStringList{"gone2.pav (named in spring.shd, plain.shd): the file does not exist; "
                           "needed 01/12/2026 to 24/12/2026, 05/01/2027 to 30/11/2027",
                           "gone.pav (named in xmas.shd, plain.shd): the file does not exist; "
                           "needed 25/12/2026 to 28/02/2027"};
        QTest::newRow("no entries") << QStringList{}
                                    << QStringList{"The task has no entries, so it needs no file."};
    }
    void checkFiles()
    {
        QFETCH(QStringList, task);
        const Table table = taskOf(task);
        QHash<QString, QStringList> named;
        for (const QString &entry : task)
            named.insert(entry.section(' ', 1).section(':', 0, 0),
                         entry.section(':', 1).split(',', Qt::SkipEmptyParts));
        QStringList asked;
        const auto problem = [&](const QString &file) {
            asked.append(file);
            return file.startsWith("gone") ? QString("the file does not exist") : QString();
        };
        const auto daily = [&](const QString &file) {
            return TaskFilesCheck::Daily{problem(file), named.value(file)};
        };
        QTEST(TaskFilesCheck::lines(table, TaskFilesCheck::run(table, QDate(2026, 12, 1), daily, problem)),
              "lines");
        QCOMPARE(asked.size(), QSet<QString>(asked.begin(), asked.end()).size()); // each file read once
    }

    // Why an entry's file cannot be used, as the marks on the grids say it; "@" stands for the
    // working folder, which holds here.pav and the folder sub.
    void missingFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("problem");
        QTest::newRow("present") << "here.pav"
                                 << "";
        QTest::newRow("missing, bare") << "gone.pav"
                                       << "does not exist in the working folder";
        QTest::newRow("a folder, bare") << "sub"
                                        << "is a folder, not a file";
        QTest::newRow("missing, relative") << "sub/gone.pav"
                                           << "does not exist in the working folder";
        QTest::newRow("missing, absolute") << "@/sub/gone.pav"
                                           << "does not exist";
        QTest::newRow("a folder, absolute with a slash at its end") << "@/sub/"
                                                                    << "is a folder, not a file";
    }
    void missingFiles()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub") && QFile(dir.filePath("here.pav")).open(QIODevice::WriteOnly));
        name.replace('@', dir.path());
        MissingFiles files(WorkingFolder(dir.path()), [&] { return QStringList{name}; });
        files.refresh();
        QTEST(files.problem(name), "problem");
    }

    // Dates and times are read by position, whatever the separators.
    void cellsByPosition()
    {
        QCOMPARE(CellText::dateKey("01.02.2025"), QString("20250201"));
        QCOMPARE(CellText::dateOf("01.02.2025"), QDate(2025, 2, 1));
        QCOMPARE(CellText::dateOf("31/02/2025"), QDate());
        QCOMPARE(CellText::timeOf("07.45"), QTime(7, 45));
    }

    // The strips' stretches over a day from a time ("HH:mm") or over the twelve months from a
    // date, worked out with the runners' rule.
    void stretches_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("stretches"); // "HH:mm entry" or "dd/MM entry", by start
        QTest::newRow("06:00/18:00 across midnight")
            << keys("06:00 18:00") << "12:30" << QStringList{"12:30 1", "18:00 2", "06:00 1"};
        QTest::newRow("one entry") << keys("09:00") << "12:00" << QStringList{"12:00 1"};
        QTest::newRow("equal first keys") << keys("06:00 06:00 18:00") << "05:00"
                                          << QStringList{"05:00 3", "06:00 1", "06:01 2", "18:00 3"};
        QTest::newRow("equal later keys")
            << keys("06:00 12:00 12:00") << "00:00" << QStringList{"00:00 3", "06:00 1", "12:00 3"};
        QTest::newRow("no entries") << QStringList{} << "00:00" << QStringList{};
        QTest::newRow("across the year end")
            << keys("20261225 20270105") << "01/12/2026" << QStringList{"01/12 2", "25/12 1", "05/01 2"};
        QTest::newRow("every date past")
            << keys("20260101 20260701") << "01/12/2026" << QStringList{"01/12 2"};
    }
    void stretches()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, start);
        const QDate date = QDate::fromString(start, "dd/MM/yyyy");
        if (date.isValid()) {
            QTEST(shown(Timeline::year(keys, date), "dd/MM"), "stretches");
            return;
        }
        const QDateTime from(QDate(2026, 3, 1), QTime::fromString(start, "HH:mm"));
        const QList<Timeline::Stretch> stretches = Timeline::day(keys, from);
        QTEST(shown(stretches, "HH:mm"), "stretches");
        if (!stretches.isEmpty()) // the strip covers the 24 hours without a gap
            QCOMPARE(stretches.last().to, from.addDays(1));
    }

    void equalLevelsJoin()
    {
        const QStringList levels{"", "Low", "Low", "High"}; // by entry
        const QList<Timeline::Stretch> joined = Timeline::joined(
            Timeline::day(keys("06:00 12:00 18:00"), QDateTime(QDate(2026, 3, 1), QTime(0, 0))),
            [&](int entry) { return levels.at(entry); });
        QCOMPARE(shown(joined, "HH:mm"), QStringList({"00:00 3", "06:00 1", "18:00 3"}));
    }

    // The daily files a task puts in force over the twelve months from 01/12/2026, each with
    // its dates, and "(why)" for one that cannot be used ("gone*" files are missing).
    void dailyFilesAhead_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("uses");
        QTest::newRow("out of order: by date, the last one in force before the first")
            << QStringList{"01/06/2027 summer.shd", "01/09/2026 winter.shd"}
            << QStringList{"winter.shd: 01/12/2026 to 31/05/2027", "summer.shd: 01/06/2027 to 30/11/2027"};
        QTest::newRow("one file in two entries in a row, and again later")
            << QStringList{"01/01/2027 a.shd", "01/02/2027 a.shd", "01/03/2027 b.shd", "01/05/2027 a.shd"}
            << QStringList{"a.shd: 01/12/2026 to 28/02/2027, 01/05/2027 to 30/11/2027",
                           "b.shd: 01/03/2027 to 30/04/2027"};
        QTest::newRow("entries past and beyond the twelve months")
            << QStringList{"01/01/2020 old.shd", "01/01/2026 now.shd", "01/06/2028 far.shd"}
            << QStringList{"now.shd: 01/12/2026 to 30/11/2027"};
        QTest::newRow("a file that cannot be used, with the dates it is needed")
            << QStringList{"15/03/2027 gone.shd", "01/01/2026 now.shd"}
            << QStringList{"now.shd: 01/12/2026 to 14/03/2027",
                           "gone.shd: 15/03/2027 to 30/11/2027 (is missing)"};
    }
    void dailyFilesAhead()
    {
        QFETCH(QStringList, entries);
        QStringList asked, uses, files;
        for (const DailyFilesAhead::Use &use :
             DailyFilesAhead::walk(taskOf(entries), QDate(2026, 12, 1), [&](const QString &file) {
                 asked << file;
                 return file.startsWith("gone") ? QString("is missing") : QString();
             })) {
            uses << use.file + ": " + DailyFilesAhead::datesText(use.when) +
                        (use.problem.isEmpty() ? QString() : " (" + use.problem + ")");
            files << use.file;
        }
        QTEST(uses, "uses");
        QCOMPARE(asked, files); // each file read once
    }
};

QTEST_GUILESS_MAIN(TestTables)
#include "tst_tables.moc"
