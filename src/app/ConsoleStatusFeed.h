#pragma once

#include "ConsoleParts.h"

#include <QObject>
#include <QString>
#include <functional>

class ClientPage;
class ConsoleStatus;
class ServerPage;
struct InstallationConfig;

// Feeds the status panel from the parts that know: the port from its controller, the
// setting file from the loader and the daily runner, the level from the intensity setting,
// the next switches from the four runners' tables, the link from the server and client
// pages, the reply from the serial link.
class ConsoleStatusFeed : public QObject {
    Q_OBJECT
public:
    ConsoleStatusFeed(ConsoleStatus &status, const ConsoleParts &parts, ServerPage &server,
                      ClientPage &client, QObject *parent = nullptr);

    // Which runners and which end of the link the installation has (after ConfigSetup.txt).
    void setPagesInUse(const InstallationConfig &config);

    // The loads and sends that 'action' makes are put down to 'occasion' ("at start-up").
    void during(const QString &occasion, const std::function<void()> &action);

private:
    void wireRunners();
    void wireRemote();
    void showServer();
    void showClient();

    ConsoleStatus &m_status;
    ConsoleParts m_parts;
    ServerPage &m_server;
    ClientPage &m_client;
    bool m_serverInUse = false;
    bool m_clientInUse = false;
};
