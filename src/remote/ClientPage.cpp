#include "ClientPage.h"

#include "ButtonStates.h"
#include "ConnectionStatusFrame.h"
#include "Controls.h"
#include "MessageQueue.h"
#include "RecordReader.h"
#include "RecordWriter.h"
#include "SafeFile.h"
#include "StorableText.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

const QString ClientPage::HostNameFile = QStringLiteral("HostName.txt");

ClientPage::ClientPage(const WorkingFolder &folder, MessageQueue &messages, QWidget *parent)
    : ConsolePage(parent), m_folder(folder), m_messages(messages)
{
    m_host = new QLineEdit(QStringLiteral("Enter Host Name"), this);
    m_host->setObjectName(QStringLiteral("txtHostName"));
    auto *label = new QLabel(QStringLiteral("&Host Server Name :"), this);
    label->setBuddy(m_host);
    m_connect = makeButton(this, "cmdConnect", QStringLiteral("&Connect"));
    QPushButton *refresh = makeButton(this, "CmdRefresh", QStringLiteral("Re&fresh"));

    m_status = new ConnectionStatusFrame(QStringLiteral("Client Connection Status"), "fraClientStatus",
                                         "txtClientStatus", this);

    auto *grid = new QGridLayout;
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_host, 0, 1);
    grid->addWidget(m_connect, 0, 2);
    grid->addWidget(refresh, 1, 2);
    grid->setColumnStretch(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_status);
    layout->addStretch(1);

    m_client.setRemoteHost(m_host->text());
    m_storedHost = m_host->text();
    connect(m_host, &QLineEdit::textChanged, this, &ClientPage::hostChanged);
    connect(m_host, &QLineEdit::returnPressed, this, &ClientPage::connectToServer);
    connect(m_connect, &QPushButton::clicked, this, &ClientPage::connectToServer);
    connect(refresh, &QPushButton::clicked, &m_client, &RemoteClient::refresh);
    connect(&m_client, &RemoteClient::status, m_status, &ConnectionStatusFrame::showText);
    connect(&m_client, &RemoteClient::closedByServer, this, [this] { m_connect->setEnabled(true); });
    connect(&m_client, &RemoteClient::failed, this, [this] {
        m_connect->setEnabled(true);
        m_host->setEnabled(true);
    });
}

void ClientPage::startUp()
{
    // A first start has no file yet: the name is empty then.
    int error = 0;
    m_host->setText(
        RecordReader(readWholeFile(m_folder.file(HostNameFile), &error)).next().value_or(QString()));

    ButtonStates client;
    client.shown = QStringList{"cmdIntScheduleSaveAs", "cmdIntScheduleOpen", "cmdLoadNVideo",
                               "cmdSchTaskOpen", "cmdSchTaskSaveAs"};
    client.hidden = QStringList{"cmdIntScheduleSave", "cmdIntScheduleNew", "cmdSaveDefaultNvideo",
                                "cmdSchTaskNew", "cmdSchTaskSave"};
    client.enabled = QStringList{"CmdSaveAsNVideo"};
    client.disabled = QStringList{"CmdSendRegN", "cmdApply", "cmdRetransmit", "cmdPort"};
    client.applyTo(this);
}

void ClientPage::hostChanged(const QString &text)
{
    // HostName.txt keeps the name between double quotes: a name it cannot hold is not taken,
    // so Exit never writes a record that the next start would read differently.
    const QString why = StorableText::refusal(QStringLiteral("The host name"), text,
                                              StorableText::Place::Field, QStringLiteral("HostName.txt"));
    if (!why.isEmpty()) {
        const int cursor = m_host->cursorPosition();
        const QSignalBlocker blocker(m_host);
        m_host->setText(m_storedHost);
        m_host->setCursorPosition(qMin(cursor, int(m_storedHost.size())));
        m_status->showText(QStringLiteral("%1; it was not taken.").arg(why));
        return;
    }
    m_storedHost = text;
    m_client.setRemoteHost(text);
}

QString ClientPage::hostName() const
{
    return m_host->text();
}

QString ClientPage::writeHostName(bool pageInUse) const
{
    const FileBytes record =
        RecordWriter().text(pageInUse ? hostName() : QString()).endRecord().result(DefaultReadLimit);
    return record.ok() ? writeWholeFile(m_folder.file(HostNameFile), record.bytes) : record.refusal;
}

void ClientPage::connectToServer()
{
    if (m_host->text().isEmpty()) {
        m_messages.post(QStringLiteral("Please Enter Host Server Name"));
        return;
    }
    // Disabled first: a connection that fails at once reports its error (which enables them
    // again) before connectToServer returns.
    m_connect->setEnabled(false);
    m_host->setEnabled(false);
    m_client.connectToServer();
}
