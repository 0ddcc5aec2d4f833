#include "DailyIntensity.h"
#include "IntensityFile.h"
#include "IntensityTask.h"
#include "TestClock.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
using Sent = QList<std::pair<int, int>>; // {command, value}, in the order they went out

// Entries "HH:mm=level" as the intensity file's third record.
QByteArray tableRecord(const QStringList &entries)
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

// The setting as one text: mode, manual level, watchdog, the runner's table size, Apply.
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

// The daily intensity setting without its page: the file, the level in force by both rules,
// the watchdog, Apply and the editor's last entry; and the yearly task's runner.
class TestIntensity : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    TestClock m_clock;
    ConsoleState m_state;
    Sent m_sent;
    std::unique_ptr<DailyIntensity> m_intensity;

    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray read(const QString &name)
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void openAutomatic(const QStringList &entries)
    {
        write("day.int", "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n" + tableRecord(entries));
        QVERIFY(m_intensity->OpenIntensityFile("day.int"));
    }
    void at(const char *hhmm) { m_clock.at.setTime(QTime::fromString(hhmm, "HH:mm")); }

private slots:
    void init()
    {
        m_state = ConsoleState();
        m_sent.clear();
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        m_intensity = std::make_unique<DailyIntensity>(m_state, WorkingFolder(m_dir.path()), m_clock,
                                                       [this](int command, int value) {
                                                           m_sent.append({command, value});
                                                           return QString();
                                                       });
        m_intensity->setConfiguration({"Low", "Mid", "High"}, true);
    }

    void storedBytes()
    {
        // Manual at position 2, delay 5, two entries: the file as an installer reads it.
        write("x.int", "3,\"Manual\"\r\n\"5\",\"Automatic\"\r\n" + tableRecord({"18:30=2", "06:00=0"}));
        QVERIFY(m_intensity->OpenIntensityFile("x.int"));
        QVERIFY(m_intensity->SaveIntensityFile("y.int"));
        QCOMPARE(
            read("y.int"),
            QByteArray("3,\"Manual\"\r\n\"5\",\"Automatic\"\r\n3,\"\t06:00\tLow\t0\r\t18:30\tHigh\t2\"\r\n"));
        m_intensity->selectWatchdogSwitchOff();
        m_intensity->removeRows(1, 2);
        QVERIFY(m_intensity->SaveIntensityFile("z.int"));
        QCOMPARE(read("z.int"), QByteArray("3,\"Manual\"\r\n\"5\",\"SwitchOff\"\r\n"));
    }

    void loading_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no setting.int
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("state"); // as stateOf() gives it
        const QByteArray wd = "\"5\",\"Automatic\"\r\n";
        QTest::newRow("two records, manual") << "2,\"Manual\"\r\n" + wd << true << "manual 1 auto 0 apply";
        QTest::newRow("two records, automatic")
            << "2,\"Automatic\"\r\n" + wd << true << "automatic 1 auto 0 -";
        QTest::newRow("level 0: no selection") << "0,\"Manual\"\r\n" + wd << true << "manual -1 auto 0 apply";
        QTest::newRow("words in another case")
            << QByteArray("2,\"manual\"\r\n\"5\",\"switchoff\"\r\n") << true << "automatic 1 auto 0 -";
        QTest::newRow("switch off") << QByteArray("2,\"Manual\"\r\n\"5\",\"SwitchOff\"\r\n") << true
                                    << "manual 1 off 0 apply";
        QTest::newRow("with entries")
            << "3,\"Automatic\"\r\n" + wd + tableRecord({"06:00=1"}) << true << "automatic 2 auto 2 apply";
        // Records read before the break stay applied; the table is not half replaced.
        QTest::newRow("no watchdog record")
            << QByteArray("3,\"Manual\"\r\n") << false << "manual 2 auto 0 apply";
        QTest::newRow("table count wrong") << "3,\"Manual\"\r\n" + wd + "5,\"\t06:00\tLow\t0\"\r\n"
                                           << false << "manual 2 auto 0 apply";
        QTest::newRow("level not in the list") << "9,\"Manual\"\r\n" + wd << false << "none -1 auto 0 apply";
        QTest::newRow("0 bytes") << QByteArray("") << false << "none -1 auto 0 apply";
        // The working folder's own setting.int, missing, is made anew and says Automatic.
        QTest::newRow("no setting.int: made, automatic")
            << QByteArray() << false << "automatic -1 auto 0 apply";
    }
    void loading()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, loads);
        const QString name = file.isNull() ? "setting.int" : "x.int";
        if (!file.isNull())
            write(name, file);
        QSignalSpy failures(m_intensity.get(), &DailyIntensity::loadFailed);
        QCOMPARE(m_intensity->OpenIntensityFile(name), loads);
        QTEST(stateOf(*m_intensity), "state");
        QCOMPARE(failures.size(), loads || file.isNull() ? 0 : 1);
        QVERIFY(!m_intensity->unsaved().isUnsaved());
    }

    // A file that did not load whole is said where its name is shown until a file loads or
    // is saved; a save over it keeps its bytes as <name>.bak.
    void refusedFileIsSaidAndKeptOnSave_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("shown");
        QTest::newRow("broken off after record 1")
            << QByteArray("3,\"Manual\"\r\n")
            << "x.int could not be read whole: no watchdog setting; the values read before it are in use";
        QTest::newRow("a level not in the lists")
            << QByteArray("9,\"Manual\"\r\n\"5\",\"Automatic\"\r\n")
            << "x.int could not be read: the level 9 is not one of the 3 levels; nothing of it is in use";
    }
    void refusedFileIsSaidAndKeptOnSave()
    {
        QFETCH(QByteArray, file);
        write("x.int", file);
        m_intensity->OpenIntensityFile("x.int");
        m_intensity->setFileDisplay(" Filename - x.int"); // as the page's Open does after the load
        QTEST(m_intensity->fileDisplay(), "shown");
        QSignalSpy status(m_intensity.get(), &DailyIntensity::status);
        QVERIFY(m_intensity->SaveIntensityFile("x.int"));
        QCOMPARE(read("x.int.bak"), file);
        QVERIFY(status.last().at(0).toString().startsWith(
            "x.int could not be read, so its old bytes were kept as "));
        QCOMPARE(m_intensity->fileDisplay(), QString(" Filename - x.int"));
    }

    void missingFiles()
    {
        // Only the working folder's own setting.int is made anew from the page.
        QSignalSpy failures(m_intensity.get(), &DailyIntensity::loadFailed);
        QVERIFY(!m_intensity->OpenIntensityFile("other.int"));
        QCOMPARE(failures.size(), 1);
        QVERIFY(!QFile::exists(m_dir.filePath("setting.int")));
        QVERIFY(!QFile::exists(m_dir.filePath("other.int")));
        m_intensity->startUp();
        QCOMPARE(read("setting.int"), QByteArray("2,\"Automatic\"\r\n\"1\",\"Automatic\"\r\n"));
        QCOMPARE(m_sent, Sent()); // no level until a file says which
        QCOMPARE(m_state.IntFilename, m_dir.filePath("setting.int"));
    }

    void levelInForce_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("applied"); // GetIntensity's level; -1 for none sent
        QTest::addColumn<int>("ticked");  // the level a tick puts in force
        // The entry-in-force rules are the tables' tests: here, which rule each way takes.
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
        QFETCH(QString, now);
        QFETCH(int, applied);
        QFETCH(int, ticked);
        at("00:00");
        openAutomatic(entries);
        m_clock.at.setTime(QTime::fromString(now, "HH:mm"));
        m_sent.clear();
        m_intensity->GetIntensity();
        QCOMPARE(m_sent, applied < 0 ? Sent() : Sent({{10, applied}}));
        QCOMPARE(m_intensity->runner().LastIntensitySent(), applied);
        m_sent.clear();
        m_intensity->runner().tick();
        QCOMPARE(m_sent, ticked == applied ? Sent() : Sent({{10, ticked}})); // sent only on a change
    }

    void watchdog_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("switchOff");
        QTest::addColumn<int>("sent"); // command 16's value; -1 for no command
        QTest::newRow("61") << "61"
                            << "61" << true << 60;
        QTest::newRow("60") << "60"
                            << "60" << false << 60;
        QTest::newRow("12.5") << "12.5"
                              << "12.5" << false << 12;
        QTest::newRow("13.5") << "13.5"
                              << "13.5" << false << 14;
        QTest::newRow("a letter") << "x"
                                  << "0" << false << 0;
        QTest::newRow("empty") << ""
                               << "0" << false << 0;
        QTest::newRow("below 0") << "-3"
                                 << "-3" << false << -1;
    }
    void watchdog()
    {
        QFETCH(QString, typed);
        QFETCH(int, sent);
        m_intensity->selectManual();
        m_intensity->setDelayText(typed);
        QTEST(m_intensity->delayText(), "shown");
        QTEST(m_intensity->switchOff(), "switchOff");
        QSignalSpy status(m_intensity.get(), &DailyIntensity::warning);
        m_sent.clear();
        m_intensity->SendWatchdogSetting();
        QCOMPARE(m_sent, sent < 0 ? Sent() : Sent({{16, sent}}));
        QCOMPARE(status.size(), sent < 0 ? 1 : 0); // a delay that fits no byte is said, not sent
    }

    void aLoadedDelayAbove255IsNotSent()
    {
        write("x.int", "2,\"Manual\"\r\n\"300\",\"Automatic\"\r\n");
        m_intensity->OpenIntensityFile("x.int");
        QVERIFY(!m_intensity->switchOff()); // the file's word re-selects Automatic
        m_sent.clear();
        m_intensity->SendWatchdogSetting();
        QCOMPARE(m_sent, Sent());
    }

    // Apply and Retransmit send the level and the watchdog; Apply with nothing to apply sends
    // nothing at all.
    void applyAndRetransmit_data()
    {
        QTest::addColumn<bool>("retransmit");
        QTest::addColumn<bool>("manual");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<Sent>("sent");
        const QStringList one{"06:00=2"};
        QTest::newRow("Apply, automatic, empty table") << false << false << QStringList{} << Sent{};
        QTest::newRow("Apply, automatic") << false << false << one << Sent{{10, 2}, {16, 5}};
        QTest::newRow("Apply, manual") << false << true << one << Sent{{10, 1}, {16, 5}};
        QTest::newRow("Retransmit, automatic, empty table")
            << true << false << QStringList{} << Sent{{16, 5}};
        QTest::newRow("Retransmit, manual") << true << true << one << Sent{{10, 1}, {16, 5}};
    }
    void applyAndRetransmit()
    {
        QFETCH(bool, retransmit);
        QFETCH(bool, manual);
        QFETCH(QStringList, entries);
        openAutomatic(entries);
        if (manual)
            m_intensity->selectManual();
        m_intensity->setManualLevel(1);
        m_sent.clear();
        retransmit ? m_intensity->retransmit() : m_intensity->apply();
        QTEST(m_sent, "sent");
        QCOMPARE(m_intensity->runner().isRunning(), !manual && !entries.isEmpty());
    }

    // What the panel says of the level in force: its mode and entry, then what sent it.
    void aLevelSaysHowItWasSent_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("how");
        QTest::newRow("load") << QString("load") << "automatic, the 06:00 entry, on loading day.int";
        QTest::newRow("Apply") << QString("Apply") << "automatic, the 06:00 entry, after Apply";
        QTest::newRow("Apply, manual") << QString("manual") << "manual, after Apply";
        QTest::newRow("the runner's own switch") << QString("tick") << "automatic, the 18:00 entry";
        QTest::newRow("Retransmit") << QString("Retransmit") << "automatic, the 06:00 entry, by Retransmit";
        QTest::newRow("an occasion named outside wins")
            << QString("start-up") << "automatic, the 06:00 entry, at start-up";
        QTest::newRow("the intensity task") << QString("task") << "manual, by the 01/01/2026 entry of t.tsk";
    }
    void aLevelSaysHowItWasSent()
    {
        QFETCH(QString, action);
        at("12:00");
        openAutomatic({"06:00=0", "18:00=2"});
        QSignalSpy sent(m_intensity.get(), &DailyIntensity::levelSent);
        if (action == "load") {
            openAutomatic({"06:00=0", "18:00=2"});
        } else if (action == "Apply" || action == "manual") {
            if (action == "manual")
                m_intensity->selectManual();
            m_intensity->apply();
        } else if (action == "tick") {
            at("18:00");
            m_intensity->runner().tick();
        } else if (action == "Retransmit") {
            m_intensity->retransmit();
        } else if (action == "start-up") {
            m_intensity->setOccasion("at start-up");
            m_intensity->apply();
        } else {
            write("a.int", "1,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
            write("t.tsk", "2,\"\t01/01/2026\ta.int\t20260101\"\r\n");
            m_state.IntTaskFilename = m_dir.filePath("t.tsk");
            IntensityTask task(m_state, *m_intensity, m_clock);
            QVERIFY(task.OpenIntensityTask("t.tsk"));
            task.tick();
        }
        QCOMPARE(sent.count(), 1);
        QTEST(sent.at(0).at(2).toString(), "how");
    }

    void theRunnerKeepsItsTableUntilApply()
    {
        at("12:00");
        openAutomatic({"06:00=0"});
        m_intensity->setAutoLevel(2);
        m_intensity->modify(1, "07:00");
        m_sent.clear();
        m_intensity->runner().tick();
        QCOMPARE(m_sent, Sent());
        m_intensity->apply();
        QCOMPARE(m_sent, Sent({{10, 2}, {16, 5}}));
    }

    void taskHoldsTheDailyFile()
    {
        write("a.int", "1,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        write("b.int", "3,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        write("t.tsk", "3,\"\t01/01/2026\ta.int\t20260101\r\t01/07/2026\tb.int\t20260701\"\r\n");
        IntensityTask task(m_state, *m_intensity, m_clock);
        QVERIFY(task.OpenIntensityTask("t.tsk"));
        for (const auto &[day, level] : {std::pair{QDate(2026, 6, 30), 0}, {QDate(2026, 7, 1), 2}}) {
            m_clock.at.setDate(day);
            m_sent.clear();
            task.tick();
            QCOMPARE(m_sent, Sent({{10, level}}));
            m_state.IntFilename = "by hand.int"; // loaded by the operator: the next tick takes it back
        }
        m_sent.clear();
        task.tick();
        QCOMPARE(m_state.IntFilename, QString("b.int"));
        QCOMPARE(m_sent, Sent({{10, 2}}));
    }
};

QTEST_GUILESS_MAIN(TestIntensity)
#include "tst_intensity.moc"
