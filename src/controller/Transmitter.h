#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class SerialLink;

// What became of one frame.
struct Transmission {
    QString whyNot; // empty when the frame went on the line; else why not, in words
    bool sent() const { return whyNot.isEmpty(); }
};

// TransmitToKVR: the one way a frame reaches the controller. Each call empties what was
// received so far (so the status box then shows the answer to this frame), builds the
// frame and queues it whole for the line when the port is open. A call that breaks a limit
// of the frame puts nothing on the line and says why.
class Transmitter : public QObject {
    Q_OBJECT
public:
    explicit Transmitter(SerialLink &link, QObject *parent = nullptr);

    // The code sent for each intensity level position (IntensityLevels), and the levels' names.
    void setIntensityLevels(const QStringList &levels, const QStringList &names = {})
    {
        m_intensityLevels = levels;
        m_levelNames = names;
    }

    Transmission TransmitToKVR(int mode, int value, const QByteArray &sValue = QByteArray());

    // Frames put on the line since the start, for the operator's count of a Retransmit.
    qint64 framesWritten() const { return m_framesWritten; }

signals:
    // Emitted for every call, before anything is written.
    void receiveCleared();
    void frameRejected(const QString &why);
    // The port refused the frame; CommErrMsg tells the operator.
    void writeFailed(int code);
    // The line's queue refused a frame: said once for each burst, until the queue has drained.
    void queueFull(const QString &text);

private:
    Transmission transmit(const QByteArray &frame);
    // "brightness 128", "intensity High (code 200)", "vga 0A 1B 2C": for the audit trail.
    QString describe(int mode, int value, const QByteArray &sValue) const;

    SerialLink &m_link;
    QStringList m_intensityLevels;
    QStringList m_levelNames;
    qint64 m_framesWritten = 0;
    bool m_queueFullSaid = false;
};
