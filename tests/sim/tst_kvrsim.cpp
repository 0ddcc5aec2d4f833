#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

// Each test runs the built simulator and opens its device through the link, as the console does.
class TestKvrSim : public QObject {
    Q_OBJECT
    const int Patience = 10000; // ms; generous for a busy machine
    QTemporaryDir m_dir;
    const QString m_link = m_dir.filePath("kvr");
    QProcess m_sim;
    QByteArray m_output; // decoded lines and messages, in the order written
    int m_port = -1;

    bool startSim(const QStringList &options)
    {
        m_sim.setProcessChannelMode(QProcess::MergedChannels);
        m_sim.start(KVR_SIM_PATH, QStringList{"--link", m_link} + options);
        return waitFor("kvr-sim: link " + m_link.toUtf8());
    }
    bool waitFor(const QByteArray &text)
    {
        const QDeadlineTimer deadline(Patience);
        while (!m_output.contains(text) && !deadline.hasExpired() && m_sim.state() != QProcess::NotRunning) {
            m_sim.waitForReadyRead(50);
            m_output += m_sim.readAll();
        }
        return m_output.contains(text);
    }
    bool openPort() // the simulator makes its terminal raw, so bytes pass untranslated
    {
        ::close(m_port);
        m_port = ::open(QFile::encodeName(m_link).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        return m_port >= 0;
    }
    bool writePort(const char *hex)
    {
        const QByteArray bytes = QByteArray::fromHex(hex);
        return ::write(m_port, bytes.constData(), bytes.size()) == bytes.size();
    }
    QByteArray readPort()
    {
        QByteArray bytes(64, '\0');
        return bytes.left(std::max<ssize_t>(0, ::read(m_port, bytes.data(), bytes.size())));
    }

private slots:
    void cleanup()
    {
        ::close(m_port);
        m_port = -1;
        m_sim.kill();
        m_sim.waitForFinished(Patience);
        m_output.clear();
    }

    void decodesAndAnswers()
    {
        // A lone digit is one byte; longer words are read in pairs, in either case.
        QVERIFY(startSim({"--answer", "6 4b0D"}) && openPort());
        for (const char *piece : {"41 02 00 01 00 02", "02 80 04 02 00 01", "00 04 0B 11 00 5F 04"}) {
            QVERIFY(writePort(piece));
            QTest::qWait(20);
        }
        QVERIFY(waitFor("?? stray 41\n02 brightness 128\n0B vga 11 00 5F\n"));
        // A frame cut short is reported once the line stays quiet.
        QVERIFY(writePort("02 00 01 00 04 0B 12"));
        QVERIFY(waitFor("\n?? stray 02 00 01 00 04 0B 12\n"));
        // Each frame was answered before its line was printed; nothing else was.
        QTest::qWait(100);
        QCOMPARE(readPort(), QByteArray::fromHex("06 4B 0D 06 4B 0D"));
    }

    void vanishesAndComesBack()
    {
        QVERIFY(startSim({"--vanish-after", "1", "--back-after", "1"}) && openPort());
        QVERIFY(waitFor("kvr-sim: vanished"));
        QVERIFY(QFile::symLinkTarget(m_link).isEmpty());
        QVERIFY(!writePort("02 00 01 00 02 02 80 04")); // the open port fails, as with a pulled-out adapter

        QVERIFY(waitFor("kvr-sim: back"));
        QVERIFY(openPort());
        QVERIFY(writePort("02 00 01 00 02 01 01 04"));
        QVERIFY(waitFor("\n01 mode Video\n"));

        // Ended by a signal, it exits cleanly and leaves no link behind.
        QCOMPARE(::kill(pid_t(m_sim.processId()), SIGTERM), 0);
        QVERIFY(m_sim.waitForFinished(Patience) && m_sim.exitCode() == 0);
        QVERIFY(QFile::symLinkTarget(m_link).isEmpty());
    }

    void rejectsBadArguments_data()
    {
        QTest::addColumn<QString>("arguments");
        for (const char *arguments : {"--bogus", "extra", "--answer 4G", "--answer 4F4", "--stream 0",
                                      "--vanish-after -1", "--vanish-after 1 --repeat"})
            QTest::newRow(arguments) << QString(arguments);
    }
    void rejectsBadArguments()
    {
        QFETCH(QString, arguments);
        QProcess sim;
        sim.start(KVR_SIM_PATH, arguments.split(' '));
        QVERIFY(sim.waitForFinished(Patience));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardError().startsWith("kvr-sim: "));
    }
};

QTEST_GUILESS_MAIN(TestKvrSim)
#include "tst_kvrsim.moc"
