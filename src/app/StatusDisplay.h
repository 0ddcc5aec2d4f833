#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class ReceiveBuffer;
class StatusBox;

// Keeps the status box showing ReceiveBuffer. Every arrival goes into the buffer at once and
// in order; the box is brought up to date at most 10 times a second, with only what arrived
// since (drawing the rows of a controller that streams is the console's largest cost, and
// nobody reads faster). After Clear the box stays empty until the next arrival, which shows
// the whole buffer again.
class StatusDisplay : public QObject {
    Q_OBJECT
public:
    static constexpr int RefreshIntervalMs = 100;

    StatusDisplay(ReceiveBuffer &buffer, StatusBox &box, QObject *parent = nullptr);

    // Bytes that came from the controller.
    void received(const QByteArray &bytes);
    // A frame goes out: buffer and box start empty.
    void transmitted();
    // The operator's Clear: the box only.
    void clearBox();
    // Shows what is pending now (also done by the refresh timer).
    void refresh();

private:
    ReceiveBuffer &m_buffer;
    StatusBox &m_box;
    QTimer m_timer;
    QString m_pending;
    bool m_boxBehind = false; // the box no longer shows the buffer's start: show it whole
};
