#include "ConsoleWindow.h"
#include "ElidedLabel.h"
#include "Frames.h"
#include "MessageQueue.h"
#include "PageTable.h"
#include "RegisterProgressLabel.h"
#include "StatusBox.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <unistd.h>

using namespace Frames;

namespace {

const QByteArray ModeVideo = of({{1, 1}});

// Clicks 'button'; 'answer' gets the modal dialog it brings up, from inside the dialog's own
// event loop. Returns that dialog's name, if one came up.
QString clickAnswering(ConsoleWindow &console, const QString &button,
                       const std::function<void(QWidget *)> &answer)
{
    QString dialog;
    QObject context; // no answer is left waiting once the click is over
    QTimer::singleShot(0, &context, [&] {
        if (QWidget *shown = QApplication::activeModalWidget()) {
            dialog = shown->objectName();
            answer(shown);
        }
    });
    console.click(button);
    return dialog;
}

// A console window whose default.pav is Changed; a file dialog is answered with 'file'.
struct VideoConsole : ConsoleWindow {
    VideoConsole() { folder.write("default.pav", Changed); }
    QString click(const QString &button, const QString &file)
    {
        return clickAnswering(*this, button, [&](QWidget *shown) {
            auto *files = qobject_cast<QFileDialog *>(shown);
            QVERIFY(files);
            if (QWidget *focus = files->focusWidget())
                focus->clearFocus(); // selectFile() leaves a focused name box alone
            files->selectFile(folder.file(file));
            static_cast<QDialog *>(files)->accept(); // still the file dialog's own checks
        });
    }
    using ConsoleWindow::click;
};

// What the console journals (on standard error) while 'run' runs.
QByteArray journalOf(const std::function<void()> &run)
{
    QTemporaryFile file;
    if (!file.open())
        qFatal("no temporary file for the journal");
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(file.handle(), STDERR_FILENO);
    run();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void everyCaptionIsWholeAtTheSmallestSizeAndTheTabSaysWhatItIs_data()
    {
        QTest::addColumn<QList<int>>("pages");
        for (int page = 0; page < 8; ++page)
            QTest::addRow("page %d alone", page) << QList<int>{page};
        QTest::newRow("every page") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7};
    }
    void everyCaptionIsWholeAtTheSmallestSizeAndTheTabSaysWhatItIs()
    {
        QFETCH(QList<int>, pages);
        ConsoleWindow console;
        MainWindow &window = console.start(pages);
        window.resize(1, 1); // as small as the window lets itself be made
        auto *tabs = window.findChild<QTabWidget *>("SSTab1");
        QStringList cut;
        // Each page's tooltip shows once the operator has gone to the page.
        for (int page = tabs->count() - 1; page >= 0; --page) {
            if (!tabs->isTabVisible(page))
                continue;
            tabs->setCurrentIndex(page);
            QApplication::processEvents();
            QCOMPARE(tabs->toolTip(), pageToolTip(page));
            for (QWidget *w : window.findChildren<QWidget *>()) {
                // A caption needs its whole text; a frame, room for its title.
                int needed = 0;
                if (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w))
                    needed = w->sizeHint().width();
                else if (qobject_cast<QGroupBox *>(w))
                    needed = w->minimumSizeHint().width();
                else if (w->objectName().startsWith("txt") &&
                         w->parentWidget()->objectName() == "fraVideoSetting")
                    needed = w->fontMetrics().horizontalAdvance("255 (100%)"); // a value's display
                if (w->isVisible() && w->width() < needed)
                    cut << QStringLiteral("%1 on page %2").arg(w->objectName()).arg(page);
            }
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(", ")));
    }

    void stripAndTrayShowWhatIsInForce_data()
    {
        QTest::addColumn<bool>("portThere");
        QTest::newRow("port open") << true;
        QTest::newRow("port missing: the tray's warning mark") << false;
    }
    void stripAndTrayShowWhatIsInForce()
    {
        QFETCH(bool, portThere);
        ConsoleWindow console;
        if (!portThere)
            console.folder.write("ComPorts.txt", "1,\"ttyGone\"\r\n");
        console.folder.write("schedule.shd", "3,\"\t00:00\tdefault.pav\r\t23:59\tdefault.pav\"\r\n");
        console.folder.write(
            "setting.int",
            "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n3,\"\t00:00\tLow\t0\r\t23:59\tHigh\t2\"\r\n");
        MainWindow &window = console.start({0, 2, 4});
        auto text = [&](const char *name) {
            auto *label = window.findChild<ElidedLabel *>(name);
            return label && label->isVisible() ? label->fullText() : QString();
        };
        const QString port = portThere ? "Port: Com 1 open (" + console.pty.slavePath() + ")"
                                       : "Port: Com 1 missing (" + console.folder.file("ttyGone") + ")";
        QTRY_COMPARE(text("lblPortNow"), port);
        QTRY_VERIFY(text("lblSettingNow").startsWith("Setting: default.pav since "));
        QTRY_VERIFY(text("lblNextSwitch").startsWith("Next: Schedule "));
        const QRegularExpression daily(
            "; Intensity (tomorrow )?\\d\\d:\\d\\d (Low|High)$"); // by the time of day
        QTRY_VERIFY2(daily.match(text("lblNextSwitch")).hasMatch(), qPrintable(text("lblNextSwitch")));
        QCOMPARE(text("lblRemoteNow"), QString()); // a page not in use has no part
        QTRY_VERIFY(
            window.trayIcon().toolTip().startsWith("PAV Control\n" + port + "\nSetting: default.pav"));
        QCOMPARE(window.trayIcon().showsWarning(), !portThere);
        if (!portThere)
            return;
        // What the controller sends shows in the box and, its end, in the strip; Clear empties the box.
        auto *status = console.find<StatusBox>("txtStatus");
        QVERIFY(console.pty.write("OK\r"));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("OK[0D]"), 10000);
        QTRY_VERIFY(text("lblLastReply").endsWith(" OK[0D]"));
        console.click("cmdClear");
        QCOMPARE(status->text(), QString());
    }

    void portDialogStoresOnlyOnOk()
    {
        ConsoleWindow console;
        const QByteArray stored = "11\r\n7\r\n3\r\n1\r\n1\r\n"; // Com 12 (missing), 115200, 7, Even, 2
        console.folder.write("ComPorts.txt",
                             "1,\"" + console.pty.slavePath().toLocal8Bit() + "\"\r\n12,\"ttyGone\"\r\n");
        console.folder.write("comset.prt", stored);
        console.start({});
        // Presses Default, then 'button', in the port dialog.
        auto answer = [&](const char *button) {
            return clickAnswering(console, "cmdPort", [&](QWidget *shown) {
                shown->findChild<QPushButton *>("Default")->click();
                shown->findChild<QPushButton *>(button)->click();
            });
        };

        QCOMPARE(answer("Cancel"), QStringLiteral("PortSetting"));
        QCOMPARE(console.folder.read("comset.prt"), stored);
        QVERIFY(!console.window->serialLink().isOpen());
        QCOMPARE(answer("OK"), QStringLiteral("PortSetting"));
        QCOMPARE(console.folder.read("comset.prt"), QByteArray("0\r\n3\r\n4\r\n0\r\n0\r\n"));
        QVERIFY(console.window->serialLink().isOpen());
        const termios tio = console.pty.attributes();
        QCOMPARE(::cfgetospeed(&tio), speed_t(B9600));
    }

    // Exit asks once while pages hold changes not saved, without holding the console up; the
    // ways that do not come from the operator never ask but journal what was lost. The close
    // box does not end the console at all.
    void unsavedChangesAtTheEnd_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<QString>("journalled"); // empty: nothing to look for
        QTest::newRow("Exit, Cancel: the console runs on, nothing written") << "Cancel" << false << "";
        QTest::newRow("Exit, Exit Anyway")
            << "Exit Anyway" << true << "the changes not saved on the pages Schedule, IntTask are lost";
        QTest::newRow("saved after a Cancel: a second Exit does not ask") << "saved" << true << "";
        QTest::newRow("saved, but HostName.txt cannot be replaced: the console stays")
            << "blocked" << false << "";
        QTest::newRow("SIGTERM does not ask")
            << "SIGTERM" << true
            << "the console ends (SIGTERM); the changes not saved on the pages Schedule, IntTask are lost";
        QTest::newRow("a remote refresh replaces them")
            << "refresh" << false << "it replaced the changes not saved on the pages Schedule, IntTask";
        QTest::newRow("the close box: into the tray, nothing asked") << "close" << false << "";
    }
    void unsavedChangesAtTheEnd()
    {
        QFETCH(QString, how);
        QFETCH(bool, ends);
        QFETCH(QString, journalled);
        ConsoleWindow console;
        QVERIFY(how != "blocked" || QDir(console.folder.sysPath()).mkdir("HostName.txt"));
        console.folder.write("schedule.shd", "2,\"\t06:00\tA.pav\"\r\n");
        console.folder.write("IntensityTask.tsk", "2,\"\t01/01/2025\tsetting.int\t20250101\"\r\n");
        MainWindow &window = console.start({2, 5});
        QSignalSpy ended(&window, &MainWindow::ended);
        console.find<QLineEdit>("txtFileName")->setText("B.pav");
        console.click("cmdAdd");
        console.find<QLineEdit>("txtIntSchedule")->setText("B.int");
        console.click("cmdAddIntSchedule");
        auto question = [&] { return window.findChild<QMessageBox *>("exitQuestion"); };

        const QByteArray journal = journalOf([&] {
            if (how == "close") {
                QVERIFY(!window.close());
            } else if (how == "SIGTERM") {
                window.shutDown("SIGTERM");
            } else if (how == "refresh") {
                window.refreshPages("192.0.2.7");
            } else {
                console.click("cmdExit"); // returns at once: the question waits on its own
                console.click("cmdExit");
                QTRY_VERIFY(question() && question()->isVisible());
                QCOMPARE(window.findChildren<QMessageBox *>("exitQuestion").size(), 1); // asked once
                QVERIFY(question()->text().contains("Schedule, IntTask"));
                QVERIFY(window.findChild<QTimer *>("TimerAstro")->isActive());
                question()
                    ->findChild<QPushButton *>(how == "Exit Anyway" ? "cmdExitAnyway" : "cmdExitCancel")
                    ->click();
                if (how == "saved" || how == "blocked") {
                    console.click("cmdScheduleSave");
                    console.click("cmdIntScheduleSave");
                    console.click("cmdExit");
                }
            }
            QCoreApplication::processEvents();
        });
        QVERIFY(!question() || !question()->isVisible());
        QCOMPARE(ended.count(), ends ? 1 : 0);
        QCOMPARE(QFileInfo(console.folder.file("HostName.txt")).isFile(),
                 how == "Exit Anyway" || how == "saved");
        QVERIFY2(journal.contains(journalled.toUtf8()), journal.constData());
        if (how == "saved")
            QVERIFY2(!journal.contains("not saved"), journal.constData());
        if (how != "close")
            return;
        // Without a tray the window is minimised, so that it stays reachable.
        QTRY_VERIFY(TrayIcon::desktopHasTray() ? !window.isVisible()
                                               : window.isVisible() && window.isMinimized());
        window.bringToFront(); // a tray click or a second start
        QTRY_VERIFY(window.isVisible() && !window.isMinimized());
    }

    void onlyAClickOnTheTrayIconBringsTheWindowBack()
    {
        TrayIcon tray{QIcon(), QIcon()};
        QSignalSpy restore(&tray, &TrayIcon::restoreRequested);
        for (auto reason : {QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown,
                            QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick})
            emit tray.findChild<QSystemTrayIcon *>()->activated(reason);
        QCOMPARE(restore.count(), 2);
    }

    void registerProgressIsShownAFewTimesASecond()
    {
        RegisterProgressLabel label;
        label.showProgress(1, 10);
        label.showProgress(2, 10); // within a tenth of a second of the last: kept back
        QCOMPARE(label.text(), QString("Sending VGA registers: entry 1 of 10"));
        QTest::qWait(120);
        label.showProgress(3, 10);
        QCOMPARE(label.text(), QString("Sending VGA registers: entry 3 of 10"));
        label.showProgress(10, 10);
        QVERIFY(label.text().isEmpty());
    }

    void messagesComeOneAfterAnotherWithoutDuplicates()
    {
        ConsoleWindow console;
        MessageQueue &queue = console.start({}).messages();
        for (const char *text : {"A", "A", "B", "B", "C", "A"})
            queue.post(QString::fromLatin1(text)); // returns at once: nothing waits for the operator
        QCOMPARE(queue.waiting(), 2); // B and C behind A; a text shown or waiting is not queued again
        queue.withdraw("X");          // a text neither shown nor waiting takes nothing away
        for (const char *text : {"A", "B", "C"}) {
            QTRY_VERIFY(queue.current() && queue.current()->isVisible());
            QCOMPARE(queue.current()->text(), QString::fromLatin1(text));
            queue.current()->button(QMessageBox::Ok)->click();
        }
        QTRY_VERIFY(!queue.current());
    }

    // The video and register pages, with the frames read on a pseudo-terminal and the files on disk.
    void startUpRetransmitAndReturnOfTheDevice_data()
    {
        QTest::addColumn<QList<int>>("pages");
        QTest::addColumn<QByteArray>("startUp");
        QTest::addColumn<QByteArray>("retransmit"); // also what the device gets when it is back
        const QByteArray loaded = Pictures + ModeVideo + Options, vga = registers(1, 2, 3);
        const QByteArray nine = ModeVideo + Pictures + Options;
        // The register page's load changes only the mode again; each page sends the registers.
        QTest::newRow("both pages") << QList<int>{0, 1} << loaded + ModeVideo + vga + vga << nine + ModeVideo;
        // A client's Retransmit is disabled, and the device's return sends nothing either.
        QTest::newRow("video page of a client") << QList<int>{0, 6} << loaded + vga << QByteArray();
    }
    void startUpRetransmitAndReturnOfTheDevice()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QByteArray, startUp);
        QFETCH(QByteArray, retransmit);
        VideoConsole console;
        const QString device = console.folder.root() + "/ttyKVR";
        QVERIFY(QFile::link(console.pty.slavePath(), device));
        console.folder.write("ComPorts.txt", "1,\"" + device.toLocal8Bit() + "\"\r\n");
        console.folder.write("VGAReg.cfg", "0\r\n1,2,3\r\n");
        console.start(pages);
        QCOMPARE(received(console.pty, startUp.size()), startUp.toHex(' '));
        QSignalSpy posted(&console.window->messages(), &MessageQueue::posted);
        auto lost = [&] {
            return std::count_if(posted.cbegin(), posted.cend(), [](const QList<QVariant> &m) {
                return m.first().toString().contains("is gone");
            });
        };

        console.click("cmdRetransmit");
        QCOMPARE(received(console.pty, retransmit.size()), retransmit.toHex(' '));

        console.window->serialLink().setRetryInterval(200);
        console.pty.closeMaster(); // pulled out, and back under the same name
        QTRY_VERIFY_WITH_TIMEOUT(console.window->serialLink().isLost(), 5000);
        PtyPair fresh;
        QVERIFY(QFile::remove(device) && QFile::link(fresh.slavePath(), device));
        QTRY_VERIFY_WITH_TIMEOUT(console.window->serialLink().isOpen(), 5000);
        QCOMPARE(received(fresh, retransmit.size()), retransmit.toHex(' '));
        QCOMPARE(lost(), 1); // said once, though it was tried again and again
        // The box that said it was gone is gone too.
        const QMessageBox *box = console.window->messages().current();
        QVERIFY(!box || !box->text().contains("is gone"));
        fresh.closeMaster(); // watched again: a new loss is said once more
        QTRY_COMPARE_WITH_TIMEOUT(lost(), 2, 5000);
    }

    // Each group is clicked in turn, so one run covers both ways.
    void aModeChosenInEitherGroupIsShownInBoth()
    {
        const QString first = "optOperationModeN", second = "optOperationMode"; // register, video
        VideoConsole console;
        console.start({0, 1});
        console.pty.read(1 << 16, 300); // start-up's frames
        auto option = [&](const QString &group, int i) {
            return console.find<QRadioButton>(group + "_" + QString::number(i));
        };
        option(first, 0)->click(); // PC, from Video
        QVERIFY(option(second, 0)->isChecked());
        QCOMPARE(received(console.pty, 8), of({{1, 0}}).toHex(' ')); // one frame, not two
        option(second, 2)->click();                                  // Both, from the mode it shows
        QVERIFY(option(first, 2)->isChecked());
        option(second, 0)->click(); // back to PC: sent, as the controller has Both
        QCOMPARE(received(console.pty, 16), of({{1, 2}, {1, 0}}).toHex(' '));
    }

    // A file chosen inside the working folder is stored by its bare name, so it travels with the
    // folder; one chosen elsewhere, or a default, by its full path. Either way the mark of
    // unsaved changes goes.
    void fileButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("dialog"); // empty: none may come up
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("bare");
        QTest::addColumn<bool>("load"); // else a save; what a load sends is checked with VideoControl
        const bool loaded = true, no = false;
        const QString d1 = "CommonDialog1", none;
        QTest::newRow("Load") << "cmdOpen" << d1 << "other.pav" << true << loaded;
        QTest::newRow("Load from a folder in the working folder")
            << "cmdOpen" << d1 << "sub/other.pav" << true << loaded;
        QTest::newRow("Load from outside the working folder")
            << "cmdOpen" << d1 << "../other.pav" << false << loaded;
        QTest::newRow("register page Load") << "cmdLoadNVideo"
                                            << "CommonDialogNVideo"
                                            << "other.pav" << true << loaded;
        QTest::newRow("Save right after start-up") << "cmdSave" << none << "default.pav" << false << no;
        QTest::newRow("Save As") << "cmdSaveAs" << d1 << "chosen.pav" << true << no;
        QTest::newRow("Save As, the name typed without .pav") << "cmdSaveAs" << d1 << "chosen" << true << no;
        QTest::newRow("Save As outside the working folder")
            << "cmdSaveAs" << d1 << "../chosen.pav" << false << no;
        QTest::newRow("Save Default") << "cmdSaveDefault" << none << "default.pav" << false << no;
        QTest::newRow("register page Save Default")
            << "cmdSaveDefaultNvideo" << none << "default.pav" << false << no;
    }
    void fileButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(bool, bare);
        QFETCH(bool, load);
        VideoConsole console;
        console.start({0, 1});
        // other.pav differs from default.pav in brightness and video source.
        const QByteArray other =
            QByteArray(Changed).replace("\"128\"", "\"10\"").replace("Svideo2", "Composite3");
        QDir().mkpath(console.folder.file("sub"));
        if (load)
            console.folder.write(file, other);
        auto marks = [&] { // of changes not saved: 1 on the video page, 2 on the register page
            return !console.find("lblVideoUnsaved")->isHidden() +
                   2 * !console.find("lblNVideoUnsaved")->isHidden();
        };
        QCOMPARE(marks(), 0);
        console.find<QSpinBox>("SbtnBrightness")->setValue(77);
        console.pty.read(1 << 16, 30); // what the spin sent
        QCOMPARE(marks(), 3);

        QTEST(console.click(button, file), "dialog");
        file += QFileInfo(file).suffix().isEmpty() ? ".pav" : ""; // the dialog adds it
        QCOMPARE(console.folder.read(file), load ? other : QByteArray(Changed).replace("\"128\"", "\"77\""));
        if (file != "default.pav")
            QCOMPARE(console.folder.read("default.pav"), Changed);
        const QString shown = " Filename - " + (bare ? file : QDir::cleanPath(console.folder.file(file)));
        QCOMPARE(console.text("txtVideofilename"), shown);
        QCOMPARE(console.text("txtFilenameVideoN"), shown);
        QCOMPARE(marks(), 0);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
