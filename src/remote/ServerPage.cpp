#include "ServerPage.h"

#include "ButtonStates.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

ServerPage::ServerPage(QWidget *parent) : ConsolePage(parent)
{
    auto *frame = new QGroupBox(QStringLiteral("Server Connection Status"), this);
    frame->setObjectName(QStringLiteral("fraServerStatus"));
    m_status = new QLineEdit(frame);
    m_status->setObjectName(QStringLiteral("txthostServer"));
    m_status->setReadOnly(true);
    (new QVBoxLayout(frame))->addWidget(m_status);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addStretch(1);

    connect(&m_server, &RemoteServer::status, this, [this](const QString &text) {
        // A flooding client brings thousands of arrivals: the text is only set when it changes.
        if (m_status->text() == text)
            return;
        qInfo().noquote() << "txthostServer:" << text;
        m_status->setText(text);
    });
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
