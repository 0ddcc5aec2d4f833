#include "Journal.h"

#include <QRegularExpression>
#include <cstdio>

#ifdef PAV_HAVE_SYSTEMD
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

// The location fields would name this file for every entry.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>
#endif

namespace Journal {

namespace {

QString folded(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("[\r\n]+"));
    return QString(text).replace(breaks, QStringLiteral(": "));
}

bool stderrIsJournal()
{
#ifdef PAV_HAVE_SYSTEMD
    static const bool journal = isJournalStream(qgetenv("JOURNAL_STREAM"), STDERR_FILENO);
    return journal;
#else
    return false;
#endif
}

} // namespace

QByteArray line(const QDateTime &at, const QString &topic, const QString &text)
{
    const QString when = at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs);
    return (when + QLatin1Char(' ') + topic + QStringLiteral(": ") + folded(text)).toUtf8() + '\n';
}

QList<QByteArray> fields(const QString &topic, const QString &text, Priority priority)
{
    return {"MESSAGE=" + (topic + QStringLiteral(": ") + folded(text)).toUtf8(),
            "PRIORITY=" + QByteArray::number(static_cast<int>(priority)), "PAV_TOPIC=" + topic.toUtf8(),
            QByteArrayLiteral("SYSLOG_IDENTIFIER=pav-control")};
}

bool isJournalStream(const QByteArray &journalStream, int fd)
{
#ifdef PAV_HAVE_SYSTEMD
    const QList<QByteArray> parts = journalStream.split(':');
    if (parts.size() != 2)
        return false;
    bool deviceOk = false, inodeOk = false;
    const qulonglong device = parts.at(0).toULongLong(&deviceOk);
    const qulonglong inode = parts.at(1).toULongLong(&inodeOk);
    struct stat st {};
    return deviceOk && inodeOk && ::fstat(fd, &st) == 0 && st.st_dev == device && st.st_ino == inode;
#else
    Q_UNUSED(journalStream);
    Q_UNUSED(fd);
    return false; // no journal here
#endif
}

void write(const QString &topic, const QString &text, Priority priority)
{
#ifdef PAV_HAVE_SYSTEMD
    if (stderrIsJournal()) {
        const QList<QByteArray> entry = fields(topic, text, priority);
        QList<iovec> vectors;
        for (const QByteArray &field : entry)
            vectors.append({const_cast<char *>(field.constData()), static_cast<size_t>(field.size())});
        // A journal that cannot take the entry still gets the line through the stream.
        if (sd_journal_sendv(vectors.constData(), static_cast<int>(vectors.size())) >= 0)
            return;
    }
#endif
    const QByteArray bytes = line(QDateTime::currentDateTime(), topic, text);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace Journal
