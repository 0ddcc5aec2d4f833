#include "ServerPage.h"

#include "ButtonStates.h"
#include "ConnectionStatusFrame.h"
#include "Journal.h"

#include <QLabel>
#include <QVBoxLayout>

ServerPage::ServerPage(const WorkingFolder &folder, QWidget *parent)
    : ConsolePage(parent), m_folder(folder),
      m_journal([](const QString &line) { Journal::write(QStringLiteral("remote"), line); })
{
    auto *status = new ConnectionStatusFrame(QStringLiteral("Server Connection Status"), "fraServerStatus",
                                             "txthostServer", this);
    m_listening = new QLabel(this);
    m_listening->setObjectName(QStringLiteral("lblListening"));
    m_listening->setWordWrap(true);
    m_listening->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_client = new QLabel(this);
    m_client->setObjectName(QStringLiteral("lblConnectedClient"));
    m_client->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(m_listening);
    layout->addWidget(m_client);
    layout->addStretch(1);

    connect(&m_server, &RemoteServer::status, status, &ConnectionStatusFrame::showText);
    connect(&m_server, &RemoteServer::stateChanged, this, &ServerPage::showState);
    connect(&m_server.allowedClients(), &AllowedClients::changed, this, &ServerPage::showState);
    connect(&m_server.allowedClients(), &AllowedClients::problem, this, &ServerPage::notice);
    connect(&m_server, &RemoteServer::refused, this,
            [this](const QString &address) { m_journal.refused(address); });
    connect(&m_server, &RemoteServer::refreshRequested, this, [this](const QString &peer) {
        m_journal.wordReceived(peer);
        m_gate.request(peer);
    });
    connect(&m_gate, &RefreshGate::merged, this, [this](const QString &peer) { m_journal.merged(peer); });
    connect(&m_gate, &RefreshGate::refresh, this, [this](const QString &peer) {
        m_journal.refreshRun(peer);
        emit refreshRequested(peer);
    });
    showState();
}

void ServerPage::startUp()
{
    AllowedClients &allowed = m_server.allowedClients();
    allowed.load(m_folder.file(AllowedClients::FileName));
    if (!allowed.restricted()) {
        emit notice(
            QStringLiteral("Any host may ask for a refresh on port %1. To restrict it, list the consoles "
                           "that may (one quoted address, network or host name a line) in %2")
                .arg(RemoteServer::Port)
                .arg(m_folder.file(AllowedClients::FileName)));
    } else {
        emit notice(QStringLiteral("Refreshes on port %1 are taken from %2 only")
                        .arg(RemoteServer::Port)
                        .arg(allowed.description()));
    }
    m_server.listen();
    showState();
    ButtonStates server;
    server.shown = QStringList{"cmdIntScheduleSave", "cmdIntScheduleOpen", "cmdSaveDefaultNvideo",
                               "cmdSchTaskSave", "cmdIntScheduleNew"};
    server.hidden = QStringList{"cmdLoadNVideo"};
    server.enabled = QStringList{"CmdSendRegN"};
    server.applyTo(this);
}

void ServerPage::closeDown()
{
    m_server.closeConnection();
    m_journal.writeAll();
}

void ServerPage::showState()
{
    const QString port = QString::number(RemoteServer::Port);
    if (m_server.isListening()) {
        m_listening->setText(
            QStringLiteral("Listening on port %1 for %2").arg(port, m_server.allowedClients().description()));
    } else if (m_server.connection()) {
        m_listening->setText(
            QStringLiteral("Not listening on port %1 while a client is connected").arg(port));
    } else {
        m_listening->setText(QStringLiteral("Not listening on port %1").arg(port));
    }
    const QString client = m_server.clientAddress();
    m_client->setText(
        QStringLiteral("Connected client: %1").arg(client.isEmpty() ? QStringLiteral("none") : client));
}
