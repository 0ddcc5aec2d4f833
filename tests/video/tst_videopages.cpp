#include "ConsoleWindow.h"
#include "Frames.h"
#include "MessageQueue.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

using namespace Frames;
const QByteArray ModeVideo = of({{1, 1}});

// A console window whose default.pav is Changed.
struct Console : ConsoleWindow {
    void start(const QList<int> &pages)
    {
        folder.write("default.pav", Changed);
        ConsoleWindow::start(pages);
    }
    // Clicks a button; a file dialog it brings up is answered with 'file' from inside its own
    // event loop. Returns the name of that dialog, if one came up.
    QString click(const QString &button, const QString &file)
    {
        QString dialog;
        QObject answer; // no answer is left waiting once the click is over
        QTimer::singleShot(0, &answer, [&] {
            if (auto *shown = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                dialog = shown->objectName();
                if (QWidget *focus = shown->focusWidget())
                    focus->clearFocus(); // selectFile() leaves a focused name box alone
                shown->selectFile(folder.file(file));
                static_cast<QDialog *>(shown)->accept(); // public there; still the file dialog's own checks
            }
        });
        ConsoleWindow::click(button);
        return dialog;
    }
    using ConsoleWindow::click;
};

} // namespace

// The video and register pages inside a console window, driven by control name, with the
// frames read on a pseudo-terminal and the files on disk.
class TestVideoPages : public QObject {
    Q_OBJECT
private slots:
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
        Console console;
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

    void aModeChosenInEitherGroupIsShownInBoth_data()
    {
        QTest::addColumn<QString>("first");  // the group chosen in first
        QTest::addColumn<QString>("second"); // the other one
        QTest::newRow("register page first") << QString("optOperationModeN") << QString("optOperationMode");
        QTest::newRow("video page first") << QString("optOperationMode") << QString("optOperationModeN");
    }
    void aModeChosenInEitherGroupIsShownInBoth()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        Console console;
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
        QTest::addColumn<QByteArray>("frames"); // empty: a save, which sends nothing
        const QByteArray loaded = of({{2, 10}, {9, 2}}), no;
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
        QFETCH(QByteArray, frames);
        Console console;
        console.start({0, 1});
        // other.pav differs from default.pav in brightness and video source.
        const QByteArray other =
            QByteArray(Changed).replace("\"128\"", "\"10\"").replace("Svideo2", "Composite3");
        QDir().mkpath(console.folder.file("sub"));
        if (!frames.isEmpty())
            console.folder.write(file, other);
        auto marks = [&] { // of changes not saved, on either page
            return QStringLiteral("%1%2")
                .arg(!console.find("lblVideoUnsaved")->isHidden())
                .arg(!console.find("lblNVideoUnsaved")->isHidden());
        };
        QCOMPARE(marks(), QStringLiteral("00"));
        console.find<QSpinBox>("SbtnBrightness")->setValue(77);
        console.pty.read(1 << 16, 30); // what the spin sent
        QCOMPARE(marks(), QStringLiteral("11"));

        QTEST(console.click(button, file), "dialog");
        QCOMPARE(received(console.pty, frames.size()), frames.toHex(' '));
        QCOMPARE(console.folder.read(file),
                 frames.isEmpty() ? QByteArray(Changed).replace("\"128\"", "\"77\"") : other);
        if (file != "default.pav")
            QCOMPARE(console.folder.read("default.pav"), Changed);
        const QString shown = " Filename - " + (bare ? file : QDir::cleanPath(console.folder.file(file)));
        QCOMPARE(console.text("txtVideofilename"), shown);
        QCOMPARE(console.text("txtFilenameVideoN"), shown);
        QCOMPARE(marks(), QStringLiteral("00"));
    }
};

QTEST_MAIN(TestVideoPages)
#include "tst_videopages.moc"
