#include "ConsoleFolder.h"
#include "ConsoleProcess.h"
#include "Frames.h"
#include "MainWindow.h"
#include "VideoControl.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <memory>

using Frames::hex;

namespace {

const QByteArray Changed = "\"Video\"\r\n\"Bypassed\"\r\n\"Filter2\"\r\n\"On\"\r\n\"Svideo2\"\r\n"
                           "\"128\"\r\n\"64\"\r\n\"32\"\r\n\"200\"\r\n";
const QByteArray Pictures = Frames::many({{2, 0x80}, {3, 0x40}, {4, 0x20}, {5, 0xC8}});
const QByteArray Options = Frames::many({{6, 1}, {7, 3}, {8, 0}, {9, 5}});
const QByteArray ModeVideo = Frames::one(1, 1);
const QByteArray Registers = "0\r\n1,2,3\r\n";
const QByteArray RegisterFrame = Frames::registers(1, 2, 3);
const QByteArray Nothing;

// Answers the file dialog with the given control name once it is up: chooses 'file', or
// cancels when 'file' is empty; with no name it cancels any file dialog. Message boxes on the
// way are noted and closed (and the dialog then cancelled). The answers are queued, so that the
// watch goes on inside the boxes they may open.
class DialogAnswer : public QObject {
public:
    DialogAnswer(const QString &name, const QString &file)
        : m_name(name), m_file(name.isEmpty() ? QString() : file)
    {
        connect(&m_timer, &QTimer::timeout, this, &DialogAnswer::look);
        m_timer.start(20);
        QTimer::singleShot(10000, &m_timer, &QTimer::stop);
    }
    // The name of the dialog answered, or why the answer went wrong.
    QString seen() const { return boxes.isEmpty() ? m_seen : boxes.join(QStringLiteral(" | ")); }

private:
    void look()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            auto *dialog = qobject_cast<QFileDialog *>(widget);
            if (box && box->isVisible()) {
                boxes << box->text();
                QMetaObject::invokeMethod(box, &QDialog::reject, Qt::QueuedConnection);
            } else if (dialog && dialog->isVisible() && !boxes.isEmpty()) {
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            } else if (dialog && dialog->isVisible() && m_seen.isEmpty() &&
                       (m_name.isEmpty() || dialog->objectName() == m_name)) {
                m_seen = dialog->objectName();
                QMetaObject::invokeMethod(
                    dialog,
                    [dialog, file = m_file] {
                        if (file.isEmpty())
                            return dialog->reject();
                        if (QWidget *focus = dialog->focusWidget())
                            focus->clearFocus(); // selectFile() leaves a focused name box alone
                        dialog->selectFile(file);
                        static_cast<QDialog *>(dialog)->accept(); // with the file dialog's own checks
                    },
                    Qt::QueuedConnection);
            }
        }
    }

    QString m_name, m_file, m_seen;
    QStringList boxes;
    QTimer m_timer;
};

// An installation with the pseudo-terminal as its port (or a device path standing for it) and
// a console window started on it.
struct Console {
    PtyPair pty;
    ConsoleFolder folder;
    std::unique_ptr<MainWindow> window;

    bool start(const QList<int> &pages, const QByteArray &pav, const QByteArray &registers = Nothing,
               const QString &device = QString())
    {
        folder.useAsComPort(pty);
        if (!device.isEmpty())
            folder.write(QStringLiteral("ComPorts.txt"), "1,\"" + device.toLocal8Bit() + "\"\r\n");
        folder.usePages(pages);
        if (!pav.isNull())
            folder.write(QStringLiteral("default.pav"), pav);
        if (!registers.isNull())
            folder.write(QStringLiteral("VGAReg.cfg"), registers);
        window = std::make_unique<MainWindow>(WorkingFolder(folder.sysPath()));
        window->startUp();
        return window->serialLink().isOpen();
    }
    template <typename T> T *control(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    QString text(const char *name) const { return control<QLineEdit>(name)->text(); }
    void click(const char *name) const { control<QPushButton>(name)->click(); }
    QString shownName(const QString &file) const
    {
        return QStringLiteral(" Filename - ") + folder.file(file);
    }
};

} // namespace

// The video and register pages inside a real console window, driven by control name, with
// the frames read on a pseudo-terminal and the files on disk; and the built console's first
// start.
class TestVideoPages : public QObject {
    Q_OBJECT
private slots:
    void startUpLoadsAndSendsPerPage_data();
    void startUpLoadsAndSendsPerPage();
    void retransmitSendsEveryPageInUse_data();
    void retransmitSendsEveryPageInUse();
    void reopenedPortGetsEverythingAgain();
    void loadButtons_data();
    void loadButtons();
    void saveButtonsWriteTheirFile_data();
    void saveButtonsWriteTheirFile();
    void controlChangeSendsItsFrame_data();
    void controlChangeSendsItsFrame();
    void firstStartOfTheBuiltConsole_data();
    void firstStartOfTheBuiltConsole();
};

void TestVideoPages::startUpLoadsAndSendsPerPage_data()
{
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QByteArray>("frames");

    QTest::newRow("video page") << QList<int>{0} << Pictures + ModeVideo + Options + RegisterFrame;
    QTest::newRow("register page") << QList<int>{1} << Pictures + ModeVideo + RegisterFrame;
    QTest::newRow("both pages: second load changes nothing, registers twice")
        << QList<int>{0, 1} << Pictures + ModeVideo + Options + ModeVideo + RegisterFrame + RegisterFrame;
}

void TestVideoPages::startUpLoadsAndSendsPerPage()
{
    QFETCH(QList<int>, pages);
    QFETCH(QByteArray, frames);

    Console console;
    QVERIFY(console.start(pages, Changed, Registers));
    QCOMPARE(hex(Frames::received(console.pty, frames.size())), hex(frames));
    QCOMPARE(console.window->videoControl().CurPAVFileName,
             console.folder.file(QStringLiteral("default.pav")));
    if (pages.contains(0)) {
        QCOMPARE(console.text("txtVideofilename"), console.shownName(QStringLiteral("default.pav")));
        QCOMPARE(console.text("txtBrightness"), QStringLiteral("128 (50%)"));
        QVERIFY(console.control<QRadioButton>("optVideoSource_5")->isChecked());
    }
    if (pages.contains(1)) {
        QCOMPARE(console.text("txtFilenameVideoN"), console.shownName(QStringLiteral("default.pav")));
        QVERIFY(console.control<QRadioButton>("optOperationModeN_1")->isChecked());
    }
    QCOMPARE(console.folder.read(QStringLiteral("default.pav")), Changed);
}

void TestVideoPages::retransmitSendsEveryPageInUse_data()
{
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QByteArray>("frames");

    // Picture values from the display boxes, between the mode and the filters.
    const QByteArray nine = ModeVideo + Pictures + Options;
    QTest::newRow("video page: nine frames") << QList<int>{0} << nine;
    QTest::newRow("both pages: the mode once more") << QList<int>{0, 1} << nine + ModeVideo;
    QTest::newRow("register page: the mode alone") << QList<int>{1} << ModeVideo;
}

void TestVideoPages::retransmitSendsEveryPageInUse()
{
    QFETCH(QList<int>, pages);
    QFETCH(QByteArray, frames);

    Console console;
    QVERIFY(console.start(pages, Changed));
    Frames::drain(console.pty);
    console.click("cmdRetransmit");
    QCOMPARE(hex(Frames::received(console.pty, frames.size())), hex(frames));
}

void TestVideoPages::reopenedPortGetsEverythingAgain()
{
    Console console;
    const QString device = console.folder.root() + QStringLiteral("/ttyKVR");
    QVERIFY(QFile::link(console.pty.slavePath(), device));
    QVERIFY(console.start({0, 1}, Changed, Nothing, device));
    console.window->serialLink().setRetryInterval(200);

    // The adapter is pulled out and comes back under the same name.
    console.pty.closeMaster();
    QTRY_VERIFY_WITH_TIMEOUT(console.window->serialLink().isLost(), 5000);
    PtyPair fresh;
    QVERIFY(QFile::remove(device) && QFile::link(fresh.slavePath(), device));
    QTRY_VERIFY_WITH_TIMEOUT(console.window->serialLink().isOpen(), 5000);

    const QByteArray expected = ModeVideo + Pictures + Options + ModeVideo;
    QCOMPARE(hex(Frames::received(fresh, expected.size())), hex(expected));
}

void TestVideoPages::loadButtons_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("file"); // empty: Cancel
    QTest::addColumn<QByteArray>("frames");
    QTest::addColumn<QString>("status");

    QTest::newRow("video page: a file with two changes")
        << QByteArray("cmdOpen") << "CommonDialog1"
        << "other.pav" << Frames::many({{2, 10}, {9, 2}}) << "";
    QTest::newRow("video page: cancelled") << QByteArray("cmdOpen") << "CommonDialog1"
                                           << "" << Nothing << "";
    QTest::newRow("register page: a missing name is an ordinary failure")
        << QByteArray("cmdLoadNVideo") << "CommonDialogNVideo"
        << "nosuch.pav" << Nothing << "Error # 53 generated by Open Setting File: File not found";
}

void TestVideoPages::loadButtons()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, dialog);
    QFETCH(QString, file);
    QFETCH(QByteArray, frames);
    QFETCH(QString, status);

    Console console;
    QVERIFY(console.start({0, 1}, Changed));
    // Only brightness and video source differ from what is loaded.
    console.folder.write(QStringLiteral("other.pav"),
                         QByteArray(Changed).replace("\"128\"", "\"10\"").replace("Svideo2", "Composite3"));
    Frames::drain(console.pty);

    DialogAnswer answer(dialog, file.isEmpty() ? QString() : console.folder.file(file));
    console.click(button.constData());
    QCOMPARE(answer.seen(), dialog);
    QCOMPARE(hex(Frames::received(console.pty, frames.size())), hex(frames));
    QCOMPARE(console.folder.read(QStringLiteral("default.pav")), Changed);
    QCOMPARE(console.window->statusBar()->currentMessage(), status);
    const bool loaded = !frames.isEmpty();
    const QString current = loaded ? file : QStringLiteral("default.pav");
    QCOMPARE(console.text("txtVideofilename"), console.shownName(current));
    QCOMPARE(console.text("txtBrightness"), loaded ? QStringLiteral("10 (4%)") : QStringLiteral("128 (50%)"));
    QCOMPARE(console.window->videoControl().CurPAVFileName,
             console.folder.file(file.isEmpty() ? current : file));
    QVERIFY(!console.folder.exists(QStringLiteral("nosuch.pav")));
}

void TestVideoPages::saveButtonsWriteTheirFile_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<QString>("dialog"); // empty: no dialog may come up
    QTest::addColumn<QString>("target");

    QTest::newRow("Save right after start-up") << QByteArray("cmdSave") << ""
                                               << "default.pav";
    QTest::newRow("Save As") << QByteArray("cmdSaveAs") << "CommonDialog1"
                             << "chosen.pav";
    QTest::newRow("Save Default") << QByteArray("cmdSaveDefault") << ""
                                  << "default.pav";
    QTest::newRow("register page Save Default") << QByteArray("cmdSaveDefaultNvideo") << ""
                                                << "default.pav";
}

void TestVideoPages::saveButtonsWriteTheirFile()
{
    QFETCH(QByteArray, button);
    QFETCH(QString, dialog);
    QFETCH(QString, target);

    Console console;
    QVERIFY(console.start({0, 1}, Changed));
    console.control<QSpinBox>("SbtnBrightness")->setValue(77);
    Frames::drain(console.pty);

    DialogAnswer answer(dialog, console.folder.file(target));
    console.click(button.constData());
    QCOMPARE(answer.seen(), dialog);
    QCOMPARE(console.folder.read(target), QByteArray(Changed).replace("\"128\"", "\"77\""));
    if (target != QLatin1String("default.pav"))
        QCOMPARE(console.folder.read(QStringLiteral("default.pav")), Changed);
    QCOMPARE(console.text("txtVideofilename"), console.shownName(target));
    QCOMPARE(console.text("txtFilenameVideoN"), console.shownName(target));
    QCOMPARE(Frames::received(console.pty, 0, 0, 50), Nothing); // saving sends nothing
}

void TestVideoPages::controlChangeSendsItsFrame_data()
{
    QTest::addColumn<QByteArray>("control"); // a spin button, set to 'value', or an option, clicked
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("other"); // display box of the spin, or an option still checked
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("frames");

    QTest::newRow("brightness 128") << QByteArray("SbtnBrightness") << 128 << QByteArray("txtBrightness")
                                    << "128 (50%)" << Frames::one(2, 0x80);
    QTest::newRow("contrast 127") << QByteArray("SbtnContrast") << 127 << QByteArray("txtContrast")
                                  << "127 (100%)" << Frames::one(3, 0x7F);
    QTest::newRow("hue 191") << QByteArray("SbtnHue") << 191 << QByteArray("txthue") << "191 (75%)"
                             << Frames::one(5, 0xBF);
    QTest::newRow("brightness left at 0")
        << QByteArray("SbtnBrightness") << 0 << QByteArray("txtBrightness") << "0 (0%)" << Nothing;
    QTest::newRow("Svideo 2") << QByteArray("optVideoSource_5") << 0 << QByteArray("optVideoSource_5") << ""
                              << Frames::one(9, 5);
    QTest::newRow("register page PC, video page keeps Both")
        << QByteArray("optOperationModeN_0") << 0 << QByteArray("optOperationMode_2") << ""
        << Frames::one(1, 0);
    QTest::newRow("antigamma Off already shown")
        << QByteArray("optAntigamma_1") << 0 << QByteArray("optAntigamma_1") << "" << Nothing;
}

void TestVideoPages::controlChangeSendsItsFrame()
{
    QFETCH(QByteArray, control);
    QFETCH(int, value);
    QFETCH(QByteArray, other);
    QFETCH(QString, shown);
    QFETCH(QByteArray, frames);

    Console console;
    QVERIFY(console.start({0, 1}, QByteArray())); // a first start: values 0, Both, Off
    Frames::drain(console.pty);
    if (auto *spin = console.control<QSpinBox>(control.constData())) {
        spin->setValue(value);
        QCOMPARE(console.text(other.constData()), shown);
    } else {
        console.control<QRadioButton>(control.constData())->click();
        QVERIFY(console.control<QRadioButton>(control.constData())->isChecked());
        QVERIFY(console.control<QRadioButton>(other.constData())->isChecked());
    }
    QCOMPARE(hex(Frames::received(console.pty, frames.size())), hex(frames));
}

void TestVideoPages::firstStartOfTheBuiltConsole_data()
{
    QTest::addColumn<QByteArray>("registers"); // null: no VGAReg.cfg
    QTest::addColumn<QByteArray>("frames");

    // Empty texts fall back to operation mode Both and antigamma Off; every value stays 0.
    const QByteArray fallbacks = Frames::many({{1, 2}, {8, 1}});
    QTest::newRow("no register file") << Nothing << fallbacks;
    QTest::newRow("with a register file")
        << QByteArray("10\r\n&HA0,1,2\r\n") << fallbacks + Frames::registers(0xA0, 1, 2);
}

void TestVideoPages::firstStartOfTheBuiltConsole()
{
    QFETCH(QByteArray, registers);
    QFETCH(QByteArray, frames);

    PtyPair pty;
    ConsoleFolder folder;
    folder.useAsComPort(pty);
    folder.usePages({0});
    if (!registers.isNull())
        folder.write(QStringLiteral("VGAReg.cfg"), registers);
    const QByteArray created = QByteArray("\"\"\r\n").repeated(5) + QByteArray("\"0\"\r\n").repeated(4);
    // The second start reads the file the first one wrote and sends the same.
    for (int start = 1; start <= 2; ++start) {
        ConsoleProcess console(folder);
        QVERIFY2(console.start(), console.output().constData());
        QCOMPARE(hex(Frames::received(pty, frames.size(), 15000, 500)), hex(frames));
        QCOMPARE(folder.read(QStringLiteral("default.pav")), created);
    }
}

QTEST_MAIN(TestVideoPages)
#include "tst_videopages.moc"
