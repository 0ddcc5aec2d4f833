#pragma once

#include "ConsoleParts.h"
#include "Journal.h"

#include <QObject>
#include <QString>
#include <functional>

class MessageQueue;

// Passes on what the console's parts say: a file that did not load or save and a save that
// worked, the runners' notes, a level sent or not sent, a frame refused, the port's messages
// and its device going away and coming back. Lines go to the journal and the status line
// through 'report'; what the operator must see goes to the message queue as well.
class ConsoleReports : public QObject {
    Q_OBJECT
public:
    using Report = std::function<void(const QString &topic, const QString &text, Journal::Priority priority)>;

    // 'retransmit' sends every current value again (a device that came back).
    ConsoleReports(const ConsoleParts &parts, MessageQueue &messages, Report report,
                   std::function<void()> retransmit, QObject *parent = nullptr);

    // The console ends: what its port does now is not news.
    void consoleEnds() { m_ended = true; }

private:
    template <typename Source> void wireFiles(Source *source, const QString &topic);
    void wirePort();
    void wireIntensity();

    ConsoleParts m_parts;
    MessageQueue &m_messages;
    Report m_report;
    std::function<void()> m_retransmit;
    QString m_lostMessage; // the box saying the serial device is gone, withdrawn when it is back
    bool m_ended = false;
};
