#include "ConsoleFolder.h"
#include "MainWindow.h"
#include "MessageQueue.h"
#include "PtyPair.h"
#include "SerialLink.h"
#include "StatusBox.h"
#include "TrayIcon.h"
#include "WorkingFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <termios.h>
#include <unistd.h>

namespace {

const QString InvalidComPort = QStringLiteral("Invalid com port, Open comm error");

std::unique_ptr<MainWindow> startConsole(const ConsoleFolder &folder)
{
    auto window = std::make_unique<MainWindow>(WorkingFolder(folder.sysPath()));
    window->startUp();
    return window;
}

template <typename T> T *control(QWidget &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}

QList<QMessageBox *> visibleBoxes(QWidget &window)
{
    QList<QMessageBox *> shown;
    for (QMessageBox *box : window.findChildren<QMessageBox *>()) {
        if (box->isVisible())
            shown << box;
    }
    return shown;
}

// Presses the window's Port Setting button and lets 'answer' work the modal dialog from
// inside its own event loop. The dialog is closed afterwards in any case, so a test that
// goes wrong does not hang in exec().
bool workPortDialog(MainWindow &window, const std::function<void(QDialog &)> &answer)
{
    bool answered = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *dialog = qobject_cast<QDialog *>(widget);
            if (dialog && dialog->objectName() == QLatin1String("PortSetting") && dialog->isVisible()) {
                poll.stop();
                answered = true;
                answer(*dialog);
                if (dialog->isVisible())
                    dialog->reject();
                return;
            }
        }
    });
    poll.start();
    control<QPushButton>(window, "cmdPort")->click();
    return answered;
}

void press(QDialog &dialog, const QString &button)
{
    dialog.findChild<QPushButton *>(button)->click();
}

QList<int> selections(QDialog &dialog)
{
    QList<int> positions;
    for (const char *name : {"cboPort", "cboBaudRate", "cboDataBits", "cboParity", "cboStopBits"})
        positions << dialog.findChild<QComboBox *>(QLatin1String(name))->currentIndex();
    return positions;
}

// What the operator reads for bytes from the controller: codes below 30 and above 127 as
// "[XX]", two upper-case hexadecimal digits, everything else as it is.
QString shownAs(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const int code = quint8(c);
        text += code < 30 || code > 127 ? QStringLiteral("[%1]").arg(code, 2, 16, QLatin1Char('0')).toUpper()
                                        : QString(QLatin1Char(c));
    }
    return text;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void tabToolTipFollowsCurrentPage_data();
    void tabToolTipFollowsCurrentPage();
    void receivedBytesShowWithMarkersAndClearKeepsBuffer_data();
    void receivedBytesShowWithMarkersAndClearKeepsBuffer();
    void portDialogStoresOnlyOnOk_data();
    void portDialogStoresOnlyOnOk();
    void exitWritesHostNameOrKeepsRunning_data();
    void exitWritesHostNameOrKeepsRunning();
    void closeBoxKeepsConsoleRunning();
    void messagesComeOneAfterAnotherWithoutDuplicates_data();
    void messagesComeOneAfterAnotherWithoutDuplicates();
    void rejectedPortBoxesComeInOrderWithTheirTitles();
};

void TestMainWindow::tabToolTipFollowsCurrentPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("0 Video") << 0 << "Operations Mode";
    QTest::newRow("1 NVideo") << 1 << "Operations Mode";
    QTest::newRow("2 Schedule") << 2 << "Daily Operations Mode Scheduler";
    QTest::newRow("3 SchTask") << 3 << "Yearly Operations Mode Scheduled Task";
    QTest::newRow("4 Intensity") << 4 << "Daily Intensity Setting";
    QTest::newRow("5 IntTask") << 5 << "Yearly Intensity Setting Scheduled Task";
    QTest::newRow("6 Client") << 6 << "Client";
    QTest::newRow("7 Server") << 7 << "Server";
}

void TestMainWindow::tabToolTipFollowsCurrentPage()
{
    QFETCH(int, page);
    QFETCH(QString, toolTip);

    ConsoleFolder folder;
    PtyPair pty;
    folder.useAsComPort(pty);
    folder.usePages({0, 1, 2, 3, 4, 5, 6, 7});
    auto window = startConsole(folder);
    auto *tabs = control<QTabWidget>(*window, "SSTab1");
    QVERIFY(tabs);

    // Come to the page from another one, as the operator would.
    tabs->setCurrentIndex(page == 7 ? 6 : 7);
    tabs->setCurrentIndex(page);
    QCOMPARE(tabs->currentIndex(), page);
    QCOMPARE(tabs->toolTip(), toolTip);
}

void TestMainWindow::receivedBytesShowWithMarkersAndClearKeepsBuffer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");

    QTest::newRow("answer with CR LF") << QByteArray("OK\r\n") << "OK[0D][0A]";
    QTest::newRow("29 marked; 30, 31 and 127 as they are; 128 marked")
        << QByteArray("\x1d\x1e\x1f\x7f\x80") << "[1D]\x1e\x1f\x7f[80]";
    QTest::newRow("zero byte and 255") << QByteArray("A\0B\xff", 4) << "A[00]B[FF]";
    QByteArray burst;
    for (int i = 0; i < 4096; ++i)
        burst += char(i * 7);
    QTest::newRow("4096 bytes in one burst, all in order") << burst << shownAs(burst);
}

void TestMainWindow::receivedBytesShowWithMarkersAndClearKeepsBuffer()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);

    ConsoleFolder folder;
    PtyPair pty;
    folder.useAsComPort(pty);
    folder.usePages({});
    auto window = startConsole(folder);
    QVERIFY(window->serialLink().isOpen());
    auto *status = control<StatusBox>(*window, "txtStatus");
    QVERIFY(status);

    QVERIFY(pty.write(bytes));
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), shown, 10000);

    control<QPushButton>(*window, "cmdClear")->click();
    QCOMPARE(status->text(), QString());

    // The next arrival shows the whole buffer again, not only itself.
    QVERIFY(pty.write("Z"));
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), shown + "Z", 10000);
}

void TestMainWindow::portDialogStoresOnlyOnOk_data()
{
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QByteArray>("comsetAfter");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QStringList>("messages");

    const QByteArray stored = "11\r\n7\r\n3\r\n1\r\n1\r\n"; // Com 12, 115200, 7, Even, 2
    QTest::newRow("Defaults then OK: stored and opened on Com 1")
        << QStringList{"Default", "OK"} << QByteArray("0\r\n3\r\n4\r\n0\r\n0\r\n") << true << QStringList();
    QTest::newRow("Defaults then Cancel: nothing changes")
        << QStringList{"Default", "Cancel"} << stored << false << QStringList();
    QTest::newRow("OK on a missing device: both messages, selection stored again")
        << QStringList{"OK"} << stored << false << QStringList{"Invalid Port Number", InvalidComPort};
}

void TestMainWindow::portDialogStoresOnlyOnOk()
{
    QFETCH(QStringList, buttons);
    QFETCH(QByteArray, comsetAfter);
    QFETCH(bool, opens);
    QFETCH(QStringList, messages);

    ConsoleFolder folder;
    PtyPair pty;
    folder.usePages({});
    folder.write("ComPorts.txt", "1,\"" + pty.slavePath().toLocal8Bit() + "\"\r\n12,\"ttyGone\"\r\n");
    folder.write("comset.prt", "11\r\n7\r\n3\r\n1\r\n1\r\n");
    auto window = startConsole(folder);
    QVERIFY(!window->serialLink().isOpen());
    QSignalSpy posted(&window->messages(), &MessageQueue::posted);

    const bool shown = workPortDialog(*window, [&](QDialog &dialog) {
        for (const QString &button : buttons)
            press(dialog, button);
    });
    QVERIFY(shown);

    QCOMPARE(folder.read("comset.prt"), comsetAfter);
    QCOMPARE(window->serialLink().isOpen(), opens);
    QStringList texts;
    for (const QList<QVariant> &arguments : posted)
        texts << arguments.at(0).toString();
    QCOMPARE(texts, messages);
    if (opens) {
        QCOMPARE(window->serialLink().devicePath(), pty.slavePath());
        const termios tio = pty.attributes();
        QCOMPARE(::cfgetospeed(&tio), speed_t(B9600));
    }

    // Opened again, the dialog shows what is stored, not what was abandoned.
    QList<int> reopened;
    QVERIFY(workPortDialog(*window, [&](QDialog &dialog) {
        reopened = selections(dialog);
        press(dialog, "Cancel");
    }));
    QList<int> expected;
    for (const QByteArray &line : comsetAfter.trimmed().split('\n'))
        expected << line.trimmed().toInt();
    QCOMPARE(reopened, expected);
    QCOMPARE(folder.read("comset.prt"), comsetAfter);
}

void TestMainWindow::exitWritesHostNameOrKeepsRunning_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<bool>("ends");

    QTest::newRow("no client page: an empty quoted name, then the end") << "" << true;
    QTest::newRow("HostName.txt cannot be replaced: console stays") << "folder in the way" << false;
    QTest::newRow("read-only working folder: console stays") << "read-only folder" << false;
}

void TestMainWindow::exitWritesHostNameOrKeepsRunning()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, ends);

    ConsoleFolder folder;
    PtyPair pty;
    folder.useAsComPort(pty);
    folder.usePages({});
    if (obstacle == "read-only folder") {
        if (::geteuid() == 0)
            QSKIP("permissions do not stop root from writing");
        QVERIFY(QFile::setPermissions(folder.sysPath(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    } else if (obstacle == "folder in the way") {
        QVERIFY(QDir(folder.sysPath()).mkdir("HostName.txt"));
    }
    auto window = startConsole(folder);
    QSignalSpy ended(window.get(), &MainWindow::ended);

    control<QPushButton>(*window, "cmdExit")->click();
    QCoreApplication::processEvents();

    QCOMPARE(ended.count(), ends ? 1 : 0);
    QCOMPARE(window->isVisible(), !ends);
    if (ends)
        QCOMPARE(folder.read("HostName.txt"), QByteArray("\"\"\r\n"));
    else if (obstacle == "folder in the way")
        QVERIFY(QFileInfo(folder.file("HostName.txt")).isDir());
    QFile::setPermissions(folder.sysPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestMainWindow::closeBoxKeepsConsoleRunning()
{
    ConsoleFolder folder;
    PtyPair pty;
    folder.useAsComPort(pty);
    folder.usePages({});
    auto window = startConsole(folder);
    QSignalSpy ended(window.get(), &MainWindow::ended);
    QVERIFY(window->isVisible());

    QVERIFY(!window->close());
    QCoreApplication::processEvents();
    QCOMPARE(ended.count(), 0);
    if (TrayIcon::desktopHasTray())
        QTRY_VERIFY(!window->isVisible());
    else // without a tray the window must stay reachable: it is minimised instead
        QTRY_VERIFY(window->isVisible() && window->isMinimized());
    QVERIFY(window->serialLink().isOpen());

    // The tray's Restore (or a second start) brings it back in its normal state.
    window->bringToFront();
    QTRY_VERIFY(window->isVisible() && !window->isMinimized());
    QCOMPARE(ended.count(), 0);
}

void TestMainWindow::messagesComeOneAfterAnotherWithoutDuplicates_data()
{
    QTest::addColumn<QStringList>("posted");
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("same text while it is shown: one box") << QStringList{"A", "A"} << QStringList{"A"};
    QTest::newRow("different text waits for the first") << QStringList{"A", "B"} << QStringList{"A", "B"};
    QTest::newRow("text already waiting is not queued twice")
        << QStringList{"A", "B", "B", "C"} << QStringList{"A", "B", "C"};
    QTest::newRow("shown text posted again behind another") << QStringList{"A", "B", "A"} << QStringList{"A", "B"};
}

void TestMainWindow::messagesComeOneAfterAnotherWithoutDuplicates()
{
    QFETCH(QStringList, posted);
    QFETCH(QStringList, boxes);

    ConsoleFolder folder;
    PtyPair pty;
    folder.useAsComPort(pty);
    folder.usePages({});
    auto window = startConsole(folder);
    MessageQueue &queue = window->messages();
    QVERIFY2(!queue.current(), "start-up left a message");

    for (const QString &text : posted)
        queue.post(text); // returns at once: nothing waits for the operator

    for (const QString &text : boxes) {
        QTRY_COMPARE(visibleBoxes(*window).size(), 1);
        QMessageBox *box = visibleBoxes(*window).first();
        QCOMPARE(box->text(), text);
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        box->button(QMessageBox::Ok)->click();
    }
    QTRY_VERIFY(visibleBoxes(*window).isEmpty());
    QVERIFY(!queue.current());
    QCOMPARE(queue.waiting(), 0);
}

void TestMainWindow::rejectedPortBoxesComeInOrderWithTheirTitles()
{
    QCoreApplication::setApplicationName(QStringLiteral("PAV Control")); // as the console does

    ConsoleFolder folder;
    folder.usePages({});
    folder.write("ComPorts.txt", "1,\"ttyGone\"\r\n");
    folder.write("comset.prt", "0\r\n3\r\n4\r\n0\r\n0\r\n");
    auto window = startConsole(folder); // returns with the boxes still to be answered
    QVERIFY(window->isVisible());

    struct Box {
        QString text;
        QString title;
        QMessageBox::Icon icon;
    };
    const Box expected[] = {
        {"Invalid Port Number", "PAV Control", QMessageBox::NoIcon},
        {InvalidComPort, "PAV Control", QMessageBox::NoIcon},
        {" Please Select Correct Comm Port !", "Open Comm Error", QMessageBox::Warning},
    };
    for (const Box &next : expected) {
        QTRY_COMPARE(visibleBoxes(*window).size(), 1);
        QMessageBox *box = visibleBoxes(*window).first();
        QCOMPARE(box->text(), next.text);
        QCOMPARE(box->windowTitle(), next.title);
        QCOMPARE(box->icon(), next.icon);
        QCOMPARE(box->buttons().size(), 1);
        box->button(QMessageBox::Ok)->click();
    }
    QTRY_VERIFY(visibleBoxes(*window).isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
