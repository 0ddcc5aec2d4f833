#include "AuditTrail.h"
#include "ConsoleFolder.h"
#include "DailyIntensity.h"
#include "DailySchedule.h"
#include "IntensityTask.h"
#include "ScheduleTask.h"
#include "TestClock.h"

#include <QtTest>

namespace {
using Sent = QList<std::pair<int, int>>; // intensity frames {command, value}, in the order they went out
const QByteArray DayTable = "3,\"\t06:00\tA.pav\r\t18:00\tB.pav\"\r\n";

// Entries "HH:mm=level" as the intensity file's third record.
QByteArray intensityTable(const QStringList &entries)
{
    static const QStringList names{"Low", "Mid", "High"};
    QStringList rows;
    for (const QString &entry : entries) {
        const QStringList parts = entry.split('=');
        rows.append("\t" + parts[0] + "\t" + names.at(parts[1].toInt()) + "\t" + parts[1]);
    }
    return rows.isEmpty()
               ? QByteArray()
               : QByteArray::number(rows.size() + 1) + ",\"" + rows.join('\r').toLatin1() + "\"\r\n";
}

// The intensity setting as one text: mode, manual level, watchdog, the runner's table size, Apply.
QString stateOf(DailyIntensity &intensity)
{
    static const char *const modes[] = {"none", "manual", "automatic"};
    return QString("%1 %2 %3 %4 %5")
        .arg(modes[int(intensity.mode())])
        .arg(intensity.manualLevel())
        .arg(intensity.switchOff() ? "off" : "auto")
        .arg(intensity.runner().IntensityTableSize())
        .arg(intensity.applyEnabled() ? "apply" : "-");
}
} // namespace

// The daily schedule, the intensity setting and their yearly tasks without a window, on a
// clock the test sets: the files, what each tick loads or sends, and what an edit does.
class TestRunners : public QObject {
    Q_OBJECT
    std::unique_ptr<ConsoleFolder> m_dir; // its sys/ is the working folder
    TestClock m_clock;
    ConsoleState m_state;
    QStringList m_loaded; // setting files, in the order the daily runner asked for them
    bool m_loadSucceeds = true;
    Sent m_sent;
    std::unique_ptr<DailySchedule> m_daily;
    std::unique_ptr<ScheduleTask> m_task;
    std::unique_ptr<DailyIntensity> m_intensity;

    // The clock at "HH:mm" of its day, or at "dd/MM/yyyy HH:mm".
    void at(const QString &when)
    {
        m_clock.at = when.size() == 5 ? QDateTime(m_clock.at.date(), QTime::fromString(when, "HH:mm"))
                                      : QDateTime::fromString(when, "dd/MM/yyyy HH:mm");
    }
    void openAutomatic(const QStringList &entries)
    {
        m_dir->write("day.int", "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n" + intensityTable(entries));
        QVERIFY(m_intensity->OpenIntensityFile("day.int"));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<ConsoleFolder>();
        m_clock.at = TestClock().at;
        m_state = ConsoleState();
        m_loaded.clear();
        m_loadSucceeds = true;
        m_sent.clear();
        m_task.reset();
        const WorkingFolder folder(m_dir->sysPath());
        m_daily = std::make_unique<DailySchedule>(m_state, folder, m_clock, [this](const QString &file) {
            m_loaded.append(QFileInfo(file).fileName());
            AuditTrail::sent("load " + m_loaded.last());
            return m_loadSucceeds ? FileLoad() : FileLoad::failed(53, "File not found", "Open Setting File");
        });
        m_task = std::make_unique<ScheduleTask>(m_state, *m_daily, m_clock);
        m_intensity =
            std::make_unique<DailyIntensity>(m_state, folder, m_clock, [this](int command, int value) {
                m_sent.append({command, value});
                return QString();
            });
        m_intensity->setConfiguration({"Low", "Mid", "High"}, true);
        m_dir->write("day.shd", DayTable);
    }

    // Through a day the runner loads each entry's file once, as it comes into force, even a
    // file that does not load; a file the operator loads by hand is replaced at the next tick.
    void dailyRunnerThroughADay()
    {
        QStringList audit;
        AuditTrail::setWriter([&audit](const QString &line) { audit << line; });
        m_state.IntSchFile = "day.shd";
        QVERIFY(m_daily->OpenScheduleFile("day.shd"));
        QVERIFY(m_daily->isRunning());
        m_loadSucceeds = false;
        QStringList minutes; // the minutes at which a file was loaded
        for (QDateTime t(QDate(2026, 3, 1), QTime(0, 0)); t.date().day() == 1; t = t.addSecs(60)) {
            m_clock.at = t;
            const qsizetype before = m_loaded.size();
            m_daily->tick();
            if (m_loaded.size() != before)
                minutes.append(t.toString("HH:mm") + " " + m_loaded.last());
        }
        QCOMPARE(minutes, QStringList({"00:00 B.pav", "06:00 A.pav", "18:00 B.pav"}));
        // Each switch is the runner's doing, with its entry, in the journal.
        QCOMPARE(audit.last(), QString("the schedule runner, the 18:00 entry of day.shd: sent load B.pav"));
        AuditTrail::setWriter({});
        QCOMPARE(m_state.MaxScheduleIndex, qint16(2));
        QCOMPARE(m_state.CurScheduleIndex, qint16(2));
        QCOMPARE(m_state.CurPAVFileName, QString("B.pav"));
        m_state.CurPAVFileName = "evening.pav"; // the operator's Load
        m_daily->tick();
        // Deleting the last entry, with the register page in use, puts default.pav in force, drops
        // the file's name and stops the runner. A tick then loads nothing, as no entry names a
        // file; with nothing recorded in force either, default.pav is the file in force.
        m_daily->removeRows(2, 1, false, true);
        QVERIFY(m_state.IntSchFile.isEmpty() && m_daily->fileDisplay().isEmpty() && !m_daily->isRunning());
        m_daily->tick();
        QCOMPARE(m_state.CurPAVFileName, QString("B.pav"));
        m_state.CurScheduleIndex = 0;
        m_daily->tick();
        QCOMPARE(m_state.CurPAVFileName, QString("default.pav"));
        QCOMPARE(m_loaded.mid(3), QStringList({"B.pav", "default.pav"}));
    }

    // A switch whose file does not load is marked until another entry comes into force, and
    // said in words with the full path, what stays in force, and the error's old text last.
    void aSwitchThatFailsIsMarkedAndSaid_data()
    {
        QTest::addColumn<bool>("daily"); // else the task runner
        QTest::addColumn<QString>("said");
        QTest::newRow("daily runner, setting file missing")
            << true
            << "the 06:00 entry names %1/A.pav, which could not be loaded: the file does not exist; "
               "default.pav stays in force. Error # 53 generated by Open Setting File\rFile not found";
        QTest::newRow("task runner, daily schedule missing")
            << false
            << "the 01/03/2026 entry names %1/gone.shd, which could not be loaded: the file does not "
               "exist; schedule.shd stays in force. Error # 53 generated by Open Schedule File\rFile not "
               "found";
    }
    void aSwitchThatFailsIsMarkedAndSaid()
    {
        QFETCH(bool, daily);
        QFETCH(QString, said);
        const auto failed = [&] { return daily ? m_daily->failedSwitch() : m_task->failedSwitch(); };
        const auto tick = [&] { daily ? m_daily->tick() : m_task->tick(); };
        m_state.CurPAVFileName = "default.pav";
        m_state.IntSchFile = "schedule.shd";
        m_daily->OpenScheduleFile("day.shd");
        m_task->add(0, "01/06/2026", "day.shd");
        m_task->add(0, "01/03/2026", "gone.shd");
        m_loadSucceeds = !daily;
        QSignalSpy status(daily ? static_cast<QObject *>(m_daily.get()) : m_task.get(),
                          SIGNAL(status(QString)));
        tick();
        QCOMPARE(status.last().at(0).toString(), said.arg(m_dir->sysPath()));
        QCOMPARE(failed().entry, 1);
        QVERIFY2(failed().why.endsWith("the file does not exist"), qPrintable(failed().why));
        tick();
        QCOMPARE(failed().entry, 1); // the same entry still in force: not tried again, still marked
        m_loadSucceeds = true;
        at(daily ? "01/03/2026 18:00" : "01/06/2026 00:00");
        tick();
        QCOMPARE(failed().entry, 0);
    }

    // A schedule without entries puts default.pav in force and stops the runner; one that
    // cannot be read leaves the table, the runner and the index as they were, and is said.
    void openScheduleFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<int>("entries");
        QTest::newRow("0-byte file") << QByteArray("") << true << 0;
        QTest::newRow("one entry") << QByteArray("2,\"\t07:00\tC.pav\"\r\n") << true << 1;
        QTest::newRow("count of 1") << QByteArray("1,\"\"\r\n") << true << 0;
        QTest::newRow("damaged") << QByteArray("4,\"\t07:00\tC.pav\"\r\n") << false << 2;
    }
    void openScheduleFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        QFETCH(int, entries);
        m_daily->OpenScheduleFile("day.shd");
        m_state.CurScheduleIndex = 2;
        m_dir->write("other.shd", bytes);
        QSignalSpy failed(m_daily.get(), &DailySchedule::loadFailed);
        QCOMPARE(m_daily->OpenScheduleFile("other.shd"), loads);
        QCOMPARE(m_daily->table().entryCount(), entries);
        QCOMPARE(m_daily->isRunning(), entries > 0);
        QCOMPARE(m_loaded, entries > 0 ? QStringList() : QStringList{"default.pav"});
        QCOMPARE(m_state.CurScheduleIndex, qint16(bytes.isEmpty() ? 0 : 2));
        // Said where the name is shown until a file loads (its words are the page's test), then
        // with the whole path and the composed error text.
        const QString display = m_daily->fileDisplay();
        QCOMPARE(failed.size(), loads ? 0 : 1);
        QVERIFY2(loads ? display == " Filename - other.shd"
                       : failed.at(0).at(0).toString().startsWith(display + " (" + m_dir->file("other.shd") +
                                                                  "). Error # "),
                 qPrintable(display));
    }

    // A name the file cannot store is refused where it is entered, and said; Modify with the
    // header current changes nothing.
    void aPathTheFileCannotHoldIsRefusedAtEntry()
    {
        m_dir->write("A.pav", ""); // a file that exists, so only the refusals are said
        QSignalSpy daily(m_daily.get(), &DailySchedule::status), task(m_task.get(), &ScheduleTask::status);
        m_daily->add(0, "06:00", "A.pav");
        QCOMPARE(m_daily->add(1, "07:00", "a\"b.pav"), 1);
        QCOMPARE(m_daily->modify(1, "07:00", "a\tb.pav"), 1);
        QCOMPARE(m_daily->modify(0, "09:00", "A.pav"), 0);
        QCOMPARE(m_task->add(0, "01/03/2026", "a\"b.shd"), 0);
        QCOMPARE(m_daily->table().entries(), QList<QStringList>({{"", "06:00", "A.pav"}}));
        QCOMPARE(m_task->table().entryCount(), 0);
        QCOMPARE(daily.size(), 2);
        QCOMPARE(daily.at(0).at(0).toString(), "The file name holds a double quote (\"), which the schedule "
                                               "file cannot store; nothing was added.");
        QCOMPARE(task.last().at(0).toString(),
                 "The file name holds a double quote (\"), which the schedule task "
                 "file cannot store; nothing was added.");
    }

    // Without entries the task puts the default daily schedule's name in force and stops; with
    // them, it switches the daily schedule at midnight.
    void taskRunnerSwitchesTheDailyScheduleAtMidnight()
    {
        m_state.IntSchFile = "day.shd";
        m_task->startRunner();
        m_task->tick();
        QCOMPARE(m_state.IntSchFile, QString("schedule.shd"));
        QVERIFY(!m_task->isRunning());
        QCOMPARE(m_daily->table().entryCount(), 0); // the daily table is not touched
        m_dir->write("march1.shd", "2,\"\t00:00\tX.pav\"\r\n");
        m_dir->write("march2.shd", "2,\"\t00:00\tY.pav\"\r\n");
        m_dir->write("year.tsk",
                     "3,\"\t02/03/2026\tmarch2.shd\t20260302\r\t01/03/2026\tmarch1.shd\t20260301\"\r\n");
        QVERIFY(m_task->OpenScheduleTask("year.tsk"));
        m_task->SortScheduleTask();
        QCOMPARE(m_task->table().cell(1, ScheduleTask::PathCell), QString("march1.shd"));
        QVERIFY(!m_task->unsaved().isUnsaved()); // keys made anew for a file loaded are no edit
        m_task->startRunner();
        at("01/03/2026 23:59");
        m_task->tick();
        m_daily->tick();
        at("02/03/2026 00:00");
        m_task->tick();
        m_daily->tick();
        m_task->tick(); // same day, same file: nothing more
        QCOMPARE(m_state.IntSchFile, QString("march2.shd"));
        QCOMPARE(m_loaded, QStringList({"X.pav", "Y.pav"}));
        QVERIFY(m_task->isRunning());
        m_task->modify(1, "01/03/2026", "march2.shd");
        QVERIFY(m_task->unsaved().isUnsaved());
    }

    // A task file that cannot be read leaves the table as it was and is said until a file
    // loads or is saved; the save keeps bytes that could be read as something as <name>.bak.
    void refusedTaskFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        QTest::newRow("0-byte file") << QByteArray() << "the file is empty";
        QTest::newRow("three cells an entry")
            << QByteArray("2,\"\t01/03/2026\tX.shd\"\r\n") << "entry 1 has 3 cells instead of 4";
    }
    void refusedTaskFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        m_dir->write("year.tsk", "2,\"\t01/03/2026\tmarch1.shd\t20260301\"\r\n");
        m_dir->write("bad.tsk", bytes);
        QVERIFY(m_task->OpenScheduleTask("year.tsk"));
        QSignalSpy failed(m_task.get(), &ScheduleTask::loadFailed),
            status(m_task.get(), &ScheduleTask::status);
        QVERIFY(!m_task->OpenScheduleTask("bad.tsk"));
        QCOMPARE(m_task->table().entryCount(), 1);
        QVERIFY(failed.at(0).at(0).toString().contains("Open Schedule Task"));
        QCOMPARE(m_task->refusal(), "bad.tsk could not be read: " + why + "; nothing of it is in use");
        QVERIFY(m_task->SaveScheduleTask("bad.tsk"));
        QCOMPARE(m_task->refusal(), QString());
        QCOMPARE(m_dir->read("bad.tsk.bak"), bytes);
        QVERIFY(bytes.isEmpty() || status.last().at(0).toString().endsWith(m_dir->file("bad.tsk.bak") +
                                                                           " before it was saved over."));
    }

    // The task file is optional: one that is missing is said once, not at every look for it.
    void aMissingTaskFileIsSaidOnce()
    {
        QSignalSpy failed(m_task.get(), &ScheduleTask::loadFailed);
        QVERIFY(!m_task->OpenScheduleTask("gone.tsk") && !m_task->OpenScheduleTask("gone.tsk"));
        QCOMPARE(failed.count(), 1);
    }

    // What a file puts in force; one that did not load whole is said where its name is shown
    // (after the state here) until a file loads or is saved, and a save over it keeps its bytes.
    void intensityLoading_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no setting.int
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("state"); // as stateOf() gives it, then what is said
        const QByteArray wd = "\"5\",\"Automatic\"\r\n";
        const QString partly = ", x.int could not be read whole: %1; the values read before it are in use",
                      whole = ", x.int could not be read: %1; nothing of it is in use";
        QTest::newRow("two records, manual") << "2,\"Manual\"\r\n" + wd << true << "manual 1 auto 0 apply";
        QTest::newRow("level 0: no selection") << "0,\"Manual\"\r\n" + wd << true << "manual -1 auto 0 apply";
        QTest::newRow("words in another case")
            << QByteArray("2,\"manual\"\r\n\"5\",\"switchoff\"\r\n") << true << "automatic 1 auto 0 -";
        QTest::newRow("switch off") << QByteArray("2,\"Manual\"\r\n\"5\",\"SwitchOff\"\r\n") << true
                                    << "manual 1 off 0 apply";
        // Beyond the switch-off delay, but the file's word re-selects Automatic.
        QTest::newRow("delay 300, Automatic")
            << QByteArray("2,\"Manual\"\r\n\"300\",\"Automatic\"\r\n") << true << "manual 1 auto 0 apply";
        QTest::newRow("with entries")
            << "3,\"Automatic\"\r\n" + wd + intensityTable({"06:00=1"}) << true << "automatic 2 auto 2 apply";
        // Records read before the break stay applied; the table is not half replaced.
        QTest::newRow("no watchdog record") << QByteArray("3,\"Manual\"\r\n") << false
                                            << "manual 2 auto 0 apply" + partly.arg("no watchdog setting");
        QTest::newRow("table count wrong")
            << "3,\"Manual\"\r\n" + wd + "5,\"\t06:00\tLow\t0\"\r\n"
            << false
            << "manual 2 auto 0 apply" + partly.arg("the row count says 4 entries, the table text holds 1");
        QTest::newRow("level not in the list")
            << "9,\"Manual\"\r\n" + wd << false
            << "none -1 auto 0 apply" + whole.arg("the level 9 is not one of the 3 levels");
        QTest::newRow("0 bytes") << QByteArray("") << false
                                 << "none -1 auto 0 apply" + whole.arg("no level and mode");
        // The working folder's own setting.int, missing, is made anew and says Automatic.
        QTest::newRow("no setting.int: made, automatic")
            << QByteArray() << false << "automatic -1 auto 0 apply";
    }
    void intensityLoading()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, loads);
        const QString name = file.isNull() ? "setting.int" : "x.int";
        if (!file.isNull())
            m_dir->write(name, file);
        QSignalSpy failures(m_intensity.get(), &DailyIntensity::loadFailed);
        QCOMPARE(m_intensity->OpenIntensityFile(name), loads);
        m_intensity->setFileDisplay(" Filename - " + name); // as the page's Open does after the load
        const QString said = m_intensity->fileDisplay();
        QTEST(stateOf(*m_intensity) + (said.startsWith(" Filename - ") ? QString() : ", " + said), "state");
        QCOMPARE(failures.size(), loads || file.isNull() ? 0 : 1);
        QVERIFY(!m_intensity->unsaved().isUnsaved());
        if (loads || file.isEmpty())
            return;
        QSignalSpy status(m_intensity.get(), &DailyIntensity::status);
        QVERIFY(m_intensity->SaveIntensityFile(name));
        QCOMPARE(m_dir->read("x.int.bak"), file);
        QVERIFY(status.last().at(0).toString().startsWith(
            "x.int could not be read, so its old bytes were kept as "));
        QCOMPARE(m_intensity->fileDisplay(), QString(" Filename - x.int"));
    }

    void intensityMissingFiles()
    {
        // Only the working folder's own setting.int is made anew from the page.
        QSignalSpy failures(m_intensity.get(), &DailyIntensity::loadFailed);
        QVERIFY(!m_intensity->OpenIntensityFile("other.int"));
        QCOMPARE(failures.size(), 1);
        QVERIFY(!QFile::exists(m_dir->file("setting.int")) && !QFile::exists(m_dir->file("other.int")));
        m_intensity->startUp();
        QCOMPARE(m_dir->read("setting.int"), QByteArray("2,\"Automatic\"\r\n\"1\",\"Automatic\"\r\n"));
        QCOMPARE(m_sent, Sent()); // no level until a file says which
        QCOMPARE(m_state.IntFilename, m_dir->file("setting.int"));
    }

    // The entry-in-force rules are the tables' tests: here, which rule Apply's lookup and the
    // tick take, and that a tick sends only a change.
    void levelInForce_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("applied"); // GetIntensity's level; -1 for none sent
        QTest::addColumn<int>("ticked");  // the level a tick puts in force
        const QStringList day{"06:00=0", "18:00=2"};
        QTest::newRow("before the first") << day << "05:59" << 2 << 2;
        QTest::newRow("at the first") << day << "06:00" << 0 << 0;
        QTest::newRow("equal first keys")
            << QStringList{"06:00=1", "06:00=2", "18:00=0"} << "06:00" << 2 << 1;
        QTest::newRow("one entry") << QStringList{"09:00=1"} << "03:00" << 1 << 1;
        QTest::newRow("no entries") << QStringList{} << "12:00" << -1 << -1;
    }
    void levelInForce()
    {
        QFETCH(QStringList, entries);
        QFETCH(int, applied);
        QFETCH(int, ticked);
        at("00:00");
        openAutomatic(entries);
        QFETCH(QString, now);
        at(now);
        m_sent.clear();
        m_intensity->GetIntensity();
        QCOMPARE(m_sent, applied < 0 ? Sent() : Sent({{10, applied}}));
        m_sent.clear();
        m_intensity->runner().tick();
        QCOMPARE(m_sent, ticked == applied ? Sent() : Sent({{10, ticked}})); // sent only on a change
        QVERIFY(!entries.isEmpty() || m_state.CurIntensityIndex == -1); // without entries, no row in force
    }

    // The delay as typed: above 60 it switches the watchdog off; what fits no byte is said,
    // not sent. Its number rules are the number reader's tests.
    void watchdog_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("switchOff");
        QTest::addColumn<int>("sent"); // command 16's value; -1 for no command
        QTest::newRow("61") << QString("61") << "61" << true << 60;
        QTest::newRow("60") << QString("60") << "60" << false << 60;
        QTest::newRow("a letter") << QString("x") << "0" << false << 0;
        QTest::newRow("below 0") << QString("-3") << "-3" << false << -1;
    }
    void watchdog()
    {
        QFETCH(QString, typed);
        QFETCH(int, sent);
        m_intensity->selectManual();
        m_intensity->setDelayText(typed);
        QTEST(m_intensity->delayText(), "shown");
        QTEST(m_intensity->switchOff(), "switchOff");
        QSignalSpy warning(m_intensity.get(), &DailyIntensity::warning);
        m_intensity->SendWatchdogSetting();
        QCOMPARE(m_sent, sent < 0 ? Sent() : Sent({{16, sent}}));
        QCOMPARE(warning.size(), sent < 0 ? 1 : 0);
    }

    // Apply and Retransmit send the level and the watchdog, Apply with nothing to apply not
    // even that; each level says its mode and entry, then what sent it.
    void levelsSent_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<Sent>("sent");
        QTest::addColumn<QString>("how"); // of the last level sent
        const QStringList one{"06:00=2"};
        const QString in = "automatic, the 06:00 entry, ";
        QTest::newRow("Apply, automatic, empty table")
            << QString("Apply") << false << QStringList{} << Sent{} << "";
        QTest::newRow("Apply, automatic")
            << QString("Apply") << false << one << Sent{{10, 2}, {16, 5}} << in + "after Apply";
        QTest::newRow("Apply, manual")
            << QString("Apply") << true << one << Sent{{10, 1}, {16, 5}} << "manual, after Apply";
        QTest::newRow("Retransmit, automatic, empty table")
            << QString("Retransmit") << false << QStringList{} << Sent{{16, 5}} << "";
        QTest::newRow("Retransmit, automatic")
            << QString("Retransmit") << false << one << Sent{{10, 2}, {16, 5}} << in + "by Retransmit";
        QTest::newRow("load") << QString("load") << false << one << Sent{{10, 2}}
                              << in + "on loading day.int";
        QTest::newRow("the runner's own switch")
            << QString("tick") << false << QStringList{"06:00=0", "18:00=2"} << Sent{{10, 2}}
            << "automatic, the 18:00 entry";
        QTest::newRow("an occasion named outside wins")
            << QString("start-up") << false << one << Sent{{10, 2}, {16, 5}} << in + "at start-up";
    }
    void levelsSent()
    {
        QFETCH(QString, action);
        QFETCH(bool, manual);
        QFETCH(QStringList, entries);
        openAutomatic(entries);
        if (manual)
            m_intensity->selectManual();
        m_intensity->setManualLevel(1);
        m_sent.clear();
        QSignalSpy levels(m_intensity.get(), &DailyIntensity::levelSent);
        if (action == "load") {
            openAutomatic(entries);
        } else if (action == "tick") {
            at("18:00");
            m_intensity->runner().tick();
        } else if (action == "Retransmit") {
            m_intensity->retransmit();
        } else {
            if (action == "start-up")
                m_intensity->setOccasion("at start-up");
            m_intensity->apply();
        }
        QTEST(m_sent, "sent");
        QTEST(levels.isEmpty() ? QString() : levels.last().at(2).toString(), "how");
        QCOMPARE(m_intensity->runner().isRunning(), !manual && !entries.isEmpty());
    }

    // What the file holds is an edit until Save; the level the next Add takes is not. The file
    // as an installer reads it: the entries by time, a table without entries as no record.
    void intensityEditsMarkTheFileUnsaved()
    {
        openAutomatic({"18:30=2", "06:00=0"});
        m_intensity->setAutoLevel(1);
        QVERIFY(!m_intensity->unsaved().isUnsaved());
        for (const auto &edit : std::initializer_list<std::function<void()>>{
                 [&] { m_intensity->selectManual(); }, [&] { m_intensity->setDelayText("7"); },
                 [&] { m_intensity->add(0, "07:00"); }, [&] { m_intensity->removeRows(1, 1); },
                 [&] { m_intensity->selectWatchdogSwitchOff(); }, [&] { m_intensity->removeRows(1, 2); }}) {
            if (m_intensity->switchOff()) // before the last edit
                QCOMPARE(m_dir->read("day.int"), QByteArray("1,\"Manual\"\r\n\"7\",\"SwitchOff\"\r\n"
                                                            "3,\"\t07:00\tMid\t1\r\t18:30\tHigh\t2\"\r\n"));
            edit();
            QVERIFY(m_intensity->unsaved().isUnsaved());
            QVERIFY(m_intensity->SaveIntensityFile("day.int"));
            QVERIFY(!m_intensity->unsaved().isUnsaved());
        }
        QCOMPARE(m_dir->read("day.int"), QByteArray("1,\"Manual\"\r\n\"7\",\"SwitchOff\"\r\n"));
        m_intensity->setDelayText("8"); // a save that fails says so and leaves the edit unsaved
        QVERIFY(!m_intensity->SaveIntensityFile("gone/day.int") && m_intensity->unsaved().isUnsaved());
    }

    // The runner keeps its table until Apply; Modify with the header current changes nothing.
    void theRunnerKeepsItsTableUntilApply()
    {
        openAutomatic({"06:00=0"});
        m_intensity->setAutoLevel(2);
        QCOMPARE(m_intensity->modify(0, "08:00"), 0);
        QVERIFY(!m_intensity->modifyEnabled()); // with the header current, Modify goes off
        m_intensity->modify(1, "07:00");
        QCOMPARE(m_intensity->table().entries(), QList<QStringList>({{"", "07:00", "High", "2"}}));
        m_sent.clear();
        m_intensity->runner().tick();
        QCOMPARE(m_sent, Sent());
        m_intensity->apply();
        QCOMPARE(m_sent, Sent({{10, 2}, {16, 5}}));
    }

    // The task loads the daily file of the day, takes it back from a file loaded by hand, and
    // its level says which entry sent it.
    void intensityTaskHoldsTheDailyFile()
    {
        m_dir->write("a.int", "1,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        m_dir->write("b.int", "3,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        m_dir->write("t.tsk", "3,\"\t01/01/2026\ta.int\t20260101\r\t01/07/2026\tb.int\t20260701\"\r\n");
        m_state.IntTaskFilename = m_dir->file("t.tsk");
        IntensityTask task(m_state, *m_intensity, m_clock);
        QVERIFY(task.OpenIntensityTask("t.tsk"));
        QSignalSpy how(m_intensity.get(), &DailyIntensity::levelSent);
        for (const auto &[day, level] : {std::pair{QDate(2026, 6, 30), 0}, {QDate(2026, 7, 1), 2}}) {
            m_clock.at.setDate(day);
            m_sent.clear();
            task.tick();
            QCOMPARE(m_sent, Sent({{10, level}}));
            m_state.IntFilename = "by hand.int"; // loaded by the operator: the next tick takes it back
        }
        QCOMPARE(how.first().at(2).toString(), QString("manual, by the 01/01/2026 entry of t.tsk"));
        m_sent.clear();
        task.tick();
        QCOMPARE(m_state.IntFilename, QString("b.int"));
        QCOMPARE(m_sent, Sent({{10, 2}}));
        // A refused file whose count says no entries leaves the task without any.
        m_dir->write("none.tsk", "1,\"\t01/01/2026\ta.int\t20260101\"\r\n");
        QVERIFY(!task.OpenIntensityTask("none.tsk") && m_state.MaxIntScheduleIndex == 0);
    }
};

QTEST_GUILESS_MAIN(TestRunners)
#include "tst_runners.moc"
