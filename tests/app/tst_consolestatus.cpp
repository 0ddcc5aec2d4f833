#include "ConsoleStatus.h"
#include "ReceiveBuffer.h"
#include "StatusBox.h"
#include "StatusDisplay.h"
#include "TestClock.h"

#include <QSignalSpy>
#include <QTest>

// The panel with the clock it reads, which stands where a row puts it ('at').
struct Panel : TestClock, ConsoleStatus {
    Panel() : ConsoleStatus(static_cast<const TestClock &>(*this)) {}
};
using Feed = std::function<void(Panel &)>;
Q_DECLARE_METATYPE(Feed)

namespace {

// "HH:mm:ss.zzz" on 1 March 2026, or "yyyy-MM-dd HH:mm:ss.zzz".
QDateTime at(const QString &text)
{
    return QDateTime::fromString(text.size() > 12 ? text : "2026-03-01 " + text, "yyyy-MM-dd HH:mm:ss.zzz");
}

// A runner over fixed entries "key=value", running unless told otherwise.
ConsoleStatus::Runner runner(const QString &name, bool yearly, const QStringList &entries,
                             bool running = true)
{
    QStringList keys, values;
    for (const QString &entry : entries) {
        keys.append(entry.section(QLatin1Char('='), 0, 0));
        values.append(entry.section(QLatin1Char('='), 1));
    }
    return {name, yearly, [running] { return running; }, [keys] { return keys; },
            [values](int entry) { return values.value(entry - 1); }};
}

Feed runners(QList<ConsoleStatus::Runner> list, const char *now)
{
    return [list, now](Panel &s) {
        s.at = at(now);
        s.setRunners(list);
    };
}

const QStringList Day{"06:00=A.pav", "18:00=B.pav"};

// The receive box with the buffer behind it.
struct Box {
    ReceiveBuffer buffer;
    StatusBox box;
    StatusDisplay display{buffer, box};
};

} // namespace

// What the console shows of itself: the panel's model, fed as the runners, the link and the
// pages feed it, and read as the strip and the tray read it; and the box of what the
// controller sent.
class TestConsoleStatus : public QObject {
    Q_OBJECT
private slots:
    void showsWhatIsInForceAndWhatComesNext_data()
    {
        QTest::addColumn<Feed>("feed");
        QTest::addColumn<QString>("shown"); // after a part's caption, "summary" or "tooltip"

        auto port = [](int number, const char *device, PortState state) {
            return Feed([=](Panel &s) { s.setPort(number, device, state, "why"); });
        };
        QTest::newRow("port open") << port(1, "/dev/ttyUSB0", PortState::Open)
                                   << "Port: Com 1 open (/dev/ttyUSB0)";
        QTest::newRow("no device for the number")
            << port(3, "", PortState::Missing) << "Port: Com 3 missing (no device)";
        QTest::newRow("no port tried yet") << Feed() << "Port: no port chosen";

        // A setting opened at 18:00 for 'occasion', read at 'readAt'.
        auto opened = [](const char *occasion, const char *file, bool inForce, const char *switchedAt,
                         const char *readAt = "19:30:00.000") {
            return Feed([=](Panel &s) {
                s.setInUse(ConsoleStatus::Setting, true);
                s.at = at("18:00:00.004");
                s.setOccasion(occasion);
                s.settingOpened(file, inForce);
                s.setOccasion(QString());
                if (switchedAt)
                    s.settingSwitched(switchedAt, "/sys/schedule.shd");
                s.at = at(readAt);
            });
        };
        QTest::newRow("setting by hand")
            << opened("", "/sys/x.pav", true, nullptr) << "Setting: x.pav since 18:00, by hand";
        QTest::newRow("setting at start-up") << opened("at start-up", "/sys/default.pav", true, nullptr)
                                             << "Setting: default.pav since 18:00, at start-up";
        QTest::newRow("setting by the daily runner")
            << opened("", "evening.pav", true, "18:00")
            << "Setting: evening.pav since 18:00, by the 18:00 entry of schedule.shd";
        QTest::newRow("setting that did not load")
            << opened("", "evenig.pav", false, "18:00")
            << "Setting: evenig.pav since 18:00, by the 18:00 entry of schedule.shd; it did not load";
        QTest::newRow("setting since yesterday")
            << opened("", "/sys/x.pav", true, nullptr, "2026-03-02 08:00:00.000")
            << "Setting: x.pav since 01/03/2026 18:00, by hand";
        QTest::newRow("level") << Feed([](Panel &s) {
            s.setInUse(ConsoleStatus::Intensity, true);
            s.at = at("18:00:00.004");
            s.levelSent("High", "automatic, the 18:00 entry");
        }) << "Intensity: High since 18:00, automatic, the 18:00 entry";

        // Which stretch is in force is the timeline's; the panel names the next one.
        QTest::newRow("next switch in the day")
            << runners({runner("Schedule", false, Day)}, "12:00:00.000") << "Next: Schedule 18:00 B.pav";
        QTest::newRow("next switch at its very minute is the one after")
            << runners({runner("Schedule", false, Day)}, "18:00:00.004")
            << "Next: Schedule tomorrow 06:00 A.pav";
        QTest::newRow("the minute of a switch passes") << Feed([](Panel &s) {
            s.at = at("17:59:30.000");
            s.setRunners({runner("Schedule", false, Day)});
            s.at = at("18:00:00.200");
            s.updateNext(); // the minute timer
        }) << "Next: Schedule tomorrow 06:00 A.pav";
        QTest::newRow("entries of one value are one stretch")
            << runners({runner("Intensity", false, {"06:00=Low", "12:00=Low", "20:00=High"})}, "07:00:00.000")
            << "Next: Intensity 20:00 High";
        QTest::newRow("one entry never switches")
            << runners({runner("Schedule", false, {"06:00=A.pav"})}, "07:00:00.000")
            << "Next: Schedule no switch within 24 hours";
        QTest::newRow("stopped runner") << runners({runner("Intensity", false, Day, false)}, "07:00:00.000")
                                        << "Next: Intensity not running";
        QTest::newRow("each runner in use, a yearly one by date")
            << runners({runner("Schedule", false, Day),
                        runner("IntTask", true, {"20260101=W.int", "20270101=S.int"})},
                       "2026-12-31 12:00:00.000")
            << "Next: Schedule 18:00 B.pav; IntTask 01/01/2027 S.int";

        QTest::newRow("server listening") << Feed([](Panel &s) { s.setServer(true, "any host", ""); })
                                          << "Remote: server listening for any host";
        QTest::newRow("server connected, refreshed") << Feed([](Panel &s) {
            s.setServer(false, "10.0.0.0/24", "10.0.0.5");
            s.at = at("14:02:10.000");
            s.serverRefreshed("10.0.0.5");
        }) << "Remote: server connected to 10.0.0.5; last refresh 14:02:10 asked by 10.0.0.5";
        QTest::newRow("client closed") << Feed([](Panel &s) { s.setClient("srv1", "not connected"); })
                                       << "Remote: client not connected (server srv1)";
        QTest::newRow("client connected")
            << Feed([](Panel &s) { s.setClient("srv1", "connected"); }) << "Remote: client connected to srv1";
        QTest::newRow("no remote page") << Feed() << "Remote: ";

        auto replies = [](QList<QByteArray> arrivals) {
            return Feed([arrivals](Panel &s) {
                s.at = at("12:00:03.000");
                for (const QByteArray &bytes : arrivals)
                    bytes == "frame" ? s.frameSent() : s.replyReceived(bytes);
            });
        };
        QTest::newRow("reply") << replies({"frame", "\x06"}) << "Reply: 12:00:03 [06]";
        QTest::newRow("a reply in pieces") << replies({"frame", "O", "K\r"}) << "Reply: 12:00:03 OK[0D]";
        QTest::newRow("a new frame, a new reply")
            << replies({"OK", "frame", "\x15"}) << "Reply: 12:00:03 [15]";
        QTest::newRow("a long reply shows its end")
            << replies({"frame", QByteArray(30, 'x') + "0123456789ABCDEFGHIJKLMN"})
            << "Reply: 12:00:03 ...0123456789ABCDEFGHIJKLMN";
        QTest::newRow("no reply yet") << replies({}) << "Reply: none yet";

        const Feed busy = [](Panel &s) {
            s.setPort(1, "/dev/ttyUSB0", PortState::Open, "9600,N,8,1");
            s.setInUse(ConsoleStatus::Setting, true);
            s.setInUse(ConsoleStatus::Intensity, true);
            s.at = at("18:00:00.004");
            s.settingOpened("/sys/evening.pav", true);
            s.levelSent("High", "manual, after Apply");
            s.setRunners(
                {runner("Schedule", false, Day), runner("Intensity", false, {"06:00=Low", "20:00=Mid"})});
        };
        QTest::newRow("summary") << busy
                                 << "summary: Com 1 open (/dev/ttyUSB0); setting evening.pav; level High; "
                                    "next Intensity 20:00 Mid";
        QTest::newRow("tooltip")
            << busy
            << "tooltip: PAV Control\nPort: Com 1 open (/dev/ttyUSB0)\n"
               "Setting: evening.pav since 18:00, by hand\n"
               "Intensity: High since 18:00, manual, after Apply\n"
               "Next: Schedule tomorrow 06:00 A.pav; Intensity 20:00 Mid\nReply: none yet";
    }
    void showsWhatIsInForceAndWhatComesNext()
    {
        QFETCH(Feed, feed);
        QFETCH(QString, shown);
        Panel status;
        if (feed)
            feed(status);
        const QString read = shown.section(": ", 0, 0);
        QString text = read == "summary" ? status.summary() : status.toolTip();
        for (int part = 0; part < ConsoleStatus::PartCount; ++part) {
            if (ConsoleStatus::caption(static_cast<ConsoleStatus::Part>(part)) == read)
                text = status.text(static_cast<ConsoleStatus::Part>(part));
        }
        QCOMPARE(read + ": " + text, shown);
    }

    // A controller that streams does not keep the views busy: one change a second at most.
    void aStreamIsShownOnceASecond()
    {
        Panel status;
        QSignalSpy changed(&status, &ConsoleStatus::changed);
        QElapsedTimer elapsed;
        elapsed.start();
        while (elapsed.elapsed() < 1500) {
            status.replyReceived("x");
            QTest::qWait(2);
        }
        QVERIFY2(changed.count() >= 1 && changed.count() <= 2, qPrintable(QString::number(changed.count())));
    }

    // What the operator and the controller do, one step a character: a letter arrives,
    // t a frame goes out, c the Clear button, w the box catches up.
    void clearAndTransmit_data()
    {
        QTest::addColumn<QByteArray>("steps");
        QTest::addColumn<QString>("shown"); // the buffer's text | the box's text
        QTest::newRow("arrival after Clear shows the whole buffer") << QByteArray("ABwcCw") << "ABC|ABC";
        QTest::newRow("Clear before the box caught up, then an arrival") << QByteArray("ABcCw") << "ABC|ABC";
        QTest::newRow("transmit empties buffer and box") << QByteArray("ABwt") << "|";
        QTest::newRow("transmit drops what was still to be shown") << QByteArray("ABtCw") << "C|C";
        // Codes below 30 and above 127: 29 and 128 are marked, 30 and 127 are not.
        QTest::newRow("codes marked") << QByteArray("O\r\x1d\x1e\x7f\x80\xffw")
                                      << QString("O[0D][1D]\x1e\x7f[80][FF]|O[0D][1D]\x1e\x7f[80][FF]");
    }
    void clearAndTransmit()
    {
        QFETCH(QByteArray, steps);
        QFETCH(QString, shown);
        Box c;
        for (const char step : steps) {
            if (step == 't')
                c.display.transmitted();
            else if (step == 'c')
                c.display.clearBox();
            else if (step == 'w')
                QTRY_COMPARE_WITH_TIMEOUT(c.box.text(), c.buffer.text(), 5000);
            else
                c.display.received(QByteArray(1, step));
        }
        QCOMPARE(c.buffer.text() + '|' + c.box.text(), shown);
        // Drawn on the text background, so rows scrolled away or cleared never show through.
        const QImage drawn = c.box.viewport()->grab().toImage();
        QCOMPARE(drawn.pixelColor(drawn.rect().bottomRight()), c.box.palette().color(QPalette::Base));
    }

    // A controller that talks for months: only the newest 64 KiB (up to a quarter more) are kept,
    // in order, and the box keeps showing exactly the buffer, also across a Clear.
    void longStreamKeepsNewestText()
    {
        Box c;
        QString all;
        for (int i = 0; i < 300; ++i) {
            const QByteArray piece =
                QByteArray(1000 + (i % 7) * 13, char('a' + i % 26)) + (i % 5 ? "" : "\r");
            c.display.received(piece);
            all += ReceiveBuffer::displayForm(piece);
            QVERIFY(i > 0 || c.box.text().isEmpty()); // arrivals are shown later, in one go
            if (i % 9 == 0)
                c.display.refresh(); // the refresh timer's turn, at fixed points so the run repeats
            if (i == 150)
                c.display.clearBox();
        }
        c.display.refresh();
        QVERIFY(c.buffer.text().size() >= 64 * 1024 && c.buffer.text().size() <= 80 * 1024);
        QVERIFY(all.endsWith(c.buffer.text()));
        QCOMPARE(c.box.text(), c.buffer.text());

        const QByteArray block(200 * 1024, 'x'); // one arrival larger than the buffer
        c.display.received(block);
        QCOMPARE(c.buffer.text(), QString(64 * 1024, 'x'));
        QTRY_COMPARE_WITH_TIMEOUT(c.box.text(), c.buffer.text(), 5000);
    }
};

QTEST_MAIN(TestConsoleStatus)
#include "tst_consolestatus.moc"
