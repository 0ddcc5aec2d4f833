#include "AllowedClients.h"

#include "FileError.h"
#include "RecordReader.h"
#include "SafeFile.h"

#include <QHostInfo>
#include <QRegularExpression>
#include <utility>

const QString AllowedClients::FileName = QStringLiteral("AllowedClients.txt");

namespace {
// Counts lines as the reader moves on through the data; CR LF is one line end.
class LineCounter {
public:
    explicit LineCounter(const QByteArray &data) : m_data(data) {}
    int lineAt(qsizetype offset)
    {
        for (; m_counted < offset && m_counted < m_data.size(); ++m_counted) {
            const char c = m_data.at(m_counted);
            if (c == '\n' ||
                (c == '\r' && (m_counted + 1 >= m_data.size() || m_data.at(m_counted + 1) != '\n')))
                ++m_line;
        }
        return m_line;
    }

private:
    const QByteArray &m_data;
    qsizetype m_counted = 0;
    int m_line = 1;
};

// Past this many bad records the rest are only counted: the journal is not the place for a
// whole file of them.
constexpr int MaxReportedRecords = 10;

// Labels of letters, digits, hyphens (and the underscores some networks use), dot-separated;
// a last label of digits alone is a mistyped address, not a name.
bool isHostName(const QString &text)
{
    static const QRegularExpression name(
        QStringLiteral("^(?=.{1,253}\\.?$)[A-Za-z0-9_](?:[A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?"
                       "(?:\\.[A-Za-z0-9_](?:[A-Za-z0-9_-]{0,61}[A-Za-z0-9_])?)*\\.?$"));
    static const QRegularExpression digitsLast(QStringLiteral("(?:^|\\.)[0-9]+\\.?$"));
    return name.match(text).hasMatch() && !digitsLast.match(text).hasMatch();
}
} // namespace

AllowedClients::AllowedClients(QObject *parent) : QObject(parent) {}

QHostAddress AllowedClients::plain(const QHostAddress &address)
{
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return address;
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 0; i < 10; ++i) {
        if (bytes[i] != 0)
            return address;
    }
    if (bytes[10] != 0xff || bytes[11] != 0xff)
        return address;
    return QHostAddress(quint32(bytes[12]) << 24 | quint32(bytes[13]) << 16 | quint32(bytes[14]) << 8 |
                        quint32(bytes[15]));
}

void AllowedClients::load(const QString &path)
{
    for (const int id : std::as_const(m_lookups))
        QHostInfo::abortHostLookup(id);
    m_lookups.clear();
    ++m_generation;
    m_entries.clear();
    m_path = path;

    int error = 0;
    QString why;
    const QByteArray data = readWholeFile(path, &error, MaxFileSize, &why);
    if (error == static_cast<int>(FileError::FileNotFound)) {
        m_restricted = false;
        return;
    }
    m_restricted = true;
    if (error != 0) {
        emit problem(QStringLiteral("%1 cannot be read (%2): no host may ask for a refresh").arg(path, why));
        return;
    }
    parse(data);
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).kind == Entry::Name)
            lookUp(i);
    }
}

void AllowedClients::parse(const QByteArray &data)
{
    RecordReader reader(data);
    LineCounter lines(data);
    int bad = 0;
    while (const std::optional<QString> field = reader.next()) {
        const QString text = field->trimmed();
        if (text.isEmpty())
            continue; // a blank line
        Entry entry;
        entry.text = text;
        if (text.contains(QLatin1Char('/'))) {
            const QPair<QHostAddress, int> network = QHostAddress::parseSubnet(text);
            entry.kind = Entry::Network;
            entry.address = network.first;
            entry.prefix = network.second;
        } else if (QHostAddress address; address.setAddress(text)) {
            entry.address = plain(address);
        } else if (isHostName(text)) {
            entry.kind = Entry::Name;
        }
        if ((entry.kind == Entry::Network || entry.kind == Entry::Address) && entry.address.isNull()) {
            if (++bad > MaxReportedRecords)
                continue;
            // A runaway quote can make a record of the whole file: the line shows its start.
            const QString shown = text.size() > 80 ? text.left(77) + QStringLiteral("...") : text;
            emit problem(
                QStringLiteral("%1 line %2: \"%3\" is not an address, network or host name; it is left out")
                    .arg(m_path, QString::number(lines.lineAt(reader.fieldStart())), shown));
            continue;
        }
        m_entries << entry;
    }
    if (bad > MaxReportedRecords) {
        emit problem(
            QStringLiteral("%1: %2 more records that are not an address, network or host name are left out")
                .arg(m_path, QString::number(bad - MaxReportedRecords)));
    }
}

void AllowedClients::lookUp(int index)
{
    const int generation = m_generation;
    const int id = QHostInfo::lookupHost(
        m_entries.at(index).text, this, [this, generation, index](const QHostInfo &info) {
            if (generation != m_generation)
                return;
            m_lookups.removeOne(info.lookupId());
            Entry &entry = m_entries[index];
            entry.lookedUp = true;
            for (const QHostAddress &address : info.addresses())
                entry.found << plain(address);
            if (entry.found.isEmpty()) {
                emit problem(
                    QStringLiteral("%1: the host name \"%2\" was not found (%3); it allows no one until the "
                                   "next start")
                        .arg(m_path, entry.text, info.errorString()));
            }
            emit changed();
        });
    m_lookups << id;
}

bool AllowedClients::matches(const Entry &entry, const QHostAddress &peer) const
{
    switch (entry.kind) {
    case Entry::Address:
        return peer.isEqual(entry.address, QHostAddress::StrictConversion);
    case Entry::Network:
        return peer.isInSubnet(entry.address, entry.prefix);
    case Entry::Name:
        for (const QHostAddress &address : entry.found) {
            if (peer.isEqual(address, QHostAddress::StrictConversion))
                return true;
        }
        return false;
    }
    return false;
}

bool AllowedClients::allows(const QHostAddress &peer) const
{
    if (!m_restricted)
        return true;
    const QHostAddress from = plain(peer);
    for (const Entry &entry : m_entries) {
        if (matches(entry, from))
            return true;
    }
    return false;
}

QString AllowedClients::description() const
{
    if (!m_restricted)
        return QStringLiteral("any host");
    if (m_entries.isEmpty())
        return QStringLiteral("no host");
    QStringList parts;
    for (const Entry &entry : m_entries) {
        if (entry.kind != Entry::Name) {
            parts << entry.text;
        } else if (!entry.lookedUp) {
            parts << QStringLiteral("%1 (looking up)").arg(entry.text);
        } else if (entry.found.isEmpty()) {
            parts << QStringLiteral("%1 (not found)").arg(entry.text);
        } else {
            QStringList found;
            for (const QHostAddress &address : entry.found)
                found << address.toString();
            parts << QStringLiteral("%1 (%2)").arg(entry.text, found.join(QStringLiteral(", ")));
        }
    }
    return parts.join(QStringLiteral(", "));
}
