#include "ServerPage.h"

#include "ButtonStates.h"
#include "ConnectionStatusFrame.h"

#include <QVBoxLayout>

ServerPage::ServerPage(QWidget *parent) : ConsolePage(parent)
{
    auto *status = new ConnectionStatusFrame(QStringLiteral("Server Connection Status"), "fraServerStatus",
                                             "txthostServer", this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addStretch(1);

    connect(&m_server, &RemoteServer::status, status, &ConnectionStatusFrame::showText);
    connect(&m_server, &RemoteServer::refreshRequested, this, &ServerPage::refreshRequested);
}

void ServerPage::startUp()
{
    m_server.listen();
    ButtonStates server;
    server.shown = QStringList{"cmdIntScheduleSave", "cmdIntScheduleOpen", "cmdSaveDefaultNvideo",
                               "cmdSchTaskSave", "cmdIntScheduleNew"};
    server.hidden = QStringList{"cmdLoadNVideo"};
    server.enabled = QStringList{"CmdSendRegN"};
    server.applyTo(this);
}
