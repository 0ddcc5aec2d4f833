#include "ConsoleWindow.h"
#include "DailyIntensity.h"
#include "DailySchedule.h"
#include "Frames.h"
#include "ScheduleTask.h"
#include "TableGrid.h"
#include "TableModel.h"
#include "TestClock.h"
#include "TimelineStrip.h"

#include <QtTest>
#include <QtWidgets>

using namespace Frames;

namespace {
const QByteArray Schedule = "5,\"\t01:00\tA.pav\r\t02:00\tB.pav\r\t03:00\tC.pav\r\t04:00\tD.pav\"\r\n";
const QByteArray Task = "3,\"\t15/01/2025\tjan.shd\t20250115\r\t03/03/2025\tmar.shd\t20250303\"\r\n";
const QByteArray OneIntensity = "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n2,\"\t06:00\tHigh\t2\"\r\n";
using Files = QList<std::pair<QString, QByteArray>>;

// A console window with the table pages in use, on the test's clock.
struct Console : ConsoleWindow {
    TestClock clock;

    explicit Console(const QList<int> &pages = {1, 2, 3}, const Files &files = {})
    {
        folder.usePages(pages);
        folder.write("schedule.shd", Schedule);
        folder.write("ScheduleTask.tsk", Task);
        for (const auto &[name, bytes] : files)
            folder.write(name, bytes);
        window = std::make_unique<MainWindow>(WorkingFolder(folder.sysPath()), nullptr, clock);
        window->startUp();
        for (TableGrid *grid : window->findChildren<TableGrid *>()) // every signal a sound one
            new QAbstractItemModelTester(
                grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, window.get());
    }
    ~Console() { window.reset(); } // before the clock it reads
    QString said() const { return window->statusBar()->currentMessage(); }
    QStringList column(const QString &grid, int column) const
    {
        QStringList cells;
        QAbstractItemModel *model = find<TableGrid>(grid)->model();
        for (int r = 0; r < model->rowCount(); ++r)
            cells.append(model->index(r, column).data().toString());
        return cells;
    }
    void clickRow(const QString &grid, int row)
    {
        auto *view = find<TableGrid>(grid);
        auto *tabs = find<QTabWidget>("SSTab1");
        for (int page = 0; page < tabs->count(); ++page) {
            if (tabs->widget(page)->isAncestorOf(view))
                tabs->setCurrentIndex(page);
        }
        const QRect cell = view->visualRect(view->model()->index(row - 1, 1));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // An entry just added whose file does not exist: said, and marked on the grid and on its
    // band of the strip.
    void checkMissingMark(const QString &name, const QModelIndex &cell, const QString &strip, int band)
    {
        const QString missing = name + " does not exist in the working folder";
        QCOMPARE(said(), missing + "; the entry was added and will fail when it comes due");
        QVERIFY(!cell.data(Qt::DecorationRole).isNull());
        QCOMPARE(cell.data(TableModel::MarkTipRole).toString(), "Missing: " + missing);
        const TimelineStrip::Band shown = find<TimelineStrip>(strip)->bands().at(band);
        QVERIFY(shown.mark == EntryMark::Missing && shown.tip.endsWith("Missing: " + missing));
    }
    // Clicks a button and answers the file dialog it brings up with 'file'; the dialog's
    // name, or an empty text when none came up.
    QString click(const QString &button, const QString &file = QString())
    {
        QString dialog;
        QObject answer;
        QTimer::singleShot(0, &answer, [&] {
            if (auto *shown = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                dialog = shown->objectName();
                if (QWidget *focus = shown->focusWidget())
                    focus->clearFocus();
                shown->selectFile(folder.file(file));
                static_cast<QDialog *>(shown)->accept();
            }
        });
        ConsoleWindow::click(button);
        return dialog;
    }
};
} // namespace

// The schedule, task and intensity pages by control name: the editors' rules, the file
// buttons and what a click sends. The rules of the tables themselves are the models' tests.
class TestSchedulePages : public QObject {
    Q_OBJECT
private slots:
    // The switch in force at start-up fails (no setting file exists) and is marked. The click
    // that closes Browse's dialog reaches the grid and is ignored, wherever it lands; the next
    // copies its entry into the editor. Add waits for a file name and ends Modify, which a new
    // time allows; Del Row takes the grid's selection, and with the register page in use the
    // last entry's going clears the name.
    void schedulePage()
    {
        Console console;
        console.window->dailySchedule().tick(); // the 04:00 entry, D.pav
        auto *grid = console.find<TableGrid>("MSFlexGrid1");
        QCOMPARE(grid->model()->index(3, 2).data(TableModel::MarkTipRole).toString(),
                 QString("Failed: not loaded at 12:00: the file does not exist"));
        const auto picture = [grid](int column) { // the clock, over the first column only
            return grid->model()->headerData(column, Qt::Horizontal, Qt::DecorationRole);
        };
        QVERIFY(!picture(0).isNull() && picture(1).isNull());

        auto *add = console.find("cmdAdd"), *modify = console.find("CmdModify");
        QVERIFY(!add->isEnabled() && !modify->isEnabled());
        console.folder.write("chosen.pav", "");
        for (const QString where : {"on an entry", "on the header row", "below the last entry"}) {
            QCOMPARE(console.click("cmdBrowse", "chosen.pav"), QString("CommonDialogAstro2"));
            if (where == "on an entry")
                console.clickRow("MSFlexGrid1", 2);
            else if (where == "on the header row")
                QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
            else
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                                  QPoint(30, grid->viewport()->height() - 3));
            QVERIFY2(console.text("txtFileName") == "chosen.pav", qPrintable(where));
            console.clickRow("MSFlexGrid1", 2);
            QVERIFY2(console.text("txtFileName") == "B.pav", qPrintable(where));
        }
        QCOMPARE(console.find<QTimeEdit>("DTPickerAstro")->time(), QTime(2, 0));
        QVERIFY(!modify->isEnabled());
        console.find<QTimeEdit>("DTPickerAstro")->setTime(QTime(2, 30));
        console.find<QLineEdit>("txtFileName")->setText("new.pav");
        QVERIFY(add->isEnabled() && modify->isEnabled());
        grid->setCurrentRow(4);
        console.click("cmdAdd"); // placed by its time, whatever row is current
        QVERIFY(!modify->isEnabled());
        console.checkMissingMark("new.pav", grid->model()->index(2, 2), "stripSchedule", 3);

        console.find<QTimeEdit>("DTPickerAstro")->setTime(QTime(3, 30)); // Modify on again
        grid->setCurrentRow(1);
        console.click("cmdDeleteRow"); // entries are left: Modify keeps its state
        QVERIFY(modify->isEnabled());
        grid->setCurrentRow(4); // selected upwards, from the last entry to the first
        grid->selectionModel()->setCurrentIndex(grid->model()->index(0, 1),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        console.click("cmdDeleteRow");
        QCOMPARE(console.column("MSFlexGrid1", 1), QStringList());
        QCOMPARE(console.window->state().IntSchFile, QString());
    }

    // A damaged schedule.shd is said where its name is shown; Save keeps it as .bak. Save As
    // takes a name; after New, Save asks for one; Save Default leaves Save its name.
    void scheduleFileButtons()
    {
        const QByteArray damaged = "5,\"\t06:00\tA.pav\"\r\n";
        Console console({1, 2, 3}, {{"schedule.shd", damaged}, {"ScheduleTask.tsk", damaged}});
        QCOMPARE(console.text("txtScheduleFile"),
                 "schedule.shd could not be read: the row count says 4 entries, the table text holds 1; "
                 "nothing of it is in use");
        const QString taskRefused = console.find<QLabel>("lblSchTaskRefused")->text();
        QVERIFY(taskRefused.startsWith("ScheduleTask.tsk could not be read: "));
        console.click("cmdScheduleSave");
        QCOMPARE(console.folder.read("schedule.shd.bak"), damaged);
        QCOMPARE(console.folder.read("schedule.shd"), QByteArray());
        QVERIFY(console.said().contains("kept as " + console.folder.file("schedule.shd.bak")));
        QCOMPARE(console.text("txtScheduleFile"), " Filename - " + console.folder.file("schedule.shd"));

        QCOMPARE(console.click("cmdScheduleSaveAs", "mine.shd"), QString("CommonDialogAstro1"));
        QCOMPARE(console.text("txtScheduleFile"), QString(" Filename - mine.shd"));
        console.click("cmdScheduleNew");
        console.find<QLineEdit>("txtFileName")->setText("late.pav");
        console.click("cmdAdd");
        QCOMPARE(console.click("cmdScheduleSave", "fresh.shd"), QString("CommonDialogAstro1"));
        console.click("cmdScheduleSaveDefault");
        console.find<QLineEdit>("txtFileName")->setText("early.pav");
        console.click("cmdAdd");
        QCOMPARE(console.click("cmdScheduleSave"), QString());
        QCOMPARE(console.folder.read("schedule.shd"), QByteArray("2,\"\t00:00\tlate.pav\"\r\n"));
        QCOMPARE(console.folder.read("fresh.shd"),
                 QByteArray("3,\"\t00:00\tlate.pav\r\t00:00\tearly.pav\"\r\n"));
    }

    // The date is today's at start-up; Add places by date and ends Modify; a click copies
    // the entry into the editor. Check Files lists what the task needs and is missing.
    void scheduleTaskPage()
    {
        Console console;
        QVERIFY(!console.find("cmdSchTaskSave")->isHidden()); // shown once the page has started
        auto *date = console.find<QDateEdit>("DTPickerSchedule");
        QCOMPARE(date->date(), QDate(2026, 3, 1));
        date->setDate(QDate(2026, 6, 1));
        console.find<QLineEdit>("txtSchedule")->setText("jun.shd");
        QVERIFY(console.find("cmdSchTaskModify")->isEnabled());
        console.click("cmdSchTaskAdd");
        QVERIFY(!console.find("cmdSchTaskModify")->isEnabled());
        auto *unsaved = console.find<QLabel>("lblSchTaskUnsaved");
        QVERIFY(!unsaved->isHidden());
        auto *grid = console.find<TableGrid>("MSFlexGridSchedule");
        console.checkMissingMark("jun.shd", grid->model()->index(2, 2), "stripScheduleTask", 1);
        console.clickRow("MSFlexGridSchedule", 2);
        QCOMPARE(date->date(), QDate(2025, 3, 3));
        QCOMPARE(console.text("txtSchedule"), QString("mar.shd"));
        QVERIFY(!console.find("cmdSchTaskModify")->isEnabled());
        console.click("cmdSchTaskSave");
        QVERIFY(unsaved->isHidden());
        QCOMPARE(console.folder.read("ScheduleTask.tsk"),
                 QByteArray("4,\"\t15/01/2025\tjan.shd\t20250115\r\t03/03/2025\tmar.shd\t20250303\r"
                            "\t01/06/2026\tjun.shd\t20260601\"\r\n"));

        console.click("cmdSchTaskCheck");
        auto *list = console.find<QListWidget>("lstCheckFiles");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), "mar.shd: the file does not exist; needed 01/03/2026 to 31/05/2026");
    }

    // The task's Del Row with no entry left puts the default daily schedule in force and
    // stops the runner; with the header current among entries it changes nothing.
    void taskDeleteRow_data()
    {
        QTest::addColumn<int>("entries"); // left in the task before the click
        QTest::addColumn<int>("current"); // 0: the header
        QTest::newRow("the last entry") << 1 << 1;
        QTest::newRow("an empty table") << 0 << 0;
        QTest::newRow("the header current among entries") << 2 << 0;
    }
    void taskDeleteRow()
    {
        QFETCH(int, entries);
        QFETCH(int, current);
        const bool noneLeft = entries < 2;
        Console console({2, 3});
        if (noneLeft)
            console.window->scheduleTask().removeRows(entries + 1, 2);
        console.window->dailySchedule().clearTable();
        console.window->state().IntSchFile = "by hand.shd";
        console.find<QLineEdit>("txtSchedule")->setText("next.shd");
        console.find<TableGrid>("MSFlexGridSchedule")->setCurrentRow(current);
        console.click("cmdSchTaskDelRow");
        QCOMPARE(console.column("MSFlexGridSchedule", 1).size(), noneLeft ? 0 : 2);
        QCOMPARE(console.window->dailySchedule().table().entryCount(), noneLeft ? 4 : 0);
        QCOMPARE(console.window->state().IntSchFile, noneLeft ? QString() : QString("by hand.shd"));
        QCOMPARE(console.text("txtSchedule"), noneLeft ? QString() : QString("next.shd"));
        QCOMPARE(console.window->scheduleTask().isRunning(), !noneLeft);
    }

    // The levels Low, Mid and High go out as the codes 10, 100 and 200 (command 10).
    // Start-up sends the level in force and one watchdog and shows the file's choices, the
    // entry in force marked beside its first cell, which stays empty as stored. Delete Row of
    // the last entry sends the manual level at once, drops the file's name and stops the
    // runner; Apply follows the mode. Add and a click use the
    // editor; the delay box shows what it takes, and beyond 60 switches the watchdog off.
    void intensityPage()
    {
        Console console({4}, {{"setting.int", OneIntensity}});
        QCOMPARE(received(console.pty, 16), of({{10, 200}, {16, 5}}).toHex(' '));
        auto *automatic = console.find<QRadioButton>("optAutomatic");
        QVERIFY(automatic->isChecked());
        QCOMPARE(automatic->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(console.find<QComboBox>("cboManualIntensity")->currentIndex(), 0);
        auto *autoLevel = console.find<QComboBox>("cboAutoIntensity");
        QCOMPARE(autoLevel->currentIndex(), 1);
        QCOMPARE(console.text("txtIntFilename"), " Filename - " + console.folder.file("setting.int"));
        auto *grid = console.find<TableGrid>("MSFlexGridIntensity");
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QString());
        QVERIFY(!grid->model()->index(0, 0).data(Qt::DecorationRole).isNull());

        auto *timer = console.find<QTimer>("TimerIntensity");
        grid->setCurrentRow(1);
        console.click("cmdDeleteRowInt");
        QCOMPARE(console.column("MSFlexGridIntensity", 1), QStringList());
        QVERIFY(!console.find<QLabel>("lblIntensityUnsaved")->isHidden());
        QVERIFY(console.find<QRadioButton>("optManual")->isChecked());
        QCOMPARE(received(console.pty, 8), of({{10, 10}}).toHex(' '));
        QVERIFY(!console.find("cmdMdyIntTime")->isEnabled());
        QVERIFY(console.window->state().IntFilename.isEmpty() && !timer->isActive());
        QVERIFY(console.find("cmdApply")->isEnabled());
        automatic->click(); // with no entry: nothing to apply
        QVERIFY(!console.find("cmdApply")->isEnabled());

        for (const auto &[time, position] : {std::pair{QTime(6, 0), 2}, {QTime(5, 15), 0}}) {
            console.find<QTimeEdit>("DTPickerIntensity")->setTime(time);
            autoLevel->setCurrentIndex(position);
            console.click("cmdAddIntTime");
        }
        // Each at its time, with its level; a click beside the time and the level copies nothing.
        QCOMPARE(console.column("MSFlexGridIntensity", 3), QStringList({"0", "2"}));
        for (const int column : {0, 2}) {
            grid->setCurrentRow(2, column);
            emit grid->gridClicked();
            QCOMPARE(console.find<QTimeEdit>("DTPickerIntensity")->time(),
                     column ? QTime(6, 0) : QTime(5, 15));
        }
        QCOMPARE(autoLevel->currentText(), QString("High"));
        QVERIFY(console.find("cmdMdyIntTime")->isEnabled());

        auto *delay = console.find<QLineEdit>("TxtWatchdogDelay");
        auto *switchOff = console.find<QRadioButton>("OptWatchdogSwitchOff");
        delay->selectAll(); // typed over, as an operator does
        QTest::keyClicks(delay, "x");
        QVERIFY(delay->text() == "0" && !switchOff->isChecked() && delay->isEnabled());
        delay->selectAll();
        QTest::keyClicks(delay, "61");
        QVERIFY(delay->text() == "61" && switchOff->isChecked() && !delay->isEnabled());
        console.click("cmdApply");
        QCOMPARE(received(console.pty, 16), of({{10, 200}, {16, 60}}).toHex(' '));

        grid->setCurrentRow(1);
        emit console.find<TimelineStrip>("stripIntensityGrid")->entryClicked(2); // the last band
        QCOMPARE(grid->currentRow(), 2);
        // A level name the lists do not hold (a file made elsewhere) leaves the level alone.
        console.folder.write("odd.int",
                             "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n2,\"\t07:00\tBogus\t1\"\r\n");
        QVERIFY(console.window->dailyIntensity().OpenIntensityFile("odd.int"));
        const int level = autoLevel->currentIndex();
        grid->setCurrentRow(1, 1);
        emit grid->gridClicked();
        QCOMPARE(autoLevel->currentIndex(), level);
    }

    void stripDrawsNowAndBoundaries()
    {
        TimelineStrip strip(TimelineStrip::Span::Day);
        strip.resize(482, strip.sizeHint().height());
        const QDateTime start(QDate(2026, 3, 1), QTime(12, 0));
        strip.setBands(start, {{start, start.addSecs(6 * 3600), 1, "A.pav", "", -1},
                               {start.addSecs(6 * 3600), start.addDays(1), 2, "B.pav", "", -1}});
        QImage image(strip.size(), QImage::Format_RGB32);
        strip.render(&image);
        const int y = 4, boundary = strip.xOf(start.addSecs(6 * 3600));
        QCOMPARE(boundary, 1 + 120); // a quarter of the day along the band area
        QCOMPARE(image.pixelColor(2, y), strip.palette().color(QPalette::Highlight)); // now
        const QColor before = image.pixelColor(boundary - 3, y), after = image.pixelColor(boundary + 3, y);
        QVERIFY(before != after);
        QCOMPARE(image.pixelColor(boundary - 30, y), before); // one band, one colour
        QCOMPARE(image.pixelColor(boundary + 30, y), after);
        QSignalSpy clicked(&strip, &TimelineStrip::entryClicked); // the boundary is the later band's
        QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint(boundary, y));
        QCOMPARE(clicked.value(0).value(0), QVariant(2));
    }
};

QTEST_MAIN(TestSchedulePages)
#include "tst_schedulepages.moc"
