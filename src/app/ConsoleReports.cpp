#include "ConsoleReports.h"

#include "AuditTrail.h"
#include "CommErrors.h"
#include "ConsoleState.h"
#include "DailyIntensity.h"
#include "DailySchedule.h"
#include "IntensityTask.h"
#include "MessageQueue.h"
#include "PortController.h"
#include "ScheduleTask.h"
#include "SerialLink.h"
#include "Transmitter.h"
#include "VideoControl.h"

#include <QApplication>

ConsoleReports::ConsoleReports(const ConsoleParts &parts, MessageQueue &messages, Report report,
                               std::function<void()> retransmit, QObject *parent)
    : QObject(parent), m_parts(parts), m_messages(messages), m_report(std::move(report)),
      m_retransmit(std::move(retransmit))
{
    wirePort();
    wireFiles(&parts.video, QStringLiteral("setting"));
    wireFiles(&parts.daily, QStringLiteral("schedule"));
    wireFiles(&parts.task, QStringLiteral("schedule task"));
    wireFiles(&parts.intensity, QStringLiteral("intensity"));
    wireFiles(&parts.intTask, QStringLiteral("intensity task"));
    wireIntensity();
    // Frames that no runner, start-up or refresh sends are the operator's, through the
    // control in use.
    AuditTrail::setOperator([] {
        const QWidget *control = QApplication::focusWidget();
        return control && !control->objectName().isEmpty()
                   ? QStringLiteral("the operator (%1)").arg(control->objectName())
                   : QStringLiteral("the operator");
    });
}

void ConsoleReports::wirePort()
{
    Transmitter *transmitter = &m_parts.transmitter;
    connect(transmitter, &Transmitter::frameRejected, this,
            [this](const QString &text) { m_report(QStringLiteral("frame"), text, Journal::Priority::Error); });
    connect(transmitter, &Transmitter::writeFailed, this,
            [this](int code) { m_messages.post(Journal::Priority::Error, CommErrorText(code)); });
    connect(transmitter, &Transmitter::queueFull, this,
            [this](const QString &text) { m_report(QStringLiteral("frame"), text, Journal::Priority::Error); });
    connect(&m_parts.ports, &PortController::message, this, [this](const QString &text, const QString &details) {
        m_messages.post(Journal::Priority::Error, text, QString(), QMessageBox::NoIcon, details);
    });
    // The port controller's status is a port that did not open or a file it refused; its
    // notes are a port opened or closed.
    connect(&m_parts.ports, &PortController::status, this,
            [this](const QString &text) { m_report(QStringLiteral("port"), text, Journal::Priority::Error); });
    connect(&m_parts.ports, &PortController::note, this,
            [this](const QString &text) { m_report(QStringLiteral("port"), text, Journal::Priority::Info); });

    connect(&m_parts.link, &SerialLink::lost, this, [this](const QString &device, const QString &reason) {
        if (m_ended)
            return; // the console is ending: its port goes with it
        m_lostMessage =
            QStringLiteral("The serial device %1 is gone (%2). The console tries to open it again "
                           "every few seconds.")
                .arg(device, reason);
        m_report(QStringLiteral("port"), m_lostMessage, Journal::Priority::Error);
        m_messages.post(Journal::Priority::Error, m_lostMessage);
    });
    connect(&m_parts.link, &SerialLink::restored, this, [this](const QString &device) {
        // The box saying it is gone is no longer true.
        m_messages.withdraw(m_lostMessage);
        const QString back = QStringLiteral("The serial device %1 is back and open again").arg(device);
        if (m_parts.state.ClientConsole) {
            // A client console sends nothing to a controller of its own.
            m_report(QStringLiteral("port"), back + QStringLiteral("."), Journal::Priority::Info);
            return;
        }
        // The controller may have been powered off with the adapter: give it everything again.
        {
            const AuditTrail::Scope cause(QStringLiteral("the return of the serial device"));
            m_retransmit();
        }
        m_report(QStringLiteral("port"), back + QStringLiteral("; the current settings went out again."),
                 Journal::Priority::Info);
    });
}

// A load that fails goes to the status line and the journal (the console runs on
// unattended); a save that fails is for the operator who asked for it, a save that worked
// is confirmed in the status line.
template <typename Source> void ConsoleReports::wireFiles(Source *source, const QString &topic)
{
    connect(source, &Source::loadFailed, this,
            [this](const QString &text) { m_report(QStringLiteral("load"), text, Journal::Priority::Error); });
    connect(source, &Source::saveFailed, this, [this](const QString &text) {
        m_report(QStringLiteral("save"), text, Journal::Priority::Error);
        m_messages.post(Journal::Priority::Error, text);
    });
    connect(source, &Source::saved, this, [this](const QString &path) {
        m_report(QStringLiteral("save"), QStringLiteral("Saved %1").arg(path), Journal::Priority::Info);
    });
    connect(source, &Source::status, this,
            [this, topic](const QString &text) { m_report(topic, text, Journal::Priority::Info); });
}

void ConsoleReports::wireIntensity()
{
    DailyIntensity *intensity = &m_parts.intensity;
    connect(intensity, &DailyIntensity::notSent, this,
            [this](const QString &text) { m_report(QStringLiteral("intensity"), text, Journal::Priority::Error); });
    connect(intensity, &DailyIntensity::warning, this,
            [this](const QString &text) { m_report(QStringLiteral("intensity"), text, Journal::Priority::Warning); });
    connect(intensity, &DailyIntensity::levelSent, this, [this, intensity](int position) {
        m_report(QStringLiteral("intensity"),
                 QStringLiteral("Level %1 sent").arg(intensity->levelNames().value(position, QString::number(position))),
                 Journal::Priority::Info);
    });
}
