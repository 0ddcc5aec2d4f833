#pragma once

#include "ConsolePage.h"
#include "RemoteServer.h"

// The "Server" page: the status of the link on which a client console asks this console,
// the one wired to the controller, to reload its files and send everything again.
class ServerPage : public ConsolePage {
    Q_OBJECT
public:
    explicit ServerPage(QWidget *parent = nullptr);

    // Listens and puts the console into server mode.
    void startUp() override;

    RemoteServer &server() { return m_server; }

signals:
    void refreshRequested(const QString &peer);

private:
    RemoteServer m_server;
};
