#include "FrameDecoder.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QList<FrameDecoder::Item> decodeInChunks(const QByteArray &input, int chunk, bool finish)
{
    FrameDecoder decoder;
    for (qsizetype i = 0; i < input.size(); i += chunk)
        decoder.feed(input.mid(i, chunk));
    if (finish)
        decoder.finish();
    return decoder.takeItems();
}

QStringList linesOf(const QList<FrameDecoder::Item> &items)
{
    QStringList lines;
    for (const FrameDecoder::Item &item : items)
        lines << item.line;
    return lines;
}

QByteArray rawOf(const QList<FrameDecoder::Item> &items)
{
    QByteArray raw;
    for (const FrameDecoder::Item &item : items)
        raw += item.raw;
    return raw;
}

} // namespace

class TestFrameDecoder : public QObject {
    Q_OBJECT
private slots:
    void oneFrame_data();
    void oneFrame();
    void sequence_data();
    void sequence();
    void randomInputAccountsForEveryByte();
};

void TestFrameDecoder::oneFrame_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");

    QTest::newRow("mode Video") << hex("02 00 01 00 02 01 01 04") << "01 mode Video";
    QTest::newRow("mode out of range") << hex("02 00 01 00 02 01 07 04") << "01 mode 7 (out of range)";
    QTest::newRow("brightness 128") << hex("02 00 01 00 02 02 80 04") << "02 brightness 128";
    QTest::newRow("contrast 64") << hex("02 00 01 00 02 03 40 04") << "03 contrast 64";
    QTest::newRow("contrast too high") << hex("02 00 01 00 02 03 80 04") << "03 contrast 128 (out of range)";
    QTest::newRow("saturation 127") << hex("02 00 01 00 02 04 7F 04") << "04 saturation 127";
    QTest::newRow("hue 0") << hex("02 00 01 00 02 05 00 04") << "05 hue 0";
    QTest::newRow("hfilter Adaptive") << hex("02 00 01 00 02 06 00 04") << "06 hfilter Adaptive";
    QTest::newRow("hfilter Filter6") << hex("02 00 01 00 02 06 07 04") << "06 hfilter Filter6";
    QTest::newRow("hfilter out of range") << hex("02 00 01 00 02 06 08 04") << "06 hfilter 8 (out of range)";
    QTest::newRow("vfilter Filter3") << hex("02 00 01 00 02 07 04 04") << "07 vfilter Filter3";
    QTest::newRow("vfilter out of range") << hex("02 00 01 00 02 07 05 04") << "07 vfilter 5 (out of range)";
    QTest::newRow("antigamma Off") << hex("02 00 01 00 02 08 01 04") << "08 antigamma Off";
    QTest::newRow("antigamma out of range")
        << hex("02 00 01 00 02 08 02 04") << "08 antigamma 2 (out of range)";
    QTest::newRow("source Composite1") << hex("02 00 01 00 02 09 00 04") << "09 source Composite1";
    QTest::newRow("source Svideo2") << hex("02 00 01 00 02 09 05 04") << "09 source Svideo2";
    QTest::newRow("source out of range") << hex("02 00 01 00 02 09 FF 04") << "09 source 255 (out of range)";
    QTest::newRow("intensity 200") << hex("02 00 01 00 02 0A C8 04") << "0A intensity 200";
    QTest::newRow("vga three bytes") << hex("02 00 01 00 04 0B 12 34 56 04") << "0B vga 12 34 56";
    QTest::newRow("vga no data") << hex("02 00 01 00 01 0B 04") << "0B vga";
    QTest::newRow("watchdog 60") << hex("02 00 01 00 02 10 3C 04") << "10 watchdog 60";
    QTest::newRow("unknown code") << hex("02 00 01 00 02 0C 05 04") << "0C unknown 05";
    QTest::newRow("value missing") << hex("02 00 01 00 01 02 04") << "02 brightness (expected 1 byte)";
    QTest::newRow("two values") << hex("02 00 01 00 03 10 3C 3D 04") << "10 watchdog 3C 3D (expected 1 byte)";

    QByteArray longest = hex("02 00 01 00 FF 0B");
    QString line = "0B vga";
    for (int i = 0; i < 254; ++i) {
        longest.append(char(i));
        line += QString::asprintf(" %02X", i);
    }
    longest.append('\x04');
    QTest::newRow("longest frame") << longest << line;
}

void TestFrameDecoder::oneFrame()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);

    for (int chunk : {1, 2, 3, 5, int(bytes.size())}) {
        const QList<FrameDecoder::Item> items = decodeInChunks(bytes, chunk, false);
        QCOMPARE(items.size(), 1);
        QVERIFY(items.at(0).frame);
        QCOMPARE(items.at(0).line, line);
        QCOMPARE(items.at(0).raw, bytes);
        QCOMPARE(items.at(0).code, int(uchar(bytes.at(5))));
    }
}

void TestFrameDecoder::sequence_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("finish");
    QTest::addColumn<QStringList>("lines");

    const QByteArray bright = hex("02 00 01 00 02 02 80 04");
    const QByteArray video = hex("02 00 01 00 02 01 01 04");
    const QByteArray vga = hex("02 00 01 00 04 0B 12 34 56 04");

    QTest::newRow("back to back") << bright + video + vga << false
                                  << QStringList{"02 brightness 128", "01 mode Video", "0B vga 12 34 56"};
    QTest::newRow("garbage before") << hex("41 42 43") + bright << false
                                    << QStringList{"?? stray 41 42 43", "02 brightness 128"};
    QTest::newRow("garbage between") << bright + hex("FF 04 00") + video << false
                                     << QStringList{"02 brightness 128", "?? stray FF 04 00",
                                                    "01 mode Video"};
    QTest::newRow("truncated then good") << hex("02 00 01 00 02 02") + bright << false
                                         << QStringList{"?? stray 02 00 01 00 02 02", "02 brightness 128"};
    QTest::newRow("count reaching into next frame")
        << hex("02 00 01 00 03 02 80") + bright << false
        << QStringList{"?? stray 02 00 01 00 03 02 80", "02 brightness 128"};
    QTest::newRow("wrong header") << hex("02 00 02 00 02 02 80 04") + video << false
                                  << QStringList{"?? stray 02 00 02 00 02 02 80 04", "01 mode Video"};
    QTest::newRow("lone STX") << hex("02") + bright << false
                              << QStringList{"?? stray 02", "02 brightness 128"};
    QTest::newRow("count of zero") << hex("02 00 01 00 00 04") + bright << false
                                   << QStringList{"?? stray 02 00 01 00 00 04", "02 brightness 128"};
    QTest::newRow("missing end byte") << hex("02 00 01 00 02 02 80 05") + video << false
                                      << QStringList{"?? stray 02 00 01 00 02 02 80 05", "01 mode Video"};
    QTest::newRow("garbage after, then pause")
        << bright + hex("41") << true << QStringList{"02 brightness 128", "?? stray 41"};
    QTest::newRow("unfinished frame, then pause")
        << hex("02 00 01 00 05 02") << true << QStringList{"?? stray 02 00 01 00 05 02"};
    QTest::newRow("frames inside an unfinished one")
        << hex("02 00 01 00 FF") + bright + video << true
        << QStringList{"?? stray 02 00 01 00 FF", "02 brightness 128", "01 mode Video"};
    QTest::newRow("unfinished frame waits")
        << bright + hex("02 00 01 00 FF 02") << false << QStringList{"02 brightness 128"};
}

void TestFrameDecoder::sequence()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, finish);
    QFETCH(QStringList, lines);

    for (int chunk : {1, 3, 7, int(bytes.size())}) {
        const QList<FrameDecoder::Item> items = decodeInChunks(bytes, chunk, finish);
        QCOMPARE(linesOf(items), lines);
        if (finish)
            QCOMPARE(rawOf(items), bytes);
    }
}

// Frames, pieces of frames and noise in random order: whatever the chunking, every byte
// comes out exactly once, the result does not depend on how the input was split, each
// frame decodes on its own again, and the decoder never holds more than a frame and a
// stray piece.
void TestFrameDecoder::randomInputAccountsForEveryByte()
{
    QRandomGenerator random(20240611);
    const QByteArray pieces[] = {
        hex("02 00 01 00 02 02 80 04"),
        hex("02 00 01 00 04 0B 12 34 56 04"),
        hex("02 00 01 00"),
        hex("02 00 01 00 FF"),
        hex("02 00 01"),
        hex("02"),
        hex("04"),
        hex("00 01 00"),
    };
    QByteArray input;
    while (input.size() < 200000) {
        if (random.bounded(3) == 0) {
            for (int n = random.bounded(1, 6); n > 0; --n)
                input.append(char(random.bounded(256)));
        } else {
            input.append(pieces[random.bounded(int(std::size(pieces)))]);
        }
    }

    FrameDecoder whole;
    whole.feed(input);
    whole.finish();
    const QList<FrameDecoder::Item> expected = whole.takeItems();
    QCOMPARE(rawOf(expected), input);

    FrameDecoder split;
    QList<FrameDecoder::Item> items;
    for (qsizetype i = 0; i < input.size();) {
        const int chunk = random.bounded(1, 300);
        split.feed(input.mid(i, chunk));
        i += chunk;
        QVERIFY(split.pendingBytes() < FrameDecoder::MaxFrameBytes + FrameDecoder::MaxStrayBytes);
        items += split.takeItems();
    }
    split.finish();
    items += split.takeItems();
    QCOMPARE(linesOf(items), linesOf(expected));

    int frames = 0;
    for (const FrameDecoder::Item &item : items) {
        if (!item.frame)
            continue;
        ++frames;
        FrameDecoder single;
        single.feed(item.raw);
        const QList<FrameDecoder::Item> again = single.takeItems();
        QCOMPARE(again.size(), 1);
        QCOMPARE(again.at(0).line, item.line);
    }
    QVERIFY(frames > 1000);
}

QTEST_GUILESS_MAIN(TestFrameDecoder)
#include "tst_framedecoder.moc"
