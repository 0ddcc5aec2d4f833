#pragma once

#include "ConsolePage.h"
#include "RefreshGate.h"
#include "RemoteJournal.h"
#include "RemoteServer.h"
#include "WorkingFolder.h"

class QLabel;

// The "Server" page: the status of the link on which a client console asks this console,
// the one wired to the controller, to reload its files and send everything again; for whom
// it listens and who is connected.
class ServerPage : public ConsolePage {
    Q_OBJECT
public:
    explicit ServerPage(const WorkingFolder &folder, QWidget *parent = nullptr);

    // Reads the allow list, listens and puts the console into server mode.
    void startUp() override;

    // The console ends: the client's connection is closed and the journal's sums written.
    void closeDown();

    RemoteServer &server() { return m_server; }
    // Spaces the refreshes the client asks for; tell it when the line is busy.
    RefreshGate &refreshGate() { return m_gate; }

signals:
    // Reload and send everything now; the gate has let the request through.
    void refreshRequested(const QString &peer);
    // A line for the journal and the status line: who may ask, a bad allow list record.
    void notice(const QString &text);

private:
    void showState();

    WorkingFolder m_folder;
    // The server goes first, then the gate, then the journal each of them reports to.
    RemoteJournal m_journal;
    RefreshGate m_gate;
    RemoteServer m_server;
    QLabel *m_listening = nullptr;
    QLabel *m_client = nullptr;
};
