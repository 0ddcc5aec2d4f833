#pragma once

#include "FrameDecoder.h"
#include "SimOptions.h"

#include <QObject>
#include <QTimer>

class PtyLink;

// The controller's side of the line: decodes what arrives, prints it, answers, streams
// and misbehaves as the options ask.
class Simulator : public QObject {
    Q_OBJECT
public:
    // A frame split by a pause this long is no longer expected to finish.
    static constexpr int IdleFlushMs = 300;

    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    bool start(QString *error);

signals:
    // Standard output is gone; nobody is reading the decoded lines any more.
    void outputClosed();

private:
    void receive(const QByteArray &bytes);
    void flushIdle();
    void printItems();
    void send(const QByteArray &bytes);
    void vanish();
    void comeBack();
    void announceLink();

    SimOptions m_options;
    FrameDecoder m_decoder;
    PtyLink *m_link = nullptr;
    QTimer m_idle;
    QTimer m_vanish;
    QTimer m_back;
    bool m_outputOk = true;
};
