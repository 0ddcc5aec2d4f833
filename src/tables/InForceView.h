#pragma once

#include "Clock.h"
#include "TimelineStrip.h"

#include <QTimer>
#include <functional>

class QDateTimeEdit;
class QLabel;

// Under a table page's grid: a strip of what the table puts in force over the time ahead
// (one per table a page has: the intensity page shows what the runner uses and what the grid
// says), and an "in force at" field that names the entry for any time or date typed.
class InForceView : public QWidget {
    Q_OBJECT
public:
    // A table as the view reads it, afresh on each recompute.
    struct Source {
        QString name;                      // the strip's object name
        QString caption;                   // before the strip when a page has two
        std::function<QStringList()> keys; // the entries' keys, "HH:mm" or "yyyyMMdd", in table order
        std::function<QString(int)> value; // what entry i (1..N) puts in force, as shown in its band
        std::function<QString(int)> tip;   // entry i in full, for hovering
        std::function<int(int)> level;     // entry i's level for a step line; empty for none
        // entry i's mark, for the band holding now or a later one; empty for none
        std::function<EntryMark(int, bool now)> mark = {};
    };

    // 'fieldName' names the "in force at" picker; its result label is "lbl" + fieldName.
    InForceView(TimelineStrip::Span span, const Clock &clock, QList<Source> sources, const QString &fieldName,
                QWidget *parent = nullptr);

    // The step line's number of levels (0: none).
    void setLevelCount(int count);
    // Everything worked out again from the sources and the clock.
    void recompute();

    TimelineStrip *strip(int source) const { return m_strips.at(source); }

signals:
    void entryClicked(int source, int entry);

private:
    QList<TimelineStrip::Band> bandsOf(const Source &source, const QDateTime &start) const;
    void showInForceAt();

    TimelineStrip::Span m_span;
    const Clock &m_clock;
    QList<Source> m_sources;
    QList<TimelineStrip *> m_strips;
    QDateTimeEdit *m_at = nullptr;
    QLabel *m_result = nullptr;
    QTimer m_minute;
    bool m_followsClock = true;    // until the operator sets the field
    bool m_followingClock = false; // the field is being set to the clock
    QDateTime m_shownFrom;
};
