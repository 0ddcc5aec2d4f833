#include "Frames.h"
#include "PortSettings.h"
#include "PtyPair.h"
#include "SerialLink.h"
#include "Transmitter.h"
#include "VideoPanel.h"

#include <QTest>
#include <memory>

using Frames::hex;

// The video panel without widgets: values, displays, option selections and what each of
// them puts on a real pseudo-terminal.
class TestVideoPanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void pictureValueShowsPercentAndSendsValue_data();
    void pictureValueShowsPercentAndSendsValue();
    void applySettingsSelectsFromTexts_data();
    void applySettingsSelectsFromTexts();
    void retransmitSendsNineFramesFromDisplays_data();
    void retransmitSendsNineFramesFromDisplays();

private:
    PtyPair m_pty;
    SerialLink m_link;
    std::unique_ptr<Transmitter> m_transmitter;
    std::unique_ptr<VideoPanel> m_panel;
};

void TestVideoPanel::initTestCase()
{
    QVERIFY(m_pty.isValid());
    QCOMPARE(m_link.open(m_pty.slavePath(), PortSettings::defaults()), 0);
    m_transmitter = std::make_unique<Transmitter>(m_link);
}

void TestVideoPanel::init()
{
    m_panel = std::make_unique<VideoPanel>(*m_transmitter);
    Frames::drain(m_pty);
}

void TestVideoPanel::pictureValueShowsPercentAndSendsValue_data()
{
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QByteArray>("frames");

    const int b = int(Picture::Brightness), c = int(Picture::Contrast), s = int(Picture::Saturation),
              h = int(Picture::Hue);
    QTest::newRow("brightness 128 is half") << b << 128 << "128 (50%)" << Frames::one(2, 0x80);
    QTest::newRow("brightness 255 is full") << b << 255 << "255 (100%)" << Frames::one(2, 0xFF);
    QTest::newRow("brightness 1 rounds down to 0%") << b << 1 << "1 (0%)" << Frames::one(2, 1);
    QTest::newRow("brightness 2 rounds up to 1%") << b << 2 << "2 (1%)" << Frames::one(2, 2);
    QTest::newRow("contrast 1 is 1% of 127") << c << 1 << "1 (1%)" << Frames::one(3, 1);
    QTest::newRow("contrast 127 is full") << c << 127 << "127 (100%)" << Frames::one(3, 0x7F);
    QTest::newRow("saturation 64 is 50%") << s << 64 << "64 (50%)" << Frames::one(4, 0x40);
    QTest::newRow("hue 191 is 75%") << h << 191 << "191 (75%)" << Frames::one(5, 0xBF);
    QTest::newRow("brightness 0 is no change") << b << 0 << "0 (0%)" << QByteArray();
    QTest::newRow("brightness 256 is refused") << b << 256 << "0 (0%)" << QByteArray();
    QTest::newRow("contrast 128 is refused") << c << 128 << "0 (0%)" << QByteArray();
    QTest::newRow("negative saturation is refused") << s << -1 << "0 (0%)" << QByteArray();
}

void TestVideoPanel::pictureValueShowsPercentAndSendsValue()
{
    QFETCH(int, picture);
    QFETCH(int, value);
    QFETCH(QString, display);
    QFETCH(QByteArray, frames);

    // The second call changes nothing and so sends nothing.
    m_panel->setPictureValue(Picture(picture), value);
    m_panel->setPictureValue(Picture(picture), value);
    QCOMPARE(m_panel->pictureValue(Picture(picture)), frames.isEmpty() ? 0 : value);
    QCOMPARE(m_panel->displayText(Picture(picture)), display);
    QCOMPARE(hex(Frames::received(m_pty, frames.size())), hex(frames));
}

void TestVideoPanel::applySettingsSelectsFromTexts_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QByteArray>("frames");
    QTest::addColumn<QString>("antigammaText");

    QTest::newRow("named options all send, in group order")
        << QStringList{"PC", "Adaptive", "Linear", "On", "Composite1"}
        << Frames::many({{1, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}}) << "On";
    QTest::newRow("lower-case video falls to Both")
        << QStringList{"video", "Bypassed", "Filter3", "Off", "Svideo1"}
        << Frames::many({{1, 2}, {6, 1}, {7, 4}, {8, 1}, {9, 4}}) << "Off";
    QTest::newRow("empty antigamma becomes Off")
        << QStringList{"Video", "Filter6", "Bypassed", "", "Composite4"}
        << Frames::many({{1, 1}, {6, 7}, {7, 1}, {8, 1}, {9, 3}}) << "Off";
    QTest::newRow("texts outside the tables leave their groups alone")
        << QStringList{"PC", "Filter7", "filter1", "On", "Svideo3"} << Frames::many({{1, 0}, {8, 0}}) << "On";
    QTest::newRow("Svideo2 sends source 5")
        << QStringList{"Both", "Filter1", "Linear", "on", "Svideo2"}
        << Frames::many({{1, 2}, {6, 2}, {7, 0}, {8, 1}, {9, 5}}) << "Off";
    QTest::newRow("empty texts of a first start")
        << QStringList{"", "", "", "", ""} << Frames::many({{1, 2}, {8, 1}}) << "Off";
}

void TestVideoPanel::applySettingsSelectsFromTexts()
{
    QFETCH(QStringList, texts);
    QFETCH(QByteArray, frames);
    QFETCH(QString, antigammaText);

    for (int i = 0; i < texts.size(); ++i)
        m_panel->setText(i, texts.at(i));
    QCOMPARE(Frames::received(m_pty, 0, 0, 50), QByteArray()); // texts alone send nothing

    m_panel->ApplySettingsToPanel();
    QCOMPARE(hex(Frames::received(m_pty, frames.size())), hex(frames));
    const VideoSettings &s = m_panel->settings();
    QCOMPARE(s.AntigammaText, antigammaText);
    QCOMPARE(s.HorFilterText, texts.at(1)); // an unmatched text is kept as it was read
    QCOMPARE(s.VideoSourceText, texts.at(4));

    // The same texts again change no selection.
    m_panel->ApplySettingsToPanel();
    QCOMPARE(Frames::received(m_pty, 0, 0, 50), QByteArray());
}

void TestVideoPanel::retransmitSendsNineFramesFromDisplays_data()
{
    QTest::addColumn<int>("picture");
    QTest::addColumn<QString>("display");
    QTest::addColumn<int>("sent");

    QTest::newRow("displays as the spins left them") << int(Picture::Brightness) << "" << 100;
    QTest::newRow("brightness display 200 (78%) over spin 100")
        << int(Picture::Brightness) << "200 (78%)" << 200;
    QTest::newRow("contrast display with blanks and a half")
        << int(Picture::Contrast) << "  13.5 (11%)" << 14;
    QTest::newRow("hue display 12.5 rounds to even") << int(Picture::Hue) << "12.5" << 12;
    QTest::newRow("saturation display without a number") << int(Picture::Saturation) << "none" << 0;
}

void TestVideoPanel::retransmitSendsNineFramesFromDisplays()
{
    QFETCH(int, picture);
    QFETCH(QString, display);
    QFETCH(int, sent);

    QList<int> values{100, 50, 60, 70};
    for (int i = 0; i < values.size(); ++i)
        m_panel->setPictureValue(Picture(i), values.at(i));
    const QStringList texts{"Video", "Filter2", "Filter1", "Off", "Svideo1"};
    for (int i = 0; i < texts.size(); ++i)
        m_panel->setText(i, texts.at(i));
    m_panel->ApplySettingsToPanel();
    if (!display.isEmpty())
        m_panel->setDisplayText(Picture(picture), display);
    Frames::drain(m_pty);

    m_panel->RetransmitVideo();
    values[picture] = sent;
    const QByteArray expected = Frames::many({{1, 1},
                                              {2, values[0]},
                                              {3, values[1]},
                                              {4, values[2]},
                                              {5, values[3]},
                                              {6, 3},
                                              {7, 2},
                                              {8, 1},
                                              {9, 4}});
    QCOMPARE(hex(Frames::received(m_pty, expected.size())), hex(expected));
    // The spin value stays what it was.
    QCOMPARE(m_panel->pictureValue(Picture::Brightness), 100);
}

QTEST_GUILESS_MAIN(TestVideoPanel)
#include "tst_videopanel.moc"
