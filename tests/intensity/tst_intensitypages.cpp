#include "DailyIntensity.h"
#include "IntensityPage.h"
#include "TableGrid.h"
#include "TestClock.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

namespace {
using Sent = QList<std::pair<int, int>>; // {command, value}

// The Intensity page over its setting, started up on a setting.int the test writes.
struct Page {
    QTemporaryDir dir;
    TestClock clock;
    ConsoleState state;
    Sent sent, startUpSent;
    DailyIntensity intensity{state, WorkingFolder(dir.path()), clock,
                             [this](int command, int value) {
                                 sent.append({command, value});
                                 return QString();
                             }};
    IntensityPage page{intensity, state, clock};

    explicit Page(const QByteArray &settingInt)
    {
        QFile file(dir.filePath("setting.int"));
        file.open(QIODevice::WriteOnly);
        file.write(settingInt);
        file.close();
        intensity.setConfiguration({"Low", "Mid", "High"}, true);
        page.startUp();
        startUpSent = sent;
        sent.clear();
    }
    template <typename T = QPushButton>
    T *find(const char *name) const
    {
        T *control = page.findChild<T *>(name);
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QStringList column(int c) const
    {
        QStringList cells;
        const QAbstractItemModel *model = find<TableGrid>("MSFlexGridIntensity")->model();
        for (int r = 0; r < model->rowCount(); ++r)
            cells.append(model->index(r, c).data().toString());
        return cells;
    }
};

const QByteArray OneEntry = "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n2,\"\t06:00\tHigh\t2\"\r\n";
} // namespace

// The Intensity page by control name: the editor, Delete Row of the last entry, Apply and
// the delay box.
class TestIntensityPages : public QObject {
    Q_OBJECT
private slots:
    void startUpSendsTheLevelAndOneWatchdog()
    {
        Page page(OneEntry);
        QCOMPARE(page.startUpSent, Sent({{10, 2}, {16, 5}}));
        QVERIFY(page.find<QRadioButton>("optAutomatic")->isChecked());
        QCOMPARE(page.find<QComboBox>("cboManualIntensity")->currentIndex(), 0);
        QCOMPARE(page.find<QComboBox>("cboAutoIntensity")->currentIndex(), 1);
        QCOMPARE(page.find<QRadioButton>("optAutomatic")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(page.find<QLineEdit>("txtIntFilename")->text(), " Filename - " + page.dir.filePath("setting.int"));
        // The entry in force is marked beside its first cell, which stays empty as stored.
        const QModelIndex first = page.find<TableGrid>("MSFlexGridIntensity")->model()->index(0, 0);
        QCOMPARE(first.data().toString(), QString());
        QVERIFY(!first.data(Qt::DecorationRole).isNull());
    }

    void addAndClickUseTheEditor()
    {
        Page page(OneEntry);
        page.find<QTimeEdit>("DTPickerIntensity")->setTime(QTime(5, 15));
        page.find<QComboBox>("cboAutoIntensity")->setCurrentIndex(0);
        page.find("cmdAddIntTime")->click();
        QCOMPARE(page.column(1), QStringList({"05:15", "06:00"}));
        QCOMPARE(page.column(3), QStringList({"0", "2"}));
        auto *grid = page.find<TableGrid>("MSFlexGridIntensity");
        grid->setCurrentRow(2, 2);
        emit grid->gridClicked();
        QCOMPARE(page.find<QTimeEdit>("DTPickerIntensity")->time(), QTime(6, 0));
        QCOMPARE(page.find<QComboBox>("cboAutoIntensity")->currentText(), QString("High"));
        QVERIFY(page.find("cmdMdyIntTime")->isEnabled());
    }

    void deleteRowOfTheOnlyEntry()
    {
        Page page(OneEntry);
        page.state.IntFilename = "setting.int";
        auto *timer = page.intensity.findChild<QTimer *>("TimerIntensity");
        QVERIFY(timer && timer->isActive());
        page.find<TableGrid>("MSFlexGridIntensity")->setCurrentRow(1);
        page.find("cmdDeleteRowInt")->click();
        QCOMPARE(page.column(1), QStringList());
        QVERIFY(page.find<QRadioButton>("optManual")->isChecked());
        QCOMPARE(page.sent, Sent({{10, 0}})); // the manual level, at once
        QVERIFY(!page.find("cmdMdyIntTime")->isEnabled());
        QVERIFY(page.state.IntFilename.isEmpty());
        QVERIFY(!timer->isActive());
        QCOMPARE(page.intensity.runner().IntensityTableSize(), 2); // refreshed by Apply only
    }

    void applyInAutomaticWithAnEmptyTableSendsNothing()
    {
        Page page("2,\"Manual\"\r\n\"5\",\"Automatic\"\r\n");
        QVERIFY(page.find("cmdApply")->isEnabled());
        page.find<QRadioButton>("optAutomatic")->click();
        QVERIFY(!page.find("cmdApply")->isEnabled());
        page.intensity.apply(); // as if the button were pressed all the same
        QCOMPARE(page.sent, Sent());
    }

    void delayBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("switchOff");
        QTest::addColumn<int>("sent"); // by Apply
        QTest::newRow("61") << "61" << "61" << true << 60;
        QTest::newRow("60") << "60" << "60" << false << 60;
        QTest::newRow("a letter") << "x" << "0" << false << 0;
    }
    void delayBox()
    {
        QFETCH(QString, typed);
        QFETCH(bool, switchOff);
        Page page(OneEntry);
        auto *delay = page.find<QLineEdit>("TxtWatchdogDelay");
        delay->selectAll(); // typed over, as an operator does
        QTest::keyClicks(delay, typed);
        QTEST(delay->text(), "shown");
        QCOMPARE(page.find<QRadioButton>("OptWatchdogSwitchOff")->isChecked(), switchOff);
        QCOMPARE(delay->isEnabled(), !switchOff);
        page.find("cmdApply")->click();
        QFETCH(int, sent);
        QCOMPARE(page.sent.last(), std::pair(16, sent));
    }
};

QTEST_MAIN(TestIntensityPages)
#include "tst_intensitypages.moc"
