#include "FrameDecoder.h"

#include <QTest>

class TestFrameDecoder : public QObject {
    Q_OBJECT
    static QByteArray hex(const char *text) { return QByteArray::fromHex(text); }
    // A well-formed frame around the command code and value bytes given in hex.
    static QByteArray frame(const char *body)
    {
        return hex("02 00 01 00") + char(hex(body).size()) + hex(body) + '\4';
    }
    // Fed whole and byte by byte, the input gives the same lines.
    void checkDecoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, lines);
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
            QCOMPARE(got, lines);
        }
    }

private slots:
    void wellFormed_data();
    void wellFormed() { checkDecoding(); }
    void damaged_data();
    void damaged() { checkDecoding(); }
};

void TestFrameDecoder::wellFormed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("lines"); // one a frame or run of stray bytes, each ending in \n
    QTest::newRow("worked examples") << frame("02 80") + frame("0B 11 00 5F")
                                     << "02 brightness 128\n0B vga 11 00 5F\n";
    QTest::newRow("first and last names")
        << frame("01 02") + frame("06 00") + frame("06 07") + frame("07 04") + frame("08 01") + frame("09 05")
        << "01 mode Both\n06 hfilter Adaptive\n06 hfilter Filter6\n07 vfilter Filter3\n08 antigamma Off\n"
           "09 source Svideo2\n";
    QTest::newRow("numbers at their limits")
        << frame("03 7F") + frame("04 80") + frame("05 FF") + frame("0A C8") + frame("10 3C")
        << "03 contrast 127\n04 saturation 128 (out of range)\n05 hue 255\n0A intensity 200\n"
           "10 watchdog 60\n";
    QTest::newRow("names past their list, wrong number of value bytes, unknown code")
        << frame("01 03") + frame("07 05") + frame("02") + frame("10 3C 3D") + frame("0B") + frame("0C 05")
        << "01 mode 3 (out of range)\n07 vfilter 5 (out of range)\n02 brightness (expected 1 byte)\n"
           "10 watchdog 3C 3D (expected 1 byte)\n0B vga\n0C unknown 05\n";
    QTest::newRow("longest frame, count 255") << hex("02 00 01 00 FF 0B") + QByteArray(254, 'A') + '\4'
                                              << "0B vga" + QString(" 41").repeated(254) + '\n';
}

void TestFrameDecoder::damaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("lines");
    const auto row = [](const char *name, const char *bad) {
        QTest::newRow(name) << hex(bad) + frame("02 80")
                            << "?? stray " + QString(bad) + "\n02 brightness 128\n";
    };
    row("garbage before", "41 42 43");
    row("truncated then good", "02 00 01 00 02 02");
    row("wrong header", "02 00 02 00 02 02 80 04");
    row("count 0", "02 00 01 00 00 04");
    row("missing end byte", "02 00 01 00 02 02 80 05");
    // Only the STX of a broken frame is given up: frames its count reached over still decode.
    QTest::newRow("frames inside an unfinished one")
        << hex("02 00 01 00 FF") + frame("02 80") + frame("01 01")
        << "?? stray 02 00 01 00 FF\n02 brightness 128\n01 mode Video\n";
}

QTEST_GUILESS_MAIN(TestFrameDecoder)
#include "tst_framedecoder.moc"
