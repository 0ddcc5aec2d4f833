#pragma once

#include "Clock.h"
#include "PortState.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <array>
#include <functional>

// What is in force on the console and what comes next, for the operator at a glance: the
// port; the setting file and the intensity level in force, since when and how they got
// there; the next switch of each runner; the remote link; the controller's last reply. The
// runners, the link and the pages feed it; the window's strip and the tray's tooltip show
// it. It asks the clock for the next switches when a table, a runner or a switch says so,
// and once a minute otherwise, never every second.
class ConsoleStatus : public QObject {
    Q_OBJECT
public:
    enum Part { Port, Setting, Intensity, Next, Remote, Reply, PartCount };

    // A runner as the panel reads it, afresh each time the next switches are worked out.
    struct Runner {
        QString name;        // "Schedule", "SchTask", "Intensity", "IntTask"
        bool yearly = false; // keys "yyyyMMdd" over twelve months, else "HH:mm" over 24 hours
        std::function<bool()> running;
        std::function<QStringList()> keys; // in table order
        std::function<QString(int)> value; // what entry i (1..N) puts in force, shortly
    };

    // The reply is kept to its newest bytes.
    static constexpr int ReplyTail = 24;

    explicit ConsoleStatus(const Clock &clock, QObject *parent = nullptr);

    // Which parts the installation has; the port and the reply always are.
    void setInUse(Part part, bool inUse);
    bool inUse(Part part) const;
    void setRunners(QList<Runner> runners);

    void setPort(int number, const QString &device, PortState state, const QString &detail);
    // What the loads and sends that follow are put down to ("at start-up"); "" ends it.
    void setOccasion(const QString &text);
    // A setting file was opened; 'inForce' when its values are now the current ones.
    void settingOpened(const QString &file, bool inForce);
    // The load just made was the daily runner's, for its entry at 'time' of 'schedule'.
    void settingSwitched(const QString &time, const QString &schedule);
    // 'how' as the intensity setting words it ("automatic, the 06:00 entry, after Apply").
    void levelSent(const QString &level, const QString &how);
    // A table changed, or a runner started or stopped: the next switches are worked out again
    // once the current event is over.
    void runnersChanged();
    // 'listeningFor' names who may ask ("any host"); 'peer' is the connected client or "".
    void setServer(bool listening, const QString &listeningFor, const QString &peer);
    void serverRefreshed(const QString &peer);
    // 'state' in words: "connected", "connecting", "not connected".
    void setClient(const QString &host, const QString &state);
    void replyReceived(const QByteArray &bytes);
    // A frame went out: the next bytes that arrive begin a new reply.
    void frameSent() { m_replyEnded = true; }

    // Works the next switches out again from the clock (the minute timer does this).
    void updateNext();

    // One line each, "" for a part not in use; the detail adds what the line leaves out.
    QString text(Part part) const;
    QString detail(Part part) const;
    static QString caption(Part part);
    bool portOpen() const { return m_port.state == PortState::Open; }
    // The state on one line, for a service manager's status.
    QString summary() const;
    // "PAV Control", then a line for each part in use.
    QString toolTip() const;

signals:
    // Something shown changed; said once per event, and for the reply at most once a second.
    void changed();

private:
    struct NextSwitch {
        QString runner;
        QDateTime at; // invalid: no switch ahead
        QString what;
        bool yearly = false;
        bool running = false;
    };

    NextSwitch nextOf(const Runner &runner, const QDateTime &now) const;
    QString since(const QDateTime &at) const;
    QString whenText(const NextSwitch &next) const;
    QString portText() const;
    QString settingText() const;
    QString intensityText() const;
    QStringList nextLines() const;
    QString remoteText() const;
    QString replyText() const;
    void notify();
    void armMinute();

    const Clock &m_clock;
    std::array<bool, PartCount> m_inUse{true, false, false, false, false, true};
    QList<Runner> m_runners;
    QList<NextSwitch> m_next;

    struct {
        int number = 0;
        QString device;
        PortState state = PortState::Closed;
        QString detail;
    } m_port;

    QString m_occasion;
    struct {
        QString file;
        QDateTime since;
        QString cause;
        bool inForce = false;
    } m_setting;
    struct {
        QString level;
        QDateTime since;
        QString how;
    } m_level;

    bool m_serverInUse = false;
    bool m_listening = false;
    QString m_listeningFor;
    QString m_peer;
    QString m_refreshPeer;
    QDateTime m_refreshAt;
    bool m_clientInUse = false;
    QString m_host;
    QString m_clientState;

    QByteArray m_reply;
    qint64 m_replyBytes = 0;
    QElapsedTimer m_replySince; // since the last arrival
    bool m_replyEnded = true;

    QTimer m_notify;      // one changed() per event
    QTimer m_replyNotify; // the reply's changed() at most once a second
    QTimer m_recompute;   // the next switches, once the event that changed a table is over
    QTimer m_minute;
};
