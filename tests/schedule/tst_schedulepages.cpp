#include "ConsoleFolder.h"
#include "ConsoleState.h"
#include "DailySchedule.h"
#include "MainWindow.h"
#include "ScheduleTask.h"
#include "TableGrid.h"
#include "TableModel.h"
#include "TestClock.h"
#include "TimelineStrip.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

namespace {
// A console window with the schedule pages in use, driven by control name.
struct Console {
    ConsoleFolder folder;
    TestClock clock;
    std::unique_ptr<MainWindow> window;

    explicit Console(
        const QList<int> &pages = {1, 2, 3},
        const QByteArray &schedule =
            "5,\"\t01:00\tA.pav\r\t02:00\tB.pav\r\t03:00\tC.pav\r\t04:00\tD.pav\"\r\n",
        const QByteArray &task = "3,\"\t15/01/2025\tjan.shd\t20250115\r\t03/03/2025\tmar.shd\t20250303\"\r\n")
    {
        folder.usePages(pages);
        folder.write("schedule.shd", schedule);
        folder.write("ScheduleTask.tsk", task);
        window = std::make_unique<MainWindow>(WorkingFolder(folder.sysPath()), nullptr, clock);
        window->startUp();
    }
    template <typename T = QWidget>
    T *find(const char *name) const
    {
        T *control = window->findChild<T *>(name);
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QStringList column(const char *grid, int column) const
    {
        QStringList cells;
        QAbstractItemModel *model = find<TableGrid>(grid)->model();
        for (int r = 0; r < model->rowCount(); ++r)
            cells.append(model->index(r, column).data().toString());
        return cells;
    }
    void clickRow(const char *grid, int row)
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
    // Clicks a button and answers the file dialog it brings up with 'file'; the dialog's
    // name, or an empty text when none came up.
    QString click(const char *button, const QString &file = QString())
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
        find<QPushButton>(button)->click();
        return dialog;
    }
};
} // namespace

// The schedule and schedule task pages by control name: the editors' rules and the file
// buttons, with the files on disk.
class TestSchedulePages : public QObject {
    Q_OBJECT
private slots:
    void addPlacesTheEntryByTimeAndFollowsTheFileBox()
    {
        Console console;
        QVERIFY(!console.find<QPushButton>("cmdAdd")->isEnabled());
        console.find<QTimeEdit>("DTPickerAstro")->setTime(QTime(2, 30));
        console.find<QLineEdit>("txtFileName")->setText("new.pav");
        QVERIFY(console.find<QPushButton>("cmdAdd")->isEnabled());
        console.find<TableGrid>("MSFlexGrid1")->setCurrentRow(4);
        console.click("cmdAdd");
        QCOMPARE(console.column("MSFlexGrid1", 1), QStringList({"01:00", "02:00", "02:30", "03:00", "04:00"}));
        QVERIFY(!console.find<QPushButton>("CmdModify")->isEnabled());
    }

    void modifyWithTheHeaderCurrentChangesNothing()
    {
        Console console;
        console.find<TableGrid>("MSFlexGrid1")->setCurrentRow(0);
        console.find<QTimeEdit>("DTPickerAstro")->setTime(QTime(9, 0));
        console.click("CmdModify");
        QCOMPARE(console.column("MSFlexGrid1", 1), QStringList({"01:00", "02:00", "03:00", "04:00"}));
    }

    void deleteRowOverASelection_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("otherEnd");
        QTest::newRow("downwards") << 2 << 3;
        QTest::newRow("upwards") << 3 << 2;
    }
    void deleteRowOverASelection()
    {
        QFETCH(int, current);
        QFETCH(int, otherEnd);
        Console console;
        auto *grid = console.find<TableGrid>("MSFlexGrid1");
        grid->setCurrentRow(otherEnd);
        grid->selectionModel()->setCurrentIndex(grid->model()->index(current - 1, 1),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        console.click("cmdDeleteRow");
        QCOMPARE(console.column("MSFlexGrid1", 1), QStringList({"01:00", "04:00"}));
    }

    void deletingEveryEntryWithTheRegisterPageClearsTheName()
    {
        Console console;
        auto *timer = console.find<QTimer>("TimerAstro");
        QVERIFY(timer->isActive());
        auto *grid = console.find<TableGrid>("MSFlexGrid1");
        grid->setCurrentRow(1);
        grid->selectionModel()->setCurrentIndex(grid->model()->index(3, 1),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        console.click("cmdDeleteRow");
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(console.window->state().IntSchFile, QString());
        QCOMPARE(console.find<QLineEdit>("txtScheduleFile")->text(), QString());
        QVERIFY(!timer->isActive());
    }

    void firstGridClickAfterBrowseIsIgnored_data()
    {
        QTest::addColumn<QString>("where"); // of the first click
        QTest::newRow("on an entry") << "entry";
        QTest::newRow("on the header row") << "header";
        QTest::newRow("below the last entry") << "below";
    }
    void firstGridClickAfterBrowseIsIgnored()
    {
        QFETCH(QString, where);
        Console console;
        console.folder.write("chosen.pav", "");
        QCOMPARE(console.click("cmdBrowse", "chosen.pav"), QString("CommonDialogAstro2"));
        QCOMPARE(console.find<QLineEdit>("txtFileName")->text(), QString("chosen.pav"));
        auto *grid = console.find<TableGrid>("MSFlexGrid1");
        if (where == "entry")
            console.clickRow("MSFlexGrid1", 2);
        else if (where == "header")
            QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(30, 5));
        else
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(30, grid->viewport()->height() - 3));
        QCOMPARE(console.find<QLineEdit>("txtFileName")->text(), QString("chosen.pav"));
        console.clickRow("MSFlexGrid1", 2);
        QCOMPARE(console.find<QLineEdit>("txtFileName")->text(), QString("B.pav"));
        QCOMPARE(console.find<QTimeEdit>("DTPickerAstro")->time(), QTime(2, 0));
        QVERIFY(!console.find<QPushButton>("CmdModify")->isEnabled());
    }

    void saveKeepsItsNameAfterSaveDefault()
    {
        Console console;
        QCOMPARE(console.click("cmdScheduleSaveAs", "mine.shd"), QString("CommonDialogAstro1"));
        QCOMPARE(console.find<QLineEdit>("txtScheduleFile")->text(), QString(" Filename - mine.shd"));
        console.click("cmdScheduleNew");
        QCOMPARE(console.click("cmdScheduleSave", "fresh.shd"), QString("CommonDialogAstro1")); // no name: Save As
        console.click("cmdScheduleSaveDefault");
        QCOMPARE(console.folder.read("schedule.shd"), QByteArray()); // the empty table's 0-byte file
        console.find<QLineEdit>("txtFileName")->setText("late.pav");
        console.click("cmdAdd");
        QCOMPARE(console.click("cmdScheduleSave"), QString());
        QCOMPARE(console.folder.read("fresh.shd"), QByteArray("2,\"\t00:00\tlate.pav\"\r\n"));
        QCOMPARE(console.folder.read("schedule.shd"), QByteArray());
    }

    // A name the file cannot store is refused where it is typed in, and the status line says why.
    void aNameTheFileCannotHoldIsRefusedAtAdd_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("add");
        QTest::addColumn<QString>("grid");
        QTest::newRow("schedule page") << "txtFileName"
                                       << "cmdAdd"
                                       << "MSFlexGrid1";
        QTest::newRow("schedule task page") << "txtSchedule"
                                            << "cmdSchTaskAdd"
                                            << "MSFlexGridSchedule";
    }
    void aNameTheFileCannotHoldIsRefusedAtAdd()
    {
        QFETCH(QString, box);
        QFETCH(QString, add);
        QFETCH(QString, grid);
        Console console;
        const QStringList before = console.column(qPrintable(grid), 1);
        console.find<QLineEdit>(qPrintable(box))->setText("say \"hello\".pav");
        console.click(qPrintable(add));
        QCOMPARE(console.column(qPrintable(grid), 1), before);
        const QString said = console.window->statusBar()->currentMessage();
        QVERIFY2(said.startsWith("The file name holds a double quote (\")") &&
                     said.endsWith("nothing was added."),
                 qPrintable(said));
    }

    // A name whose file does not exist is taken, said in the status line, and marked on the
    // grid and on the strip.
    void aNameWhoseFileIsMissingIsTakenAndMarked_data()
    {
        QTest::addColumn<QString>("picker");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("add");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("strip");
        QTest::addColumn<QString>("name");
        QTest::newRow("schedule page") << "DTPickerAstro"
                                       << "txtFileName"
                                       << "cmdAdd"
                                       << "MSFlexGrid1"
                                       << "stripSchedule"
                                       << "evenig.pav";
        QTest::newRow("schedule task page") << "DTPickerSchedule"
                                            << "txtSchedule"
                                            << "cmdSchTaskAdd"
                                            << "MSFlexGridSchedule"
                                            << "stripScheduleTask"
                                            << "evenig.shd";
        QTest::newRow("intensity task page") << "DTPickerIntSchedule"
                                             << "txtIntSchedule"
                                             << "cmdAddIntSchedule"
                                             << "MSFlexGridIntSchedule"
                                             << "stripIntensityTask"
                                             << "evenig.int";
    }
    void aNameWhoseFileIsMissingIsTakenAndMarked()
    {
        QFETCH(QString, picker);
        QFETCH(QString, grid);
        QFETCH(QString, name);
        Console console({1, 2, 3, 5});
        // Not in force now (12:00 on 01/03/2026), so no runner tries it during the test.
        console.find<QDateTimeEdit>(qPrintable(picker))
            ->setDateTime(QDateTime(QDate(2026, 6, 1), QTime(2, 30)));
        QFETCH(QString, box);
        console.find<QLineEdit>(qPrintable(box))->setText(name);
        QFETCH(QString, add);
        console.click(qPrintable(add));
        QCOMPARE(
            console.window->statusBar()->currentMessage(),
            name +
                " does not exist in the working folder; the entry was added and will fail when it comes due");
        const int row = console.column(qPrintable(grid), 2).indexOf(name);
        const QModelIndex cell = console.find<TableGrid>(qPrintable(grid))->model()->index(row, 2);
        QVERIFY(!cell.data(Qt::DecorationRole).isNull());
        QCOMPARE(cell.data(TableModel::MarkTipRole).toString(),
                 "Missing: " + name + " does not exist in the working folder");
        QFETCH(QString, strip);
        bool banded = false;
        for (const TimelineStrip::Band &band : console.find<TimelineStrip>(qPrintable(strip))->bands()) {
            if (band.entry == row + 1) {
                banded = true;
                QCOMPARE(band.mark, EntryMark::Missing);
                QVERIFY(band.tip.endsWith("Missing: " + name + " does not exist in the working folder"));
            }
        }
        QVERIFY(banded);
    }

    void aSwitchThatFailsIsMarked()
    {
        Console console; // the 04:00 entry, D.pav, is in force at 12:00; no setting file exists
        console.window->dailySchedule().tick();
        const QModelIndex cell = console.find<TableGrid>("MSFlexGrid1")->model()->index(3, 2);
        QCOMPARE(cell.data(TableModel::MarkTipRole).toString(),
                 QString("Failed: not loaded at 12:00: the file does not exist"));
        QCOMPARE(console.find<TimelineStrip>("stripSchedule")->bands().first().mark, EntryMark::Failed);
        QVERIFY(console.window->statusBar()->currentMessage().startsWith(
            "the 04:00 entry names " + console.folder.file("D.pav") + ", which could not be loaded"));
    }

    void checkFilesListsWhatIsMissing()
    {
        Console console({2, 3});
        console.folder.write("jan.shd", "2,\"\t06:00\tgone.pav\"\r\n");
        console.click("cmdSchTaskCheck");
        QCOMPARE(console.find<QListWidget>("lstCheckFiles")->count(), 1);
        QCOMPARE(console.find<QListWidget>("lstCheckFiles")->item(0)->text(),
                 QString("mar.shd: the file does not exist; needed 01/03/2026 to 28/02/2027"));
        console.folder.write("mar.shd", "2,\"\t06:00\tgone.pav\"\r\n");
        console.click("cmdSchTaskCheck");
        QCOMPARE(
            console.find<QListWidget>("lstCheckFiles")->item(0)->text(),
            QString("gone.pav (named in mar.shd): the file does not exist; needed 01/03/2026 to 28/02/2027"));
    }

    // A damaged schedule.shd is said where its name is shown; Save then keeps it as .bak.
    void aRefusedFileIsSaidAndKeptOnSave()
    {
        const QByteArray damaged = "5,\"\t06:00\tA.pav\"\r\n";
        Console console({2, 3}, damaged, damaged);
        const QString shown = console.find<QLineEdit>("txtScheduleFile")->text();
        QCOMPARE(shown,
                 "schedule.shd could not be read: the row count says 4 entries, the table text holds 1; "
                 "nothing of it is in use");
        QVERIFY(console.find<QLabel>("lblSchTaskRefused")
                    ->text()
                    .startsWith("ScheduleTask.tsk could not be read: "));
        console.click("cmdScheduleSave");
        QCOMPARE(console.folder.read("schedule.shd.bak"), damaged);
        QCOMPARE(console.folder.read("schedule.shd"), QByteArray());
        QVERIFY(console.window->statusBar()->currentMessage().contains(
            "kept as " + console.folder.file("schedule.shd.bak")));
        QCOMPARE(console.find<QLineEdit>("txtScheduleFile")->text(),
                 " Filename - " + console.folder.file("schedule.shd"));
    }

    void taskEditor()
    {
        Console console;
        auto *date = console.find<QDateEdit>("DTPickerSchedule");
        QCOMPARE(date->date(), QDate(2026, 3, 1)); // today, at start-up
        date->setDate(QDate(2025, 2, 1));
        console.find<QLineEdit>("txtSchedule")->setText("feb.shd");
        console.click("cmdSchTaskAdd");
        QCOMPARE(console.column("MSFlexGridSchedule", 1), QStringList({"15/01/2025", "01/02/2025", "03/03/2025"}));
        QCOMPARE(console.column("MSFlexGridSchedule", 3), QStringList({"20250115", "20250201", "20250303"}));

        console.clickRow("MSFlexGridSchedule", 3);
        QCOMPARE(date->date(), QDate(2025, 3, 3));
        QCOMPARE(console.find<QLineEdit>("txtSchedule")->text(), QString("mar.shd"));
        QVERIFY(!console.find<QPushButton>("cmdSchTaskModify")->isEnabled());

        console.click("cmdSchTaskSave");
        QCOMPARE(console.folder.read("ScheduleTask.tsk"),
                 QByteArray("4,\"\t15/01/2025\tjan.shd\t20250115\r\t01/02/2025\tfeb.shd\t20250201\r"
                            "\t03/03/2025\tmar.shd\t20250303\"\r\n"));
    }

    // An edit marks its page until Save; the level the next Add takes is no edit of the file.
    void unsavedMarkFromEditToSave_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("save");
        QTest::newRow("Schedule: Add") << "cmdAdd"
                                       << "lblScheduleUnsaved" << true << "cmdScheduleSave";
        QTest::newRow("Schedule: Del Row") << "cmdDeleteRow"
                                           << "lblScheduleUnsaved" << true << "cmdScheduleSave";
        QTest::newRow("SchTask: Modify") << "cmdSchTaskModify"
                                         << "lblSchTaskUnsaved" << true << "cmdSchTaskSave";
        QTest::newRow("IntTask: Add") << "cmdAddIntSchedule"
                                      << "lblIntTaskUnsaved" << true << "cmdIntScheduleSave";
        QTest::newRow("Intensity: Add") << "cmdAddIntTime"
                                        << "lblIntensityUnsaved" << true << "cmdIntSave";
        QTest::newRow("Intensity: the mode") << "optManual"
                                             << "lblIntensityUnsaved" << true << "cmdIntSave";
        QTest::newRow("Intensity: the watchdog delay") << "TxtWatchdogDelay"
                                                       << "lblIntensityUnsaved" << true << "cmdIntSave";
        QTest::newRow("Intensity: the level for the next Add")
            << "cboAutoIntensity"
            << "lblIntensityUnsaved" << false << "cmdIntSave";
    }
    void unsavedMarkFromEditToSave()
    {
        QFETCH(QString, edit);
        QFETCH(QString, mark);
        QFETCH(bool, marked);
        QFETCH(QString, save);
        Console console({2, 3, 4, 5});
        auto *shown = console.find<QLabel>(qPrintable(mark));
        QVERIFY(shown->isHidden());
        console.find<QLineEdit>("txtFileName")->setText("new.pav");
        console.find<QLineEdit>("txtIntSchedule")->setText("new.int");
        console.find<TableGrid>("MSFlexGrid1")->setCurrentRow(1);
        console.find<TableGrid>("MSFlexGridSchedule")->setCurrentRow(1);
        console.find<QDateEdit>("DTPickerSchedule")->setDate(QDate(2025, 2, 1));
        if (edit == "TxtWatchdogDelay")
            console.find<QLineEdit>("TxtWatchdogDelay")->setText("7");
        else if (edit == "cboAutoIntensity")
            console.find<QComboBox>("cboAutoIntensity")->setCurrentIndex(2);
        else
            console.find<QAbstractButton>(qPrintable(edit))->click();
        QCOMPARE(!shown->isHidden(), marked);
        QCOMPARE(console.click(qPrintable(save)), QString());
        QVERIFY(shown->isHidden());
    }

    void taskDeleteRow_data()
    {
        QTest::addColumn<int>("entries"); // left in the task before the click
        QTest::addColumn<int>("current"); // 0: the header
        QTest::addColumn<bool>("noEntryLeft");
        QTest::newRow("the last entry") << 1 << 1 << true;
        QTest::newRow("an empty table") << 0 << 0 << true;
        QTest::newRow("the header current among entries") << 2 << 0 << false;
    }
    void taskDeleteRow()
    {
        QFETCH(int, entries);
        QFETCH(int, current);
        QFETCH(bool, noEntryLeft);
        Console console({2, 3});
        if (entries < 2)
            console.window->scheduleTask().removeRows(entries + 1, 2);
        auto *timer = console.find<QTimer>("TimerScheduleTask");
        QCOMPARE(timer->isActive(), entries > 0);
        console.window->dailySchedule().clearTable();
        console.window->state().IntSchFile = "by hand.shd";
        console.find<QLineEdit>("txtSchedule")->setText("next.shd");
        auto *grid = console.find<TableGrid>("MSFlexGridSchedule");
        grid->setCurrentRow(current);
        console.click("cmdSchTaskDelRow");
        QCOMPARE(grid->model()->rowCount(), noEntryLeft ? 0 : 2);
        // No entry left: the default daily schedule, no daily file named, the runner stopped.
        QCOMPARE(console.window->dailySchedule().table().entryCount(), noEntryLeft ? 4 : 0);
        QCOMPARE(console.window->state().IntSchFile, noEntryLeft ? QString() : QString("by hand.shd"));
        QCOMPARE(console.find<QLineEdit>("txtSchedule")->text(), noEntryLeft ? QString() : QString("next.shd"));
        QCOMPARE(timer->isActive(), !noEntryLeft);
    }
};

QTEST_MAIN(TestSchedulePages)
#include "tst_schedulepages.moc"
