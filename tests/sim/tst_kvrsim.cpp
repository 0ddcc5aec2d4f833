#include "FrameDecoder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const auto hex = [](const char *text) { return QByteArray::fromHex(text); };

// Well-formed frames around the command codes and value bytes given in hex, frame by frame
// separated by '|'.
QByteArray frames(const QString &bodies)
{
    QByteArray bytes;
    for (const QString &body : bodies.split('|'))
        bytes += hex("02 00 01 00") + char(hex(body.toLatin1()).size()) + hex(body.toLatin1()) + '\4';
    return bytes;
}

} // namespace

// The simulator's decoder by itself, then the built simulator.
class TestKvrSim : public QObject {
    Q_OBJECT
    const int Patience = 10000; // ms; generous for a busy machine
    QTemporaryDir m_dir;
    const QString m_link = m_dir.filePath("kvr");
    QProcess m_sim;      // killed, if still running, when the test ends
    QByteArray m_output; // decoded lines and messages, in the order written

    bool waitFor(const QByteArray &text)
    {
        const QDeadlineTimer deadline(Patience);
        while (!m_output.contains(text) && !deadline.hasExpired() && m_sim.state() != QProcess::NotRunning) {
            m_sim.waitForReadyRead(50);
            m_output += m_sim.readAll();
        }
        return m_output.contains(text);
    }

private slots:
    void decodes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("lines"); // one a frame or run of stray bytes, each ending in \n
        QTest::newRow("worked examples")
            << frames("02 80|0B 11 00 5F") << "02 brightness 128\n0B vga 11 00 5F\n";
        QTest::newRow("first and last names")
            << frames("01 02|06 00|06 07|07 04|08 01|09 05")
            << "01 mode Both\n06 hfilter Adaptive\n06 hfilter Filter6\n07 vfilter Filter3\n08 antigamma Off\n"
               "09 source Svideo2\n";
        QTest::newRow("numbers at their limits")
            << frames("03 7F|04 80|05 FF|0A C8|10 3C")
            << "03 contrast 127\n04 saturation 128 (out of range)\n05 hue 255\n0A intensity 200\n"
               "10 watchdog 60\n";
        QTest::newRow("names past their list, wrong number of value bytes, unknown code")
            << frames("01 03|07 05|02|10 3C 3D|0B|0C 05")
            << "01 mode 3 (out of range)\n07 vfilter 5 (out of range)\n02 brightness (expected 1 byte)\n"
               "10 watchdog 3C 3D (expected 1 byte)\n0B vga\n0C unknown 05\n";
        QTest::newRow("longest frame, count 255") << hex("02 00 01 00 FF 0B") + QByteArray(254, 'A') + '\4'
                                                  << "0B vga" + QString(" 41").repeated(254) + '\n';
        // Damaged: the bad bytes are reported, the good frame after them decodes.
        for (const char *bad : {"41 42 43", "02 00 01 00 02 02", "02 00 02 00 02 02 80 04",
                                "02 00 01 00 00 04", "02 00 01 00 02 02 80 05"})
            QTest::newRow(bad) << hex(bad) + frames("02 80")
                               << "?? stray " + QString(bad) + "\n02 brightness 128\n";
        // Only the STX of a broken frame is given up: frames its count reached over still decode.
        QTest::newRow("frames inside an unfinished one")
            << hex("02 00 01 00 FF") + frames("02 80|01 01")
            << "?? stray 02 00 01 00 FF\n02 brightness 128\n01 mode Video\n";
    }
    // Fed whole and byte by byte, the input gives the same lines.
    void decodes()
    {
        QFETCH(QByteArray, bytes);
        for (int chunk : {int(bytes.size()), 1}) {
            FrameDecoder decoder;
            for (qsizetype i = 0; i < bytes.size(); i += chunk)
                decoder.feed(bytes.mid(i, chunk));
            decoder.finish();
            QString got;
            for (const FrameDecoder::Item &item : decoder.takeItems()) {
                got += item.line + '\n';
                QCOMPARE(item.frame, !item.line.startsWith("??")); // the simulator answers frames only
            }
            QTEST(got, "lines");
        }
    }

    void decodesAndAnswers()
    {
        // A lone digit is one byte; longer words are read in pairs, in either case.
        m_sim.setProcessChannelMode(QProcess::MergedChannels);
        m_sim.start(KVR_SIM_PATH, {"--link", m_link, "--answer", "6 4b0D"});
        QVERIFY(waitFor("kvr-sim: link " + m_link.toUtf8()));
        // Its terminal is raw, so bytes pass untranslated.
        // The device, opened through the link as the console does.
        const int port =
            ::open(QFile::encodeName(m_link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(port >= 0);
        const auto writePort = [&](const char *text) {
            return ::write(port, hex(text).constData(), size_t(hex(text).size())) == hex(text).size();
        };
        for (const char *piece : {"41 02 00 01 00 02", "02 80 04 02 00 01", "00 04 0B 11 00 5F 04"}) {
            QVERIFY(writePort(piece)); // read as pieces: a frame may span them
            QTest::qWait(20);
        }
        QVERIFY(waitFor("?? stray 41\n02 brightness 128\n0B vga 11 00 5F\n"));
        // A frame cut short is reported once the line stays quiet.
        QVERIFY(writePort("02 00 01 00 04 0B 12"));
        QVERIFY(waitFor("\n?? stray 02 00 01 00 04 0B 12\n"));
        // Each frame was answered before its line was printed; nothing else was.
        QTest::qWait(100);
        QByteArray answers(64, '\0');
        answers.truncate(qMax<ssize_t>(0, ::read(port, answers.data(), answers.size())));
        QCOMPARE(answers, hex("06 4B 0D 06 4B 0D"));

        // Ended by a signal, it exits cleanly and leaves no link behind.
        QCOMPARE(::kill(pid_t(m_sim.processId()), SIGTERM), 0);
        QVERIFY(m_sim.waitForFinished(Patience) && m_sim.exitCode() == 0);
        QVERIFY(QFile::symLinkTarget(m_link).isEmpty());
    }

    void rejectsBadArguments()
    {
        for (const char *arguments : {"--bogus", "--answer 4F4", "--vanish-after 1 --repeat"}) {
            QProcess sim;
            sim.start(KVR_SIM_PATH, QString(arguments).split(' '));
            QVERIFY(sim.waitForFinished(Patience));
            QVERIFY2(sim.exitCode() == 2 && sim.readAllStandardError().startsWith("kvr-sim: "), arguments);
        }
    }
};

QTEST_GUILESS_MAIN(TestKvrSim)
#include "tst_kvrsim.moc"
