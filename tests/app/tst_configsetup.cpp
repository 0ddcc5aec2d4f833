#include "ConfigSetup.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// ConfigSetup.txt as installations write it, from a shorthand: | ends a record, ' stands for ".
// Fields are passed as written, so a row can put a letter where a number belongs.
QByteArray configFile(const QByteArray &pages,
                      const QByteArray &levels = "3|'Lo'|'Mid'|'Hi'|'Spare'|'16'|'32'|'64'",
                      const QByteArray &watchdog = "1")
{
    QByteArray data = pages + '|' + levels + "|'Watchdog'|" + watchdog + '|';
    return data.replace('|', "\r\n").replace('\'', '"');
}

// Eight page records in order, captions A to H, with the flags given ("1 0 ...").
QByteArray eightPages(const QByteArray &flags)
{
    QByteArray pages = "8,'Pages'|4,'Per row'";
    for (int i = 0; i < 8; ++i)
        pages += '|' + QByteArray::number(i) + ",'" + char('A' + i) + "'," + flags.split(' ').at(i);
    return pages;
}

// Each page's caption, + when in use; the level count, names and codes; the watchdog flag;
// whether it warned, and for a file that broke off, how many page records it kept.
QString summary(const ConfigSetupRead &read)
{
    const InstallationConfig &c = read.config;
    QString text;
    for (size_t i = 0; i < c.captions.size(); ++i)
        text += c.captions[i] + (c.inUse[i] ? "+ " : "- ");
    return text + "| " + QString::number(c.IntensityLevelCount) + " levels " +
           c.IntensityLevelNames.join(',') + " | " + c.IntensityLevels.join(',') + " | " +
           QString::number(c.WatchdogEnabled) + (read.warning.isEmpty() ? "" : ", warned") +
           (read.problem.isEmpty() ? "" : ", broken after " + QString::number(read.pageRecordsRead));
}

const QByteArray AllInUse = eightPages("1 1 1 1 1 1 1 1");
const QString AllPages = "A+ B+ C+ D+ E+ F+ G+ H+ ";

} // namespace

class TestConfigSetup : public QObject {
    Q_OBJECT
private slots:
    void readsInstallation_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("summary");
        QTest::newRow("eight pages, mixed flags") << configFile(eightPages("1 0 1 1 -1 0 0 2"))
                                                  << "A+ B- C+ D+ E+ F- G- H+ | 3 levels Lo,Mid,Hi,Spare,, | "
                                                     "16,32,64,,, | 1";
        QTest::newRow("all flags 0, watchdog off")
            << configFile(eightPages("0 0 0 0 0 0 0 0"), "2|'Off'|'On'|'-'|'0'|'255'", "0")
            << "A- B- C- D- E- F- G- H- | 2 levels Off,On,-,,, | 0,255,,,, | 0";
        // Pages without a record keep their design captions and are not in use.
        QTest::newRow("three pages in any order")
            << configFile("3,'Pages'|4,'Per row'|2,'C',1|0,'A',1|1,'B',0")
            << "A+ B- C+ SchTask- Intensity- IntTask- Client- Server- | 3 levels Lo,Mid,Hi,Spare,, | "
               "16,32,64,,, | 1";
        // An out-of-range level count is brought into range, but the file is still read by the
        // count it states, so the watchdog flag after the names and codes is the right field.
        QTest::newRow("level count 7 clamped to 5")
            << configFile(AllInUse,
                          "7|'n0'|'n1'|'n2'|'n3'|'n4'|'n5'|'n6'|'n7'|'c0'|'c1'|'c2'|'c3'|'c4'|'c5'|'c6'")
            << AllPages + "| 5 levels n0,n1,n2,n3,n4,n5 | c0,c1,c2,c3,c4, | 1, warned";
        QTest::newRow("level count 1 raised to 2")
            << configFile(AllInUse, "1|'Only'|'Spare'|'99'", "0")
            << AllPages + "| 2 levels Only,Spare,,,, | 99,,,,, | 0, warned";
        QTest::newRow("level count -1: no names, no codes")
            << configFile(AllInUse, "-1") << AllPages + "| 2 levels ,,,,, | ,,,,, | 1, warned";
        // "1 on", "8 pages" and an empty flag are numbers by the rule every file follows.
        QTest::newRow("fields read by the number rule")
            << configFile(QByteArray(AllInUse)
                              .replace("8,'Pages'", "8 pages,'Pages'")
                              .replace("0,'A',1", "0,'A',1 on")
                              .replace("1,'B',1", "1,'B',"))
            << "A+ B- C+ D+ E+ F+ G+ H+ | 3 levels Lo,Mid,Hi,Spare,, | 16,32,64,,, | 1";

        // A broken file keeps the page records read before the break; nothing else.
        const QByteArray good = configFile(AllInUse);
        const QString none =
            "Video- NVideo- Schedule- SchTask- Intensity- IntTask- Client- Server- | 2 levels "
            ",,,,, | ,,,,, | 0, broken after 0";
        QTest::newRow("missing file") << QByteArray() << none;
        QTest::newRow("nine pages") << configFile(QByteArray(AllInUse).replace("8,'P", "9,'P") + "|8,'I',1")
                                    << none;
        QTest::newRow("ends inside the page records")
            << good.left(good.indexOf("4,\"E\""))
            << "A+ B+ C+ D+ Intensity- IntTask- Client- Server- | 2 levels ,,,,, | ,,,,, | 0, broken after 4";
        QTest::newRow("page index past the page count")
            << configFile("3,'Pages'|4,'Per row'|0,'A',1|1,'B',1|3,'C',1")
            << "A+ B+ Schedule- SchTask- Intensity- IntTask- Client- Server- | 2 levels ,,,,, | ,,,,, | 0, "
               "broken after 2";
    }
    void readsInstallation()
    {
        QFETCH(QByteArray, data);
        QTemporaryDir dir;
        QTEST(summary(data.isNull() ? ConfigSetup::read(dir.filePath("ConfigSetup.txt"))
                                    : ConfigSetup::parse(data)),
              "summary");
    }
};

QTEST_APPLESS_MAIN(TestConfigSetup)
#include "tst_configsetup.moc"
