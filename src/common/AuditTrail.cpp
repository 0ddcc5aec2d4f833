#include "AuditTrail.h"

#include "Journal.h"

#include <QCoreApplication>
#include <QMap>
#include <QStringList>
#include <QTimer>

namespace AuditTrail {

namespace {
// One action's frames; everything runs on the one user-interface thread.
struct Record {
    QString who;
    QStringList sent;
    QStringList notSent;
    QStringList whyNot; // each reason once
};

struct State {
    QStringList scopes;
    QList<Record> records; // of the outermost scope, or of the operator's event
    bool flushQueued = false;
    std::function<QString()> describeOperator;
    std::function<void(const QString &)> writer;
};

State &state()
{
    static State s;
    return s;
}

constexpr int Listed = 10;

void write(const QString &text)
{
    if (state().writer)
        state().writer(text);
    else
        Journal::write(QStringLiteral("frame"), text);
}

void flush()
{
    state().flushQueued = false;
    const QList<Record> records = std::exchange(state().records, {});
    for (const Record &r : records)
        write(line(r.who, r.sent, r.notSent, r.whyNot));
}

Record &current()
{
    QString who = state().scopes.join(QStringLiteral(", "));
    if (who.isEmpty()) {
        who = state().describeOperator ? state().describeOperator() : QStringLiteral("the operator");
        if (!state().flushQueued) {
            state().flushQueued = true;
            if (QCoreApplication::instance())
                QTimer::singleShot(0, QCoreApplication::instance(), [] { flush(); });
        }
    }
    if (state().records.isEmpty() || state().records.last().who != who)
        state().records.append({who, {}, {}, {}});
    return state().records.last();
}

// "brightness 128, contrast 64" or, for many, the first few and a count by kind.
QString list(const QStringList &frames)
{
    if (frames.size() <= Listed)
        return frames.join(QStringLiteral(", "));
    QMap<QString, int> kinds;
    for (const QString &frame : frames)
        ++kinds[frame.section(QLatin1Char(' '), 0, 0)];
    QStringList counts;
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
        counts << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
    return QStringLiteral("%1 frames (%2)").arg(frames.size()).arg(counts.join(QStringLiteral(", ")));
}
} // namespace

Scope::Scope(const QString &who) : Scope(who, Kind::Cause) {}

Scope::Scope(const QString &what, Kind kind)
{
    if (state().scopes.isEmpty()) {
        if (state().flushQueued)
            flush(); // the operator's frames so far are theirs, not this action's
        if (kind == Kind::Step) {
            state().scopes.append(state().describeOperator ? state().describeOperator() : QStringLiteral("the operator"));
            ++m_pushed;
        }
    }
    state().scopes.append(what);
    ++m_pushed;
}

Scope::~Scope()
{
    for (int i = 0; i < m_pushed; ++i)
        state().scopes.removeLast();
    if (state().scopes.isEmpty())
        flush();
}

void sent(const QString &frame)
{
    current().sent.append(frame);
}

void notSent(const QString &frame, const QString &why)
{
    Record &record = current();
    record.notSent.append(frame);
    if (!record.whyNot.contains(why))
        record.whyNot.append(why);
}

void setOperator(std::function<QString()> describe)
{
    state().describeOperator = std::move(describe);
}

void setWriter(std::function<void(const QString &)> writeLine)
{
    state().writer = std::move(writeLine);
}

QString line(const QString &who, const QStringList &sent, const QStringList &notSent, const QStringList &whyNot)
{
    QStringList parts;
    if (!sent.isEmpty())
        parts << QStringLiteral("sent ") + list(sent);
    if (!notSent.isEmpty())
        parts << QStringLiteral("not sent %1: %2").arg(list(notSent), whyNot.join(QStringLiteral("; ")));
    return who + QStringLiteral(": ") + parts.join(QStringLiteral("; "));
}

} // namespace AuditTrail
