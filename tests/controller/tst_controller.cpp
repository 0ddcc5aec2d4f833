#include "ConsoleFolder.h"
#include "FileError.h"
#include "FrameBuilder.h"
#include "SettingFile.h"
#include "VgaRegisterFile.h"
#include "VideoSettings.h"

#include <QTest>

#include <tuple>

namespace {

using Ints = QList<int>;
constexpr int Ok = 0, Mismatch = int(FileError::TypeMismatch), PastEnd = int(FileError::InputPastEnd),
              Invalid = int(FileError::InvalidValue);

// One field a line, as the console writes it.
QByteArray lines(const QList<QByteArray> &fields)
{
    QByteArray data;
    for (const QByteArray &field : fields)
        data += field + "\r\n";
    return data;
}

const QStringList Texts{"PC", "Adaptive", "Linear", "On", "Composite1"};
const QList<QByteArray> QuotedTexts{"\"PC\"", "\"Adaptive\"", "\"Linear\"", "\"On\"", "\"Composite1\""};

} // namespace

// The controller's frames, setting files and VGAReg.cfg by themselves. How a damaged file stops
// a load, how a setting file is written and read from disk, what the console sends from
// VGAReg.cfg and how it paces the frames are checked end to end (tests/video, tests/console).
class TestController : public QObject {
    Q_OBJECT
private slots:
    // Frames are the worked examples of the KVR command table: STX 00 01 00, count, code, data,
    // EOT. An empty frame: the call is refused and nothing may be sent.
    void buildsFrames_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("frame");
        const QByteArray none;
        auto f = [](const char *hex) { return QByteArray::fromHex(hex); };
        QTest::newRow("brightness 0: a zero byte") << 2 << 0 << none << f("0200010002020004");
        QTest::newRow("intensity position 2: its code 200") << 10 << 2 << none << f("02000100020AC804");
        QTest::newRow("intensity code with blanks around it") << 10 << 3 << none << f("02000100020A0704");
        QTest::newRow("VGA registers, value ignored")
            << 11 << 999 << f("123456") << f("02000100040B12345604");
        QTest::newRow("no register data: count one") << 11 << 0 << none << f("02000100010B04");
        QTest::newRow("254 register bytes: count 255")
            << 11 << 0 << QByteArray(254, 'U') << f("02000100FF0B") + QByteArray(254, 'U') + '\x04';
        QTest::newRow("register data of 255 bytes") << 11 << 0 << QByteArray(255, '\x01') << none;
        QTest::newRow("brightness -1") << 2 << -1 << none << none;
        // Each command's highest value goes out and the one above it is refused: command, highest.
        const int highest[] = {1, 2, 2, 255, 3, 127, 4, 127, 5, 255, 6, 7, 7, 4, 8, 1, 9, 5, 16, 255};
        for (int i = 0; i < 20; i += 2) {
            const int mode = highest[i], max = highest[i + 1];
            QTest::addRow("command %d, %d", mode, max)
                << mode << max << none << f("0200010002") + char(mode) + char(max) + '\4';
            QTest::addRow("command %d, %d", mode, max + 1) << mode << max + 1 << none << none;
        }
        QTest::newRow("intensity position 6") << 10 << 6 << none << none;
        QTest::newRow("intensity level without a code") << 10 << 4 << none << none;
        QTest::newRow("intensity level code not a number") << 10 << 5 << none << none;
        QTest::newRow("command 12 is not in the table") << 12 << 0 << none << none;
        QTest::newRow("command 0") << 0 << 0 << none << none;
    }
    void buildsFrames()
    {
        QFETCH(int, mode);
        QFETCH(int, value);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, frame);
        const Frame built = FrameBuilder::build(mode, value, data, {"10", "100", "200", " 7 ", "", "abc"});
        QVERIFY2(built.ok() == !frame.isEmpty(), qPrintable(built.rejection));
        QCOMPARE(built.bytes.toHex(' '), frame.toHex(' '));
    }

    // Setting files as the console writes them (read back and formatted the same) and as hand or
    // older tools may have left them.
    void settingFile_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<Ints>("values"); // as far as read and accepted
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("written"); // as the console writes it
        // The five texts one a line, then the numbers.
        const auto f = [](const QByteArray &numbers) { return lines(QuotedTexts) + numbers + "\r\n"; };
        QTest::newRow("fresh state") << QByteArray("\"\"\r\n").repeated(5) +
                                            QByteArray("\"0\"\r\n").repeated(4)
                                     << QStringList{"", "", "", "", ""} << Ints{0, 0, 0, 0} << Ok << true;
        QTest::newRow("text outside ASCII in UTF-8, blanks and comma")
            << lines({"\"Caf\xc3\xa9 1\"", "\" a \"", "\"b,c\"", "\"On\"", "\"x\"", "\"1\"", "\"2\"", "\"3\"",
                      "\"4\""})
            << QStringList{QString::fromUtf8("Caf\xc3\xa9 1"), " a ", "b,c", "On", "x"} << Ints{1, 2, 3, 4}
            << Ok << true;
        QTest::newRow("nine on one line")
            << QByteArray("\"PC\",\"Adaptive\",\"Linear\",\"On\",\"Composite1\",128,64,64,128\r\n") << Texts
            << Ints{128, 64, 64, 128} << Ok << false;
        QTest::newRow("unquoted, blanks, hex; after the ninth field ignored")
            << f("128\r\n 64,&H40 ,128,\"rubbish\",x,y") << Texts << Ints{128, 64, 64, 128} << Ok << false;
        QTest::newRow("halves round to even in range")
            << f("\"0\",\"126.5\",\"127\",\"254.5\"") << Texts << Ints{0, 126, 127, 254} << Ok << false;
        QTest::newRow("empty file") << QByteArray() << QStringList() << Ints{} << PastEnd << false;
        QTest::newRow("digits then letters")
            << f("\"12ab\",64,64,128") << Texts << Ints{} << Mismatch << false;
        QTest::newRow("empty number field")
            << f("128,\"\",64,128") << Texts << Ints{128} << Mismatch << false;
        QTest::newRow("127.5 in contrast rounds to 128")
            << f("128,127.5,64,128") << Texts << Ints{128} << Invalid << false;
        QTest::newRow("huge saturation")
            << f("128,64,1e300,128") << Texts << Ints{128, 64} << Invalid << false;
        QTest::newRow("-1 in hue") << f("128,64,64,\"-1\"") << Texts << Ints{128, 64, 64} << Invalid << false;
    }
    void settingFile()
    {
        QFETCH(QByteArray, data);
        QFETCH(QStringList, texts);
        QFETCH(Ints, values);
        const SettingFileRead read = SettingFile::parse(data);
        QCOMPARE(read.texts, texts);
        QCOMPARE(read.values, values);
        QTEST(read.error, "error");
        QFETCH(bool, written);
        if (!written)
            return;
        VideoSettings s;
        std::tie(s.OperationModeText, s.HorFilterText, s.VerFilterText, s.AntigammaText, s.VideoSourceText) =
            std::tie(texts[0], texts[1], texts[2], texts[3], texts[4]);
        std::tie(s.brightness, s.contrast, s.saturation, s.hue) =
            std::tie(values[0], values[1], values[2], values[3]);
        QCOMPARE(SettingFile::format(s).bytes, data);
    }

    // Read from disk: the pause, the entries, then why the list stopped; "unusable": nothing
    // may be sent.
    void vgaRegisterFile_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: there is none
        QTest::addColumn<QString>("read");
        QTest::newRow("decimal, hex and quoted fields")
            << QByteArray("\"50\"\r\n16,\" &H20\",48\r\n&H10,&H20,&H30\r\n") << "50: 10 20 30, 10 20 30";
        QTest::newRow("negative pause counts as 0, no entry is no fault") << QByteArray("-20\r\n") << "0: ";
        QTest::newRow("60.2, octal, 3C; a field without a number is 0")
            << QByteArray("50\r\n60.2,&O74,3C\r\nx,,\"\"\r\n") << "50: 3C 3C 03, 00 00 00";
        QTest::newRow("halves to even; -0.4 and 255.4 still inside the range")
            << QByteArray("50\r\n2.5,3.5,-0.4\r\n255,0,255.4\r\n") << "50: 02 04 00, FF 00 FF";
        QTest::newRow("-0.6 ends the list") << QByteArray("50\r\n1,2,3\r\n-0.6,5,6\r\n4,5,6\r\n")
                                            << "50: 01 02 03 (entry 2: -0.6 is outside 0 to 255)";
        QTest::newRow("255.6 ends the list") << QByteArray("50\r\n1,2,3\r\n4,5,255.6\r\n")
                                             << "50: 01 02 03 (entry 2: 255.6 is outside 0 to 255)";
        QTest::newRow("entry over two lines; an incomplete last one is dropped")
            << QByteArray("50\r\n1,2\r\n3\r\n4,5\r\n") << "50: 01 02 03 (last entry incomplete)";
        QTest::newRow("pause not a number")
            << QByteArray("abc\r\n1,2,3\r\n") << "unusable (pause is not a number)";
        QTest::newRow("pause 40000") << QByteArray("40000\r\n1,2,3\r\n")
                                     << "unusable (pause 40000 is outside -32768 to 32767)";
        QTest::newRow("empty file") << QByteArray("") << "unusable (pause is missing)";
        QTest::newRow("no file") << QByteArray() << "unusable, missing (file not found)";
        QTest::newRow("too large") << QByteArray(VgaRegisterFile::MaxFileSize + 1, '1')
                                   << "unusable (file cannot be read (it is larger than 1 MiB, more than any "
                                      "file of its kind holds))";
    }
    void vgaRegisterFile()
    {
        QFETCH(QByteArray, file);
        ConsoleFolder dir;
        if (!file.isNull())
            dir.write("VGAReg.cfg", file);
        const VgaRegisterList list = VgaRegisterFile::read(dir.file("VGAReg.cfg"));
        QStringList entries;
        for (const QByteArray &entry : list.entries)
            entries << QString::fromLatin1(entry.toHex(' ').toUpper());
        QString read = QString::number(list.pauseMs) + ": " + entries.join(", ");
        read = (list.usable || list.pauseMs || !entries.isEmpty() ? read : "unusable") +
               (list.fileMissing ? ", missing" : "");
        QTEST(read + (list.stopReason.isEmpty() ? "" : " (" + list.stopReason + ")"), "read");
    }
};

QTEST_APPLESS_MAIN(TestController)
#include "tst_controller.moc"
