#include "ConsoleStatusFeed.h"

#include "ClientPage.h"
#include "ConfigSetup.h"
#include "ConsoleState.h"
#include "ConsoleStatus.h"
#include "DailyIntensity.h"
#include "DailySchedule.h"
#include "IntensityTask.h"
#include "PortController.h"
#include "ScheduleTask.h"
#include "SerialLink.h"
#include "ServerPage.h"
#include "Transmitter.h"
#include "VideoControl.h"

#include <QFileInfo>

namespace {
QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

ConsoleStatus::Runner yearlyRunner(const QString &name, const YearlyTask &task)
{
    return {name, true, [&task] { return task.isRunning(); },
            [&task] { return task.table().column(YearlyTask::KeyCell); },
            [&task](int entry) { return nameOf(task.table().cell(entry, YearlyTask::PathCell)); }};
}
} // namespace

ConsoleStatusFeed::ConsoleStatusFeed(ConsoleStatus &status, const ConsoleParts &parts, ServerPage &server,
                                     ClientPage &client, QObject *parent)
    : QObject(parent), m_status(status), m_parts(parts), m_server(server), m_client(client)
{
    PortController *ports = &parts.ports;
    connect(ports, &PortController::stateChanged, this, [this, ports] {
        m_status.setPort(ports->portNumber(), ports->device(), ports->state(), ports->stateDetail());
    });
    connect(&parts.video, &VideoControl::settingFileOpened, &status, &ConsoleStatus::settingOpened);
    connect(&parts.daily, &DailySchedule::switched, this, [this](const QString &time) {
        const QString &schedule = m_parts.state.IntSchFile;
        m_status.settingSwitched(time, schedule.isEmpty() ? QStringLiteral("the daily schedule") : schedule);
    });
    connect(&parts.intensity, &DailyIntensity::levelSent, this,
            [this](int position, const QDateTime &, const QString &how) {
                m_status.levelSent(m_parts.intensity.levelNames().value(position, QString::number(position)),
                                   how);
            });
    connect(&parts.link, &SerialLink::received, &status, &ConsoleStatus::replyReceived);
    connect(&parts.transmitter, &Transmitter::receiveCleared, &status, &ConsoleStatus::frameSent);
    wireRunners();
    wireRemote();
}

void ConsoleStatusFeed::wireRunners()
{
    // Any change to a table or a mode may move a next switch; the status works them out
    // again once, after the event.
    auto changed = [this] { m_status.runnersChanged(); };
    connect(&m_parts.daily, &DailySchedule::tableChanged, this, changed);
    connect(&m_parts.task, &YearlyTask::tableChanged, this, changed);
    connect(&m_parts.intTask, &YearlyTask::tableChanged, this, changed);
    connect(&m_parts.intensity.runner(), &IntensityRunner::refreshed, this, changed);
    connect(&m_parts.intensity, &DailyIntensity::changed, this, changed);
}

void ConsoleStatusFeed::wireRemote()
{
    RemoteServer *server = &m_server.server();
    connect(server, &RemoteServer::stateChanged, this, &ConsoleStatusFeed::showServer);
    connect(&server->allowedClients(), &AllowedClients::changed, this, &ConsoleStatusFeed::showServer);
    connect(&m_server, &ServerPage::refreshRequested, &m_status, &ConsoleStatus::serverRefreshed);
    const RemoteClient *client = &m_client.client();
    connect(client, &RemoteClient::stateChanged, this, &ConsoleStatusFeed::showClient);
    connect(client, &RemoteClient::status, this, &ConsoleStatusFeed::showClient);
}

void ConsoleStatusFeed::showServer()
{
    if (!m_serverInUse)
        return;
    RemoteServer &server = m_server.server();
    m_status.setServer(server.isListening(), server.allowedClients().description(), server.clientAddress());
}

void ConsoleStatusFeed::showClient()
{
    if (!m_clientInUse)
        return;
    const RemoteClient &client = m_client.client();
    const QAbstractSocket::SocketState state = client.state();
    const QString word = state == QAbstractSocket::ConnectedState     ? QStringLiteral("connected")
                         : state == QAbstractSocket::UnconnectedState ? QStringLiteral("not connected")
                                                                      : QStringLiteral("connecting");
    m_status.setClient(client.remoteHost(), word);
}

void ConsoleStatusFeed::setPagesInUse(const InstallationConfig &config)
{
    const DailySchedule &daily = m_parts.daily;
    const IntensityRunner &runner = m_parts.intensity.runner();
    const DailyIntensity &intensity = m_parts.intensity;
    QList<ConsoleStatus::Runner> runners;
    if (config.pageInUse(Page::Schedule)) {
        runners.append(
            {QStringLiteral("Schedule"), false, [&daily] { return daily.isRunning(); },
             [&daily] { return daily.table().column(DailySchedule::TimeCell); },
             [&daily](int entry) { return nameOf(daily.table().cell(entry, DailySchedule::PathCell)); }});
    }
    if (config.pageInUse(Page::SchTask))
        runners.append(yearlyRunner(QStringLiteral("SchTask"), m_parts.task));
    if (config.pageInUse(Page::Intensity)) {
        runners.append({QStringLiteral("Intensity"), false, [&runner] { return runner.isRunning(); },
                        [&runner] {
                            QStringList keys;
                            for (const IntensityRunner::Entry &entry : runner.IntensityTable())
                                keys.append(entry.time);
                            return keys;
                        },
                        [&runner, &intensity](int entry) {
                            const int level = runner.IntensityTable().value(entry - 1).level;
                            return intensity.levelNames().value(level, QString::number(level));
                        }});
    }
    if (config.pageInUse(Page::IntTask))
        runners.append(yearlyRunner(QStringLiteral("IntTask"), m_parts.intTask));
    m_status.setRunners(runners);
    m_status.setInUse(ConsoleStatus::Setting, config.pageInUse(Page::Video) ||
                                                  config.pageInUse(Page::NVideo) ||
                                                  config.pageInUse(Page::Schedule));
    m_status.setInUse(ConsoleStatus::Intensity,
                      config.pageInUse(Page::Intensity) || config.pageInUse(Page::IntTask));
    m_serverInUse = config.pageInUse(Page::Server);
    m_clientInUse = config.pageInUse(Page::Client);
    showServer();
    showClient();
}

void ConsoleStatusFeed::during(const QString &occasion, const std::function<void()> &action)
{
    const QString before = m_parts.intensity.occasion();
    m_status.setOccasion(occasion);
    m_parts.intensity.setOccasion(occasion);
    action();
    m_parts.intensity.setOccasion(before);
    m_status.setOccasion(QString());
    m_status.runnersChanged();
}
