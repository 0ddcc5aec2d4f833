#include "Journal.h"

#include <QRegularExpression>
#include <cstdio>

namespace Journal {

QByteArray line(const QDateTime &at, const QString &topic, const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("[\r\n]+"));
    const QString when = at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODateWithMs);
    return (when + QLatin1Char(' ') + topic + QStringLiteral(": ") +
            QString(text).replace(breaks, QStringLiteral(": ")))
               .toUtf8() +
           '\n';
}

void write(const QString &topic, const QString &text)
{
    const QByteArray bytes = line(QDateTime::currentDateTime(), topic, text);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace Journal
