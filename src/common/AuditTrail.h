#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The journal as an audit trail of what went to the controller: one line for each action
// that put frames on the line (or tried to), saying who caused it and what went out:
//   frame: the schedule runner, the 18:00 entry of schedule.shd, loading evening.pav: sent
//          brightness 128, contrast 64
// Whatever starts an action on its own (a runner, start-up, a remote refresh) names itself
// with a Scope; a Step names a part of an action ("loading evening.pav"). They nest, and the
// names join. The line is written when the outermost one ends. Frames sent outside any Scope
// come from the operator: a Step then starts with the operator's name, and frames without
// any are written when the event that caused them has been handled.
namespace AuditTrail {

class Scope {
public:
    explicit Scope(const QString &who);
    ~Scope();
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;

protected:
    enum class Kind { Cause, Step };
    Scope(const QString &what, Kind kind);

private:
    int m_pushed = 0;
};

class Step : public Scope {
public:
    explicit Step(const QString &what) : Scope(what, Kind::Step) {}
};

// Called by the transmitter for each frame: "brightness 128", and why it did not go out.
void sent(const QString &frame);
void notSent(const QString &frame, const QString &why);

// Who "the operator" is at this moment (the control in use), for frames outside any scope.
void setOperator(std::function<QString()> describe);

// Where the lines go (the journal by default; tests listen here).
void setWriter(std::function<void(const QString &line)> write);

// The line for one action; many frames are counted by kind rather than listed.
QString line(const QString &who, const QStringList &sent, const QStringList &notSent = {},
             const QStringList &whyNot = {});

} // namespace AuditTrail
