#pragma once

#include "ConsolePage.h"
#include "RemoteClient.h"
#include "WorkingFolder.h"

class ConnectionStatusFrame;
class MessageQueue;
class QLineEdit;
class QPushButton;

// The "Client" page: the server console's host name (kept in HostName.txt), Connect,
// Refresh and the connection's status. A client console edits and saves files but sends
// nothing to a controller of its own.
class ClientPage : public ConsolePage {
    Q_OBJECT
public:
    static const QString HostNameFile; // "HostName.txt"

    ClientPage(const WorkingFolder &folder, MessageQueue &messages, QWidget *parent = nullptr);

    // Reads the host name and puts the console into client mode.
    void startUp() override;

    // What Exit keeps for the next start.
    QString hostName() const;
    // Writes HostName.txt for the next start: the host box's name while the page is in use,
    // else an empty name. "" when written, else why not.
    QString writeHostName(bool pageInUse) const;

    const RemoteClient &client() const { return m_client; }

private:
    void connectToServer();
    void hostChanged(const QString &text);

    WorkingFolder m_folder;
    MessageQueue &m_messages;
    RemoteClient m_client;
    QLineEdit *m_host = nullptr;
    ConnectionStatusFrame *m_status = nullptr;
    QPushButton *m_connect = nullptr;
    QString m_storedHost; // the box's last text that HostName.txt can hold
};
