#include "Frames.h"
#include "PortSettings.h"
#include "SerialLink.h"
#include "Transmitter.h"
#include "VideoControl.h"
#include "VideoPanel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using Frames::hex;

namespace {

const QByteArray StartState = QByteArray("\"\"\r\n").repeated(5) + QByteArray("\"0\"\r\n").repeated(4);
// Every field differs from the start state.
const QByteArray Changed = "\"Video\"\r\n\"Bypassed\"\r\n\"Filter2\"\r\n\"On\"\r\n\"Svideo2\"\r\n"
                           "\"128\"\r\n\"64\"\r\n\"32\"\r\n\"200\"\r\n";
const QByteArray Pictures = Frames::many({{2, 0x80}, {3, 0x40}, {4, 0x20}, {5, 0xC8}});
const QByteArray Options = Frames::many({{1, 1}, {6, 1}, {7, 3}, {8, 0}, {9, 5}});

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Setting files and VGA register files through VideoControl: what loading puts on the line and
// in which order, what saving leaves on disk, and how the register send paces itself.
class TestSettingLoad : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadSendsChangedFieldsInOrder_data();
    void loadSendsChangedFieldsInOrder();
    void missingFile_data();
    void missingFile();
    void failedSaveKeepsWhatWasThere_data();
    void failedSaveKeepsWhatWasThere();
    void registerFrames_data();
    void registerFrames();
    void registerSendPausesAfterEachFrameAndHoldsEventsBack();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    PtyPair m_pty;
    SerialLink m_link;
    std::unique_ptr<Transmitter> m_transmitter;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<VideoPanel> m_panel;
    std::unique_ptr<VideoControl> m_control;
};

void TestSettingLoad::initTestCase()
{
    QCOMPARE(m_link.open(m_pty.slavePath(), PortSettings::defaults()), 0);
    m_transmitter = std::make_unique<Transmitter>(m_link);
}

void TestSettingLoad::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_panel = std::make_unique<VideoPanel>(*m_transmitter);
    m_control = std::make_unique<VideoControl>(*m_panel, *m_transmitter, WorkingFolder(m_dir->path()));
    m_control->setPagesPresent(true, false);
    Frames::drain(m_pty);
}

void TestSettingLoad::cleanup()
{
    m_control.reset();
    m_panel.reset();
    QDir::setCurrent(QDir::tempPath()); // loading entered the folder
    m_dir.reset();
}

void TestSettingLoad::loadSendsChangedFieldsInOrder_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("videoPage");
    QTest::addColumn<bool>("registerPage");
    QTest::addColumn<QByteArray>("frames");
    QTest::addColumn<int>("error"); // 0: the whole file was applied

    QTest::newRow("pictures first, then options in group order")
        << Changed << true << false << Pictures + Options << 0;
    QTest::newRow("nine fields on one line, numbers bare")
        << QByteArray("\"Video\",\"Bypassed\",\"Filter2\",\"On\",\"Svideo2\",128,64,32,200\r\n") << true
        << false << Pictures + Options << 0;
    QTest::newRow("register page only selects its mode")
        << Changed << false << true << Pictures + Frames::one(1, 1) << 0;
    QTest::newRow("both pages send the mode twice")
        << Changed << true << true << Pictures + Options + Frames::one(1, 1) << 0;
    QTest::newRow("seven fields: brightness and contrast, no option")
        << Changed.left(Changed.indexOf("\"32\"")) << true << true << Pictures.left(16) << 62;
    QTest::newRow("letter in saturation stops there")
        << QByteArray(Changed).replace("\"32\"", "\"x5\"") << true << false << Pictures.left(16) << 13;
    QTest::newRow("brightness 300 stops at once")
        << QByteArray(Changed).replace("\"128\"", "\"300\"") << true << false << QByteArray() << 380;
    QTest::newRow("contrast 128 is outside its spin")
        << QByteArray(Changed).replace("\"64\"", "\"128\"") << true << false << Pictures.left(8) << 380;
}

void TestSettingLoad::loadSendsChangedFieldsInOrder()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, videoPage);
    QFETCH(bool, registerPage);
    QFETCH(QByteArray, frames);
    QFETCH(int, error);

    const QString pav = path(QStringLiteral("default.pav"));
    write(QStringLiteral("default.pav"), file);
    m_control->setPagesPresent(videoPage, registerPage);
    QSignalSpy failed(m_control.get(), &VideoControl::loadFailed);

    QCOMPARE(m_control->OpenSettingFile(pav), error == 0);
    QCOMPARE(hex(Frames::received(m_pty, frames.size())), hex(frames));
    QCOMPARE(fileBytes(pav), file);
    const QString shown = error == 0 ? QStringLiteral(" Filename - ") + pav : QString();
    QCOMPARE(m_control->videoFileDisplay(), videoPage ? shown : QString());
    QCOMPARE(m_control->registerFileDisplay(), registerPage ? shown : QString());
    QCOMPARE(failed.count(), error == 0 ? 0 : 1);
    if (error != 0) {
        const QString text = failed.first().at(0).toString();
        QVERIFY2(text.startsWith(QStringLiteral("Error # %1 generated by Open Setting File\r").arg(error)) &&
                     !text.endsWith(QLatin1Char('\r')),
                 qPrintable(text));
        QCOMPARE(m_panel->shownOption(OptionGroup::OperationMode), -1);
        QCOMPARE(m_panel->shownOption(OptionGroup::OperationModeN), -1);
    }

    // The same file again changes nothing, so nothing goes out.
    m_control->OpenSettingFile(pav);
    QCOMPARE(hex(Frames::received(m_pty, 0, 0, 50)), QByteArray());
}

void TestSettingLoad::missingFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("changedFirst");
    QTest::addColumn<QByteArray>("defaultAfter"); // empty: default.pav keeps its bytes

    const QByteArray current =
        QByteArray("\"\"\r\n").repeated(4) + "\"Svideo2\"\r\n\"0\"\r\n\"0\"\r\n\"0\"\r\n\"7\"\r\n";
    QTest::newRow("default.pav is created in the start state") << "default.pav" << false << StartState;
    QTest::newRow("default.pav by its full path, from the current settings") << "<full>" << true << current;
    QTest::newRow("another missing name writes nothing") << "other.pav" << true << QByteArray();
}

void TestSettingLoad::missingFile()
{
    QFETCH(QString, name);
    QFETCH(bool, changedFirst);
    QFETCH(QByteArray, defaultAfter);

    const QString defaultPath = path(QStringLiteral("default.pav"));
    if (name == QLatin1String("<full>"))
        name = defaultPath;
    if (defaultAfter.isEmpty())
        write(QStringLiteral("default.pav"), "\"PC\"\r\n\"saved\"\r\n");
    if (changedFirst) {
        m_panel->selectOption(OptionGroup::VideoSource, 5);
        m_panel->setPictureValue(Picture::Hue, 7);
        Frames::drain(m_pty);
    }
    QSignalSpy failed(m_control.get(), &VideoControl::loadFailed);

    QVERIFY(!m_control->OpenSettingFile(name));
    QCOMPARE(Frames::received(m_pty, 0, 0, 50), QByteArray());
    if (defaultAfter.isEmpty()) {
        QCOMPARE(fileBytes(defaultPath), QByteArray("\"PC\"\r\n\"saved\"\r\n"));
        QVERIFY(!QFile::exists(path(name)));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().at(0).toString(),
                 QStringLiteral("Error # 53 generated by Open Setting File\rFile not found"));
        QCOMPARE(m_control->videoFileDisplay(), QString());
    } else {
        QCOMPARE(fileBytes(defaultPath), defaultAfter);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(m_control->videoFileDisplay(), QStringLiteral(" Filename - ") + defaultPath);
    }
}

void TestSettingLoad::failedSaveKeepsWhatWasThere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("before"); // the target's bytes before, if it is a file

    QTest::newRow("target is a folder") << "taken.pav" << QByteArray();
    QTest::newRow("folder of the target is missing") << "nowhere/x.pav" << QByteArray();
    QTest::newRow("disk refuses the bytes of an existing file") << "kept.pav" << QByteArray("\"PC\"\r\n");
}

void TestSettingLoad::failedSaveKeepsWhatWasThere()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, before);

    write(QStringLiteral("default.pav"), Changed);
    QVERIFY(m_control->OpenSettingFile(QStringLiteral("default.pav")));
    const QString display = m_control->videoFileDisplay();
    if (name == QLatin1String("taken.pav"))
        QVERIFY(QDir(m_dir->path()).mkdir(name));
    if (!before.isEmpty())
        write(name, before);
    const QStringList entries = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QSignalSpy failed(m_control.get(), &VideoControl::saveFailed);

    // For an existing file, a size limit below the file's size makes the write itself fail.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = before.isEmpty() ? old.rlim_cur : 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool saved = m_control->SaveSettingFile(name);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    if (!before.isEmpty())
        QCOMPARE(fileBytes(path(name)), before);
    QVERIFY(!saved);
    QCOMPARE(failed.count(), 1);
    const QString text = failed.first().at(0).toString();
    QVERIFY2(text.startsWith(QStringLiteral("Error ")) && text.size() > 6, qPrintable(text));
    QCOMPARE(fileBytes(path(QStringLiteral("default.pav"))), Changed);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries);
    QCOMPARE(m_control->videoFileDisplay(), display);
}

void TestSettingLoad::registerFrames_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no VGAReg.cfg
    QTest::addColumn<QByteArray>("frames");

    const QByteArray same = Frames::registers(0x10, 0x20, 0x30);
    const QByteArray first = Frames::registers(1, 2, 3);
    QTest::newRow("decimal and hexadecimal give the same frame")
        << QByteArray("50\r\n16,32,48\r\n&H10,&H20,&H30\r\n") << same + same;
    QTest::newRow("octal, fraction and leading digits")
        << QByteArray("0\r\n&O17,60.2,3C\r\n") << Frames::registers(0x0F, 0x3C, 0x03);
    QTest::newRow("entry over two lines") << QByteArray("0\r\n1,2\r\n3\r\n") << first;
    QTest::newRow("300 ends the run before its entry")
        << QByteArray("0\r\n1,2,3\r\n1,2,300\r\n4,5,6\r\n") << first;
    QTest::newRow("incomplete last entry is not sent") << QByteArray("0\r\n1,2,3\r\n4,5\r\n") << first;
    QTest::newRow("negative pause counts as none")
        << QByteArray("-500\r\n1,2,3\r\n1,2,3\r\n") << first + first;
    QTest::newRow("only the pause") << QByteArray("50\r\n") << QByteArray();
    QTest::newRow("pause not a number") << QByteArray("x\r\n1,2,3\r\n") << QByteArray();
    QTest::newRow("no register file") << QByteArray() << QByteArray();
}

void TestSettingLoad::registerFrames()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, frames);

    if (!file.isNull())
        write(QStringLiteral("VGAReg.cfg"), file);
    QElapsedTimer took;
    took.start();
    m_control->SendVgaRegisters();
    QVERIFY2(took.elapsed() < 10000, "a register file must not block the console for long");
    QCOMPARE(hex(Frames::received(m_pty, frames.size())), hex(frames));
}

void TestSettingLoad::registerSendPausesAfterEachFrameAndHoldsEventsBack()
{
    constexpr int Pause = 100;
    write(QStringLiteral("VGAReg.cfg"), "100\r\n1,2,3\r\n4,5,6\r\n7,8,9\r\n");
    QElapsedTimer clock;
    QList<qint64> sentAt; // told after each frame has been written
    m_control->setRegisterProgress([&](int entry, int count) {
        sentAt << clock.elapsed();
        QCOMPARE(count, 3);
        QCOMPARE(entry, int(sentAt.size()));
    });
    bool timerRan = false;
    QTimer::singleShot(0, this, [&timerRan] { timerRan = true; });

    clock.start();
    m_control->SendVgaRegisters();
    const qint64 took = clock.elapsed();

    QCOMPARE(hex(Frames::received(m_pty, 30)),
             hex(Frames::registers(1, 2, 3) + Frames::registers(4, 5, 6) + Frames::registers(7, 8, 9)));
    QVERIFY2(took >= 3 * Pause - 5, qPrintable(QString::number(took))); // the last frame is paused after too
    QCOMPARE(sentAt.size(), 3);
    for (int i = 1; i < 3; ++i)
        QVERIFY2(sentAt.at(i) - sentAt.at(i - 1) >= Pause - 5, qPrintable(QString::number(sentAt.at(i))));
    // Nothing else ran meanwhile; the timer runs once the send is over.
    QVERIFY(!timerRan);
    QTRY_VERIFY(timerRan);
}

QTEST_GUILESS_MAIN(TestSettingLoad)
#include "tst_settingload.moc"
