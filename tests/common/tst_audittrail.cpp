#include "AuditTrail.h"

#include <QCoreApplication>
#include <QTest>

// The journal's audit trail: who caused the frames of an action and what went out, one line
// for each action.
class TestAuditTrail : public QObject {
    Q_OBJECT
    QStringList m_lines;

private slots:
    void init()
    {
        m_lines.clear();
        AuditTrail::setWriter([this](const QString &line) { m_lines << line; });
        AuditTrail::setOperator([] { return QStringLiteral("the operator (SbtnHue)"); });
    }

    void oneLinePerAction()
    {
        { // a runner's switch: its load is a step of it
            const AuditTrail::Scope cause("the schedule runner, the 18:00 entry of day.shd");
            const AuditTrail::Step step("loading B.pav");
            AuditTrail::sent("brightness 128");
            AuditTrail::sent("contrast 64");
        }
        { // a refresh with the port closed
            const AuditTrail::Scope cause("the refresh 10.0.0.5 asked for");
            AuditTrail::notSent("mode 1", "the serial port is closed");
            AuditTrail::notSent("hue 3", "the serial port is closed");
        }
        { // the operator's load button: a step without a cause names the operator
            const AuditTrail::Step step("loading A.pav");
            for (int i = 0; i < 12; ++i)
                AuditTrail::sent(i % 3 ? QStringLiteral("vga 01 02 03") : QStringLiteral("mode 2"));
        }
        QCOMPARE(m_lines, QStringList({
                              "the schedule runner, the 18:00 entry of day.shd, loading B.pav: sent brightness "
                              "128, contrast 64",
                              "the refresh 10.0.0.5 asked for: not sent mode 1, hue 3: the serial port is closed",
                              "the operator (SbtnHue), loading A.pav: sent 12 frames (4 mode, 8 vga)",
                          }));

        // A change on a page, outside any action: written once the event is handled.
        AuditTrail::sent("hue 200");
        AuditTrail::sent("hue 201");
        QCOMPARE(m_lines.size(), 3);
        QCoreApplication::processEvents();
        QCOMPARE(m_lines.last(), QString("the operator (SbtnHue): sent hue 200, hue 201"));
    }
};

QTEST_GUILESS_MAIN(TestAuditTrail)
#include "tst_audittrail.moc"
