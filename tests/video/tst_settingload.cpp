#include "ConsoleFolder.h"
#include "FrameBuilder.h"
#include "Frames.h"
#include "PortSettings.h"
#include "SerialLink.h"
#include "Transmitter.h"
#include "VideoControl.h"
#include "VideoPanel.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

using namespace Frames;

// The video panel and VideoControl without widgets: values, displays, options, setting and
// register files, and what each of them puts on a pseudo-terminal.
class TestSettingLoad : public QObject {
    Q_OBJECT
    PtyPair m_pty;
    SerialLink m_link;
    Transmitter m_transmitter{m_link};
    std::unique_ptr<ConsoleFolder> m_dir; // its sys/ is the working folder
    std::unique_ptr<VideoPanel> m_panel;
    std::unique_ptr<VideoControl> m_control;

    QString path(const QString &name) const { return m_dir->file(name); }
    QByteArray received(qsizetype count) { return Frames::received(m_pty, count, 5000, count ? 100 : 50); }

private slots:
    void initTestCase() { QCOMPARE(m_link.open(m_pty.slavePath(), PortSettings::defaults()), 0); }
    void init()
    {
        m_control.reset();                  // before the panel it works on
        QDir::setCurrent(QDir::tempPath()); // loading enters the working folder, which goes now
        m_dir = std::make_unique<ConsoleFolder>();
        m_panel = std::make_unique<VideoPanel>(m_transmitter);
        m_control = std::make_unique<VideoControl>(*m_panel, m_transmitter, WorkingFolder(m_dir->sysPath()));
        m_control->setPagesPresent(true, false);
        m_pty.read(1 << 16, 30); // what an earlier test left unread
    }

    void aFrameNotSentSaysWhy_data()
    {
        QTest::addColumn<QString>("line"); // "closed", "open" or "full"
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("whyNot");
        QTest::newRow("port closed") << "closed" << 10 << 0 << "the serial port is closed";
        QTest::newRow("a level without a code") << "open" << 10 << 2 << "intensity level 2 has no code";
        QTest::newRow("the line's queue full") << "full" << 16 << 60 << "the line's queue is full";
        QTest::newRow("sent") << "open" << 10 << 0 << "";
    }
    void aFrameNotSentSaysWhy()
    {
        QFETCH(QString, line);
        QFETCH(int, mode);
        QFETCH(int, value);
        QFETCH(QString, whyNot);
        PtyPair pty; // the device reads nothing, so a full queue stays full
        SerialLink link;
        if (line != "closed")
            QCOMPARE(link.open(pty.slavePath(), PortSettings::defaults()), 0);
        Transmitter transmitter(link);
        transmitter.setIntensityLevels({"10", ""});
        QSignalSpy full(&transmitter, &Transmitter::queueFull);
        const QByteArray big(FrameBuilder::MaxRegisterBytes, 'r');
        const auto fill = [&] {
            for (const QByteArray &filler : {big, QByteArray(1, 'r')}) {
                while (line == "full" && link.write(filler) == SerialLink::Write::Queued) {
                }
            }
        };
        fill();
        const Transmission first = transmitter.TransmitToKVR(mode, value);
        QCOMPARE(first.sent(), whyNot.isEmpty());
        QVERIFY2(whyNot.isEmpty() || first.whyNot.startsWith(whyNot), qPrintable(first.whyNot));
        transmitter.TransmitToKVR(mode, value);
        QCOMPARE(full.count(), line == "full" ? 1 : 0); // said once for the burst
        if (line == "full") {                           // and once for the next, after the line had drained
            QTRY_VERIFY_WITH_TIMEOUT((pty.read(1 << 20, 1), link.queuedBytes() == 0), 30000);
            fill();
            transmitter.TransmitToKVR(mode, value);
            QCOMPARE(full.count(), 2);
        }
        QCOMPARE(transmitter.framesWritten(), whyNot.isEmpty() ? 2 : 0);
    }

    void pictureValueShowsPercentAndSendsValue_data()
    {
        QTest::addColumn<int>("picture");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("code"); // 0: nothing is sent
        const int b = int(Picture::Brightness), c = int(Picture::Contrast), s = int(Picture::Saturation);
        QTest::newRow("brightness 2 rounds up to 1%") << b << 2 << "2 (1%)" << 2;
        QTest::newRow("contrast 127 is full: a scale of 127") << c << 127 << "127 (100%)" << 3;
        QTest::newRow("saturation 64 is 50%") << s << 64 << "64 (50%)" << 4;
        QTest::newRow("hue 191 is 75%") << int(Picture::Hue) << 191 << "191 (75%)" << 5;
        QTest::newRow("brightness 256 is refused") << b << 256 << "0 (0%)" << 0;
        QTest::newRow("contrast 128 is refused") << c << 128 << "0 (0%)" << 0;
        QTest::newRow("negative saturation is refused") << s << -1 << "0 (0%)" << 0;
    }
    void pictureValueShowsPercentAndSendsValue()
    {
        QFETCH(int, picture);
        QFETCH(int, value);
        QFETCH(int, code);
        const QByteArray frames = code ? of({{code, value}}) : QByteArray();
        m_panel->setPictureValue(Picture(picture), value);
        m_panel->setPictureValue(Picture(picture), value); // unchanged: not sent again
        QTEST(m_panel->displayText(Picture(picture)), "display");
        QCOMPARE(received(frames.size()), frames.toHex(' '));
        m_panel->setPictureValue(Picture(picture), 0); // and back to the lowest value
        const QByteArray back = code ? of({{code, 0}}) : QByteArray();
        QCOMPARE(received(back.size()), back.toHex(' '));
    }

    void applySettingsSelectsFromTexts_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QByteArray>("frames");
        QTest::addColumn<QString>("antigamma");
        QTest::newRow("named options, sent in group order")
            << QStringList{"PC", "Adaptive", "Linear", "On", "Composite1"}
            << of({{1, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}}) << "On";
        QTest::newRow("lower-case video is Both, empty antigamma Off, Svideo2 is 5")
            << QStringList{"video", "Bypassed", "Filter3", "", "Svideo2"}
            << of({{1, 2}, {6, 1}, {7, 4}, {8, 1}, {9, 5}}) << "Off";
        QTest::newRow("texts outside the tables leave their groups alone")
            << QStringList{"PC", "Filter7", "filter1", "On", "Svideo3"} << of({{1, 0}, {8, 0}}) << "On";
    }
    void applySettingsSelectsFromTexts()
    {
        QFETCH(QStringList, texts);
        QFETCH(QByteArray, frames);
        for (int i = 0; i < texts.size(); ++i)
            m_panel->setText(i, texts.at(i));
        m_panel->ApplySettingsToPanel();
        QCOMPARE(received(frames.size()), frames.toHex(' '));
        QTEST(m_panel->settings().AntigammaText, "antigamma");
        m_panel->ApplySettingsToPanel(); // no option changes, so nothing goes out
        QCOMPARE(received(0), QByteArray());
    }

    void retransmitSendsNineFramesFromDisplays()
    {
        m_dir->write("default.pav", Changed);
        QVERIFY(m_control->OpenSettingFile(path("default.pav")));
        // The values go out as the display boxes read as numbers, not as the spins hold them.
        m_panel->setDisplayText(Picture::Brightness, "200 (78%)");
        m_panel->setDisplayText(Picture::Contrast, "  12.5 (10%)"); // halves round to even
        m_panel->setDisplayText(Picture::Saturation, "none");
        m_pty.read(1 << 16, 30);

        m_panel->RetransmitVideo();
        const QByteArray nine = of({{1, 1}, {2, 0xC8}, {3, 12}, {4, 0}, {5, 0xC8}}) + Options;
        QCOMPARE(received(nine.size()), nine.toHex(' '));
        QCOMPARE(m_panel->pictureValue(Picture::Brightness), 128);
    }

    void loadSendsChangedFieldsInOrder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("file"); // null: missing
        QTest::addColumn<QByteArray>("frames");
        QTest::addColumn<QString>("error"); // empty: none is reported
        QTest::addColumn<QString>("shown"); // in the file display after the name
        auto error = [](int n, const char *text) {
            return QStringLiteral("Error # %1 generated by Open Setting File\r%2").arg(n).arg(text);
        };
        auto with = [](const char *from, const char *to) { return QByteArray(Changed).replace(from, to); };
        const QString pav = "default.pav", none;
        const QString partly = " could not be read whole: %1; the values read before it are in use";
        QTest::newRow("values first, then the options in group order")
            << pav << Changed << Pictures + of({{1, 1}}) + Options << none << none;
        QTest::newRow("seven fields: brightness and contrast, no option")
            << pav << with("\"32\"\r\n\"200\"\r\n", "") << Pictures.left(16)
            << error(62, "Input past end of file") << partly.arg("it ends after 7 of 9 fields");
        QTest::newRow("letter in saturation stops there")
            << pav << with("\"32\"", "\"x5\"") << Pictures.left(16) << error(13, "Type mismatch")
            << partly.arg("line 8: the saturation \"x5\" is not a number");
        QTest::newRow("contrast 128 is out of range")
            << pav << with("\"64\"", "\"128\"") << Pictures.left(8) << error(380, "Invalid property value")
            << partly.arg("line 7: the contrast \"128\" is not a value from 0 to 127");
        QTest::newRow("no default.pav: created in the start state")
            << pav << QByteArray() << QByteArray() << none << none;
        QTest::newRow("another missing name writes nothing")
            << "other.pav" << QByteArray() << QByteArray() << error(53, "File not found")
            << " could not be read: File not found; nothing of it is in use";
    }
    void loadSendsChangedFieldsInOrder()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, frames);
        QFETCH(QString, error);
        QFETCH(QString, shown);
        if (!file.isNull())
            m_dir->write(name, file);
        QSignalSpy failed(m_control.get(), &VideoControl::loadFailed);

        QCOMPARE(m_control->OpenSettingFile(path(name)), !file.isNull() && error.isEmpty());
        QCOMPARE(received(frames.size()), frames.toHex(' '));
        QCOMPARE(m_dir->read(name), file.isNull() && error.isEmpty() ? StartState : file);
        QCOMPARE(QDir(m_dir->sysPath()).entryList(QDir::Files).size(), qsizetype(QFile::exists(path(name))));
        QCOMPARE(m_control->videoFileDisplay(),
                 (error.isEmpty() ? " Filename - " + path(name) : name) + shown);
        QCOMPARE(failed.count(), error.isEmpty() ? 0 : 1);
        // What the display says, the whole path, then the composed text.
        if (!error.isEmpty())
            QCOMPARE(failed.value(0).value(0).toString(),
                     m_control->videoFileDisplay() + " (" + path(name) + "). " + error);
        if (file.isNull())
            return;
        m_control->OpenSettingFile(path(name)); // the same again changes nothing
        QCOMPARE(received(0), QByteArray());
        QSignalSpy status(m_control.get(), &VideoControl::status);
        QVERIFY(m_control->SaveSettingFile(path(name))); // over a refused file: kept beside it
        QCOMPARE(m_dir->read(name + ".bak"), error.isEmpty() ? QByteArray() : file);
        QCOMPARE(status.size() && status.last().at(0).toString().contains("kept as " + path(name + ".bak")),
                 !error.isEmpty());
        QCOMPARE(m_control->videoFileDisplay(), " Filename - " + path(name));
    }

    void failedSaveKeepsWhatWasThere_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("limit"); // on the size of a file written, in bytes; 0: none
        QTest::newRow("target is a folder") << "taken.pav" << 0;
        QTest::newRow("folder of the target is missing") << "nowhere/x.pav" << 0;
        QTest::newRow("disk refuses the bytes of an existing file") << "kept.pav" << 16;
        // The new bytes would fit, but not the copy of the refused file they replace.
        QTest::newRow("no copy of a refused file can be made") << "refused.pav" << 64;
    }
    void failedSaveKeepsWhatWasThere()
    {
        QFETCH(QString, name);
        QFETCH(int, limit);
        QVERIFY(QDir(m_dir->sysPath()).mkdir("taken.pav"));
        m_dir->write("kept.pav", "\"PC\"\r\n");
        m_dir->write("refused.pav", QByteArray(100, 'x'));
        const QStringList entries = QDir(m_dir->sysPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QSignalSpy failed(m_control.get(), &VideoControl::saveFailed);

        // A size limit makes a write fail, even for root.
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const rlimit small{limit ? rlim_t(limit) : old.rlim_cur, old.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool saved = m_control->SaveSettingFile(path(name));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!saved);
        const QString said = failed.value(0).value(0).toString();
        QVERIFY2(failed.count() == 1 && said.startsWith("Error ") &&
                     (limit != 64 || said.contains("no copy of it could be kept")),
                 qPrintable(said));
        QCOMPARE(m_dir->read("kept.pav") + m_dir->read("refused.pav"), "\"PC\"\r\n" + QByteArray(100, 'x'));
        QCOMPARE(QDir(m_dir->sysPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries);
    }

    void registerSendPausesAfterEachFrameAndStopsAt300()
    {
        m_dir->write("VGAReg.cfg", "100\r\n1,2,3\r\n4,5,6\r\n7,8,9\r\n1,2,300\r\n4,5,6\r\n");
        QElapsedTimer clock;
        QList<qint64> sentAt; // told after each frame has been written
        QStringList told;     // "entry of count", as the window shows it
        m_control->setRegisterProgress([&](int entry, int count) {
            sentAt << clock.elapsed();
            told << QStringLiteral("%1 of %2").arg(entry).arg(count);
        });
        bool timerRan = false;
        QTimer::singleShot(0, this, [&timerRan] { timerRan = true; });

        clock.start();
        m_control->SendVgaRegisters();
        const qint64 took = clock.elapsed();
        const QByteArray frames = registers(1, 2, 3) + registers(4, 5, 6) + registers(7, 8, 9);
        QCOMPARE(received(frames.size()), frames.toHex(' '));     // 300 ends the run before its entry
        QVERIFY2(took >= 295, qPrintable(QString::number(took))); // the last one is paused after too
        QCOMPARE(told, QStringList({"1 of 3", "2 of 3", "3 of 3"}));
        for (int i = 1; i < 3; ++i)
            QVERIFY2(sentAt.at(i) - sentAt.at(i - 1) >= 95, qPrintable(QString::number(sentAt.at(i))));
        QVERIFY(!timerRan); // nothing else ran meanwhile; the timer runs once the send is over
        QTRY_VERIFY(timerRan);
    }
};

QTEST_GUILESS_MAIN(TestSettingLoad)
#include "tst_settingload.moc"
