#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

// Who may ask this console for a refresh: AllowedClients.txt in the working folder, one quoted
// address, network ("192.168.10.0/24", "fd00::/8") or host name a record. Without the file
// anyone may; a file that lists no one allows no one. Host names are looked up in the
// background each time the file is loaded; until its answer comes a name matches no one.
class AllowedClients : public QObject {
    Q_OBJECT
public:
    static const QString FileName; // "AllowedClients.txt"
    // Far more than any list of consoles; a larger file is not read.
    static constexpr qint64 MaxFileSize = qint64(64) * 1024;

    explicit AllowedClients(QObject *parent = nullptr);

    // Reads the file at 'path' and starts the name lookups. A record that is not an address,
    // network or name is reported with its line and left out; a file that exists but cannot
    // be read allows no one.
    void load(const QString &path);

    // A file is in force (otherwise anyone may connect).
    bool restricted() const { return m_restricted; }
    bool allows(const QHostAddress &peer) const;
    // "any host", "no host", or the entries, each name with what it was found to be.
    QString description() const;

    // An IPv4 peer that reached a dual-stack socket as ::ffff:a.b.c.d, as its IPv4 address;
    // any other address as it is.
    static QHostAddress plain(const QHostAddress &address);

signals:
    // A bad record, an unreadable file or a name not found, in words.
    void problem(const QString &text);
    // A name's lookup has answered.
    void changed();

private:
    struct Entry {
        enum Kind { Address, Network, Name } kind = Address;
        QString text;
        QHostAddress address;      // the address, or the network's base
        int prefix = -1;           // the network's prefix length
        QList<QHostAddress> found; // a name's addresses, once looked up
        bool lookedUp = false;
    };

    void parse(const QByteArray &data);
    void lookUp(int index);
    bool matches(const Entry &entry, const QHostAddress &peer) const;

    QString m_path;
    QList<Entry> m_entries;
    bool m_restricted = false;
    // Answers to an earlier load are dropped: each load starts a new generation.
    int m_generation = 0;
    QList<int> m_lookups;
};
