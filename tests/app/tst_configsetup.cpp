#include "ConfigSetup.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList DesignCaptions{"Video",     "NVideo",  "Schedule", "SchTask",
                                 "Intensity", "IntTask", "Client",   "Server"};

struct PageRecord {
    QByteArray index;
    QByteArray caption;
    QByteArray flag;
};

// ConfigSetup.txt as installations write it: one record a line, texts in quotes. Fields are
// passed as written, so a row can put a letter where a number belongs.
QByteArray configFile(const QByteArray &pageCount, const QList<PageRecord> &pages,
                      const QByteArray &levelCount, const QList<QByteArray> &names,
                      const QList<QByteArray> &codes, const QByteArray &watchdog)
{
    QByteArray data = pageCount + ",\"Number of pages\"\r\n4,\"Pages per row\"\r\n";
    for (const PageRecord &page : pages)
        data += page.index + ",\"" + page.caption + "\"," + page.flag + "\r\n";
    data += levelCount + "\r\n";
    for (const QByteArray &name : names)
        data += "\"" + name + "\"\r\n";
    for (const QByteArray &code : codes)
        data += "\"" + code + "\"\r\n";
    return data + "\"Watchdog\"\r\n" + watchdog + "\r\n";
}

QList<PageRecord> eightPages(const QList<QByteArray> &flags)
{
    const QList<QByteArray> captions{"Operation", "Registers", "Daily",  "Yearly",
                                     "Lamp",      "Lamp Year", "Remote", "Host"};
    QList<PageRecord> pages;
    for (int i = 0; i < 8; ++i)
        pages << PageRecord{QByteArray::number(i), captions.at(i), flags.at(i)};
    return pages;
}

const QList<QByteArray> FourNames{"Low", "Medium", "High", "Spare"};
const QList<QByteArray> ThreeCodes{"16", "32", "64"};

QList<bool> flags(const QString &pattern)
{
    QList<bool> list;
    for (const QChar c : pattern)
        list << (c == QLatin1Char('1'));
    return list;
}

// Six table entries: the given ones, then empty.
QStringList table(QStringList entries)
{
    while (entries.size() < 6)
        entries << QString();
    return entries;
}

struct Written {
    QTemporaryDir dir;
    QString path;
    explicit Written(const QByteArray &data) : path(dir.filePath("ConfigSetup.txt"))
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(data);
    }
};

} // namespace

class TestConfigSetup : public QObject {
    Q_OBJECT
private slots:
    void readsInstallation_data();
    void readsInstallation();
    void unusableFileLeavesNoPageInUse_data();
    void unusableFileLeavesNoPageInUse();
};

void TestConfigSetup::readsInstallation_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<bool>>("inUse");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<int>("levelCount");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<int>("watchdog");
    QTest::addColumn<bool>("warned");

    const QStringList ownCaptions{"Operation", "Registers", "Daily",  "Yearly",
                                  "Lamp",      "Lamp Year", "Remote", "Host"};
    const QStringList threeNames = table({"Low", "Medium", "High", "Spare"});
    const QStringList threeCodes = table({"16", "32", "64"});

    QTest::newRow("eight pages, mixed flags, three levels")
        << configFile("8", eightPages({"1", "0", "1", "1", "-1", "0", "0", "2"}), "3", FourNames, ThreeCodes,
                      "1")
        << flags("10111001") << ownCaptions << 3 << threeNames << threeCodes << 1 << false;
    QTest::newRow("all flags 0, watchdog off")
        << configFile("8", eightPages(QList<QByteArray>(8, "0")), "3", FourNames, ThreeCodes, "0")
        << flags("00000000") << ownCaptions << 3 << threeNames << threeCodes << 0 << false;
    QTest::newRow("three pages: the others not in use, design captions")
        << configFile("3", {{"0", "Video", "1"}, {"1", "NVideo", "1"}, {"2", "Astro", "1"}}, "3", FourNames,
                      ThreeCodes, "1")
        << flags("11100000") << (QStringList{"Video", "NVideo", "Astro"} + DesignCaptions.mid(3)) << 3
        << threeNames << threeCodes << 1 << false;
    QTest::newRow("page records in any order")
        << configFile("2", {{"1", "Second", "1"}, {"0", "First", "0"}}, "3", FourNames, ThreeCodes, "1")
        << flags("01000000") << (QStringList{"First", "Second"} + DesignCaptions.mid(2)) << 3 << threeNames
        << threeCodes << 1 << false;
    QTest::newRow("no pages") << configFile("0", {}, "2", {"Off", "On", "-"}, {"0", "255"}, "1")
                              << flags("00000000") << DesignCaptions << 2 << table({"Off", "On", "-"})
                              << table({"0", "255"}) << 1 << false;
    QTest::newRow("five levels, the most there is")
        << configFile("0", {}, "5", {"a", "b", "c", "d", "e", "f"}, {"1", "2", "3", "4", "5"}, "1")
        << flags("00000000") << DesignCaptions << 5 << QStringList{"a", "b", "c", "d", "e", "f"}
        << table({"1", "2", "3", "4", "5"}) << 1 << false;

    // Out-of-range level counts are brought into range, but the file is still read by the
    // count it states, so the watchdog flag after the names and codes is the right field.
    QTest::newRow("level count 7 clamped to 5")
        << configFile("8", eightPages(QList<QByteArray>(8, "1")), "7",
                      {"n0", "n1", "n2", "n3", "n4", "n5", "n6", "n7"},
                      {"c0", "c1", "c2", "c3", "c4", "c5", "c6"}, "1")
        << flags("11111111") << ownCaptions << 5 << QStringList{"n0", "n1", "n2", "n3", "n4", "n5"}
        << table({"c0", "c1", "c2", "c3", "c4"}) << 1 << true;
    QTest::newRow("level count 1 raised to 2")
        << configFile("8", eightPages(QList<QByteArray>(8, "1")), "1", {"Only", "Spare"}, {"99"}, "1")
        << flags("11111111") << ownCaptions << 2 << table({"Only", "Spare"}) << table({"99"}) << 1 << true;
    QTest::newRow("level count 0 raised to 2")
        << configFile("0", {}, "0", {"Spare"}, {}, "1") << flags("00000000") << DesignCaptions << 2
        << table({"Spare"}) << table({}) << 1 << true;
    QTest::newRow("level count -1: no names, no codes")
        << configFile("0", {}, "-1", {}, {}, "1") << flags("00000000") << DesignCaptions << 2 << table({})
        << table({}) << 1 << true;
}

void TestConfigSetup::readsInstallation()
{
    QFETCH(QByteArray, data);
    QFETCH(QList<bool>, inUse);
    QFETCH(QStringList, captions);
    QFETCH(int, levelCount);
    QFETCH(QStringList, names);
    QFETCH(QStringList, codes);
    QFETCH(int, watchdog);
    QFETCH(bool, warned);

    Written file(data);
    const ConfigSetupRead read = ConfigSetup::read(file.path);
    QCOMPARE(read.problem, QString());
    QCOMPARE(!read.warning.isEmpty(), warned);

    const InstallationConfig &c = read.config;
    QCOMPARE(QList<bool>(c.inUse.begin(), c.inUse.end()), inUse);
    QCOMPARE(QStringList(c.captions.begin(), c.captions.end()), captions);
    QCOMPARE(c.IntensityLevelCount, levelCount);
    QCOMPARE(c.IntensityLevelNames, names);
    QCOMPARE(c.IntensityLevels, codes);
    QCOMPARE(c.WatchdogEnabled, watchdog);
}

void TestConfigSetup::unusableFileLeavesNoPageInUse_data()
{
    QTest::addColumn<QByteArray>("data");

    const QList<PageRecord> all = eightPages(QList<QByteArray>(8, "1"));
    const QByteArray good = configFile("8", all, "3", FourNames, ThreeCodes, "1");
    QTest::newRow("missing file") << QByteArray();
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("ends inside the page records") << good.left(good.indexOf("4,\"Lamp\""));
    QTest::newRow("ends before the watchdog flag") << good.left(good.lastIndexOf("1\r\n"));
    QTest::newRow("letter for a page flag") << configFile(
        "8", eightPages({"1", "1", "x", "1", "1", "1", "1", "1"}), "3", FourNames, ThreeCodes, "1");
    QTest::newRow("letter for the level count") << configFile("8", all, "three", FourNames, ThreeCodes, "1");
    QTest::newRow("letter for the watchdog flag") << configFile("8", all, "3", FourNames, ThreeCodes, "on");
    QTest::newRow("page index past the page count") << configFile(
        "3", {{"0", "A", "1"}, {"1", "B", "1"}, {"3", "C", "1"}}, "3", FourNames, ThreeCodes, "1");
    QTest::newRow("negative page index")
        << configFile("1", {{"-1", "A", "1"}}, "3", FourNames, ThreeCodes, "1");
    QTest::newRow("nine pages") << configFile("9", all + QList<PageRecord>{{"8", "Extra", "1"}}, "3",
                                              FourNames, ThreeCodes, "1");
}

void TestConfigSetup::unusableFileLeavesNoPageInUse()
{
    QFETCH(QByteArray, data);

    Written file(data);
    if (data.isNull())
        QFile::remove(file.path);
    const ConfigSetupRead read = ConfigSetup::read(file.path);
    QVERIFY(!read.problem.isEmpty());
    const InstallationConfig &c = read.config;
    QCOMPARE(QList<bool>(c.inUse.begin(), c.inUse.end()), QList<bool>(8, false));
    QCOMPARE(QStringList(c.captions.begin(), c.captions.end()), DesignCaptions);
}

QTEST_APPLESS_MAIN(TestConfigSetup)
#include "tst_configsetup.moc"
