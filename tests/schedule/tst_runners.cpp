#include "DailySchedule.h"
#include "ScheduleTask.h"
#include "TestClock.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {
const QByteArray DayTable = "3,\"\t06:00\tA.pav\r\t18:00\tB.pav\"\r\n";
} // namespace

// The daily runner and the task runner on a clock the test sets: what each tick loads, and
// what loading a file does to the table and the runner.
class TestRunners : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    TestClock m_clock;
    ConsoleState m_state;
    QStringList m_loaded; // setting files, in the order the runner asked for them
    bool m_loadSucceeds = true;
    std::unique_ptr<DailySchedule> m_daily;
    std::unique_ptr<ScheduleTask> m_task;

    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void at(const char *when) { m_clock.at = QDateTime::fromString(QString::fromLatin1(when), "dd/MM/yyyy HH:mm:ss"); }

private slots:
    void init()
    {
        m_state = ConsoleState();
        m_loaded.clear();
        m_loadSucceeds = true;
        m_task.reset();
        m_daily = std::make_unique<DailySchedule>(m_state, WorkingFolder(m_dir.path()), m_clock,
                                                  [this](const QString &file) {
                                                      m_loaded.append(QFileInfo(file).fileName());
                                                      return m_loadSucceeds;
                                                  });
        m_task = std::make_unique<ScheduleTask>(m_state, *m_daily, m_clock);
        write("day.shd", DayTable);
        QFile::remove(m_dir.filePath("other.shd"));
    }

    void dailyRunnerThroughADay()
    {
        QVERIFY(m_daily->OpenScheduleFile("day.shd"));
        QVERIFY(m_daily->isRunning());
        QStringList minutes; // the minutes at which a file was loaded
        for (QDateTime t(QDate(2026, 3, 1), QTime(0, 0)); t < QDateTime(QDate(2026, 3, 2), QTime(0, 0)); t = t.addSecs(60)) {
            m_clock.at = t;
            const qsizetype before = m_loaded.size();
            m_daily->tick();
            if (m_loaded.size() != before)
                minutes.append(t.toString("HH:mm") + " " + m_loaded.last());
        }
        QCOMPARE(minutes, QStringList({"00:00 B.pav", "06:00 A.pav", "18:00 B.pav"}));
        QCOMPARE(m_state.MaxScheduleIndex, qint16(2));
        QCOMPARE(m_state.CurScheduleIndex, qint16(2));
    }

    void fileOpenedByHandIsReplacedAtTheNextTick()
    {
        m_daily->OpenScheduleFile("day.shd");
        at("01/03/2026 12:00:00");
        m_daily->tick();
        m_state.CurPAVFileName = "evening.pav"; // the operator's Load
        m_daily->tick();
        QCOMPARE(m_loaded, QStringList({"A.pav", "A.pav"}));
    }

    void missingFileIsTriedOncePerChange()
    {
        m_daily->OpenScheduleFile("day.shd");
        m_loadSucceeds = false;
        at("01/03/2026 12:00:00");
        m_daily->tick();
        m_daily->tick();
        QCOMPARE(m_loaded, QStringList({"A.pav"}));
        QCOMPARE(m_state.CurPAVFileName, QString("A.pav"));
    }

    void tableWithoutEntries_data()
    {
        QTest::addColumn<int>("recorded");
        QTest::addColumn<QString>("current");
        QTest::newRow("nothing in force: default.pav is current") << 0 << "default.pav";
        // The last entry went while it was in force: nothing names a file, nothing loads.
        QTest::newRow("an entry was in force") << 2 << "B.pav";
    }
    void tableWithoutEntries()
    {
        QFETCH(int, recorded);
        QFETCH(QString, current);
        m_state.CurScheduleIndex = qint16(recorded);
        m_state.CurPAVFileName = "B.pav";
        at("01/03/2026 12:00:00");
        m_daily->tick();
        QCOMPARE(m_loaded, QStringList());
        QCOMPARE(m_state.CurPAVFileName, current);
    }

    void openScheduleFile_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty with 'exists' false: no file
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QStringList>("settingLoads");
        QTest::newRow("0-byte file") << QByteArray() << true << true << 0 << false << QStringList{"default.pav"};
        QTest::newRow("one entry") << QByteArray("2,\"\t07:00\tC.pav\"\r\n") << true << true << 1 << true << QStringList{};
        QTest::newRow("count of 1") << QByteArray("1,\"\"\r\n") << true << true << 0 << false << QStringList{"default.pav"};
        // A file that cannot be read leaves the table, the runner and the name as they were.
        QTest::newRow("missing") << QByteArray() << false << false << 2 << true << QStringList{};
        QTest::newRow("damaged") << QByteArray("4,\"\t07:00\tC.pav\"\r\n") << true << false << 2 << true << QStringList{};
    }
    void openScheduleFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, exists);
        QFETCH(bool, loads);
        QFETCH(int, entries);
        QFETCH(bool, running);
        QFETCH(QStringList, settingLoads);
        m_daily->OpenScheduleFile("day.shd");
        m_state.CurScheduleIndex = 2;
        if (exists)
            write("other.shd", bytes);
        QSignalSpy failed(m_daily.get(), &DailySchedule::loadFailed);
        QCOMPARE(m_daily->OpenScheduleFile("other.shd"), loads);
        QCOMPARE(m_daily->table().entryCount(), entries);
        QCOMPARE(m_daily->isRunning(), running);
        QCOMPARE(m_loaded, settingLoads);
        // A file that cannot be read is said where the name is shown until a file loads.
        const QString display = m_daily->fileDisplay();
        QVERIFY2(loads ? display == " Filename - other.shd"
                       : display.startsWith("other.shd could not be read: ") &&
                             display.endsWith("; nothing of it is in use"),
                 qPrintable(display));
        QCOMPARE(failed.size(), loads ? 0 : 1);
        // In plain words first, with the whole path, then the composed error text.
        if (!loads) {
            const QString text = failed.at(0).at(0).toString();
            QVERIFY2(text.startsWith(display + " (" + m_dir.filePath("other.shd") + "). Error # "), qPrintable(text));
        }
        QCOMPARE(m_state.CurScheduleIndex, qint16(bytes.isEmpty() && exists ? 0 : 2));
    }

    void savedScheduleReadsBackSorted()
    {
        m_daily->add(0, "18:00", "B.pav");
        m_daily->add(1, "06:00", "A.pav");
        QVERIFY(m_daily->SaveScheduleFile("saved.shd"));
        QFile saved(m_dir.filePath("saved.shd"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), DayTable);
        m_daily->newSchedule();
        QVERIFY(m_daily->SaveScheduleFile("empty.shd"));
        QCOMPARE(QFileInfo(m_dir.filePath("empty.shd")).size(), 0);
    }

    void aPathTheFileCannotHoldIsRefusedAtEntry()
    {
        QSignalSpy status(m_daily.get(), &DailySchedule::status);
        m_daily->add(0, "06:00", "A.pav");
        QCOMPARE(m_daily->add(1, "07:00", "a\"b.pav"), 1);
        QCOMPARE(m_daily->modify(1, "07:00", "a\tb.pav"), 1);
        QCOMPARE(m_daily->table().entries(), QList<QStringList>({{"", "06:00", "A.pav"}}));
        QCOMPARE(status.size(), 2);
        QCOMPARE(status.at(0).at(0).toString(),
                 "The file name holds a double quote (\"), which the schedule file "
                 "cannot store; nothing was added.");
        QVERIFY(status.at(1).at(0).toString().startsWith("The file name holds a TAB"));
    }

    // The task's refused file: said until a file loads or is saved, kept as <name>.bak by the
    // save (the schedule's is checked on its page).
    void taskSavedOverARefusedFileKeepsItsBytes()
    {
        const QByteArray old = "2,\"\t01/03/2026\tX.shd\"\r\n";
        write("year.tsk", old);
        QSignalSpy status(m_task.get(), &ScheduleTask::status);
        QVERIFY(!m_task->OpenScheduleTask("year.tsk"));
        QCOMPARE(m_task->refusal(),
                 "year.tsk could not be read: entry 1 has 3 cells instead of 4; nothing of it is in use");
        m_task->add(0, "01/03/2026", "day.shd");
        QVERIFY(m_task->SaveScheduleTask("year.tsk"));
        QCOMPARE(m_task->refusal(), QString());
        QFile copy(m_dir.filePath("year.tsk.bak"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), old);
        QCOMPARE(status.last().at(0).toString(),
                 "year.tsk could not be read, so its old bytes were kept as " + copy.fileName() +
                     " before it was saved over.");
    }

    void aCopyThatCannotBeMadeStopsTheSave()
    {
        const QByteArray old = "4,\"\t07:00\tC.pav\" and more bytes than the limit\r\n";
        write("other.shd", old);
        QSignalSpy failed(m_daily.get(), &DailySchedule::saveFailed);
        // A size limit below the old bytes makes the copy fail, even for root.
        rlimit before{};
        ::getrlimit(RLIMIT_FSIZE, &before);
        const rlimit small{16, before.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool saved = m_daily->SaveScheduleFile("other.shd");
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!saved);
        QVERIFY2(failed.at(0).at(0).toString().contains("no copy of it could be kept"),
                 qPrintable(failed.at(0).at(0).toString()));
        QFile file(m_dir.filePath("other.shd"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
        QVERIFY(!QFile::exists(m_dir.filePath("other.shd.bak")));
    }

    void taskRunnerSwitchesTheDailyScheduleAtMidnight()
    {
        write("march1.shd", "2,\"\t00:00\tX.pav\"\r\n");
        write("march2.shd", "2,\"\t00:00\tY.pav\"\r\n");
        write("year.tsk", "3,\"\t02/03/2026\tmarch2.shd\t20260302\r\t01/03/2026\tmarch1.shd\t20260301\"\r\n");
        QVERIFY(m_task->OpenScheduleTask("year.tsk"));
        m_task->SortScheduleTask();
        QCOMPARE(m_task->table().cell(1, ScheduleTask::PathCell), QString("march1.shd"));
        m_task->startRunner();
        at("01/03/2026 23:59:59");
        m_task->tick();
        m_daily->tick();
        at("02/03/2026 00:00:00");
        m_task->tick();
        m_daily->tick();
        m_task->tick(); // same day, same file: nothing more
        QCOMPARE(m_state.IntSchFile, QString("march2.shd"));
        QCOMPARE(m_loaded, QStringList({"X.pav", "Y.pav"}));
        QVERIFY(m_task->isRunning());
    }

    void emptyTaskTableStopsTheTaskRunner()
    {
        m_state.IntSchFile = "day.shd";
        m_task->startRunner();
        at("01/03/2026 12:00:00");
        m_task->tick();
        QCOMPARE(m_state.IntSchFile, QString("schedule.shd"));
        QVERIFY(!m_task->isRunning());
        QCOMPARE(m_daily->table().entryCount(), 0); // the daily table is not touched
    }

    void unreadableTaskFileKeepsTheTable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("0-byte file") << QByteArray();
        QTest::newRow("three cells an entry") << QByteArray("2,\"\t01/03/2026\tX.shd\"\r\n");
    }
    void unreadableTaskFileKeepsTheTable()
    {
        QFETCH(QByteArray, bytes);
        write("year.tsk", "2,\"\t01/03/2026\tmarch1.shd\t20260301\"\r\n");
        write("bad.tsk", bytes);
        QVERIFY(m_task->OpenScheduleTask("year.tsk"));
        QSignalSpy failed(m_task.get(), &ScheduleTask::loadFailed);
        QVERIFY(!m_task->OpenScheduleTask("bad.tsk"));
        QCOMPARE(m_task->table().entryCount(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains("Open Schedule Task"));
    }
};

QTEST_GUILESS_MAIN(TestRunners)
#include "tst_runners.moc"
