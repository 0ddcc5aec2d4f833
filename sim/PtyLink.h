#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// The controller's end of the serial line: a pseudo-terminal pair whose slave side the
// console opens through a symbolic link. The simulator keeps its own slave descriptor
// open, so the console opening and closing the port never hangs the master up.
class PtyLink : public QObject {
    Q_OBJECT
public:
    // An empty link path makes no link; the console then opens devicePath() directly.
    explicit PtyLink(const QString &linkPath, QObject *parent = nullptr);
    ~PtyLink() override;

    bool open(QString *error);
    // Closes both sides and removes the link, as if the adapter were pulled out.
    void close();
    bool isOpen() const { return m_master >= 0; }

    QString linkPath() const { return m_linkPath; }
    QString devicePath() const { return m_device; }

    // Writes what the terminal takes now. The rest is lost, like bytes on a line that
    // nobody reads; the count of lost bytes is returned.
    qint64 write(const QByteArray &bytes);

signals:
    void received(const QByteArray &bytes);

private:
    void readMaster();
    bool makeLink(QString *error);
    void removeLink();

    QString m_linkPath;
    QString m_device;
    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_resume; // re-arms reading after a hang-up instead of spinning on it
};
