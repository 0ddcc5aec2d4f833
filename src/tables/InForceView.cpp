#include "InForceView.h"

#include "EntryInForce.h"
#include "Timeline.h"

#include <QDateTimeEdit>
#include <QGridLayout>
#include <QLabel>

namespace {
QString keyFormat(TimelineStrip::Span span)
{
    return span == TimelineStrip::Span::Day ? QStringLiteral("HH:mm") : QStringLiteral("yyyyMMdd");
}
} // namespace

InForceView::InForceView(TimelineStrip::Span span, const Clock &clock, QList<Source> sources,
                         const QString &fieldName, QWidget *parent)
    : QWidget(parent), m_span(span), m_clock(clock), m_sources(std::move(sources))
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    for (int i = 0; i < m_sources.size(); ++i) {
        auto *strip = new TimelineStrip(span, this);
        strip->setObjectName(m_sources.at(i).name);
        m_strips.append(strip);
        if (!m_sources.at(i).caption.isEmpty())
            layout->addWidget(new QLabel(m_sources.at(i).caption, this), i, 0);
        layout->addWidget(strip, i, 1, 1, 3);
        connect(strip, &TimelineStrip::entryClicked, this, [this, i](int entry) { emit entryClicked(i, entry); });
    }
    const int row = static_cast<int>(m_sources.size());
    if (span == TimelineStrip::Span::Day)
        m_at = new QTimeEdit(this);
    else
        m_at = new QDateEdit(this);
    m_at->setObjectName(fieldName);
    m_at->setDisplayFormat(span == TimelineStrip::Span::Day ? QStringLiteral("HH:mm") : QStringLiteral("dd/MM/yyyy"));
    m_at->setDateTime(clock.now());
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lbl") + fieldName);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(new QLabel(tr("In force at :"), this), row, 0);
    layout->addWidget(m_at, row, 1);
    layout->addWidget(m_result, row, 2);
    layout->setColumnStretch(2, 1);
    connect(m_at, &QDateTimeEdit::dateTimeChanged, this, &InForceView::showInForceAt);
    // The field follows the clock until the operator sets a time of their own.
    connect(m_at, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (!m_followingClock)
            m_followsClock = false;
    });

    // The strips start at now: they move on with each minute (each day for the year).
    connect(&m_minute, &QTimer::timeout, this, [this] {
        const QDateTime now = m_clock.now();
        const bool moved = m_span == TimelineStrip::Span::Day
                               ? now.toString(QStringLiteral("yyyyMMddHHmm")) != m_shownFrom.toString(QStringLiteral("yyyyMMddHHmm"))
                               : now.date() != m_shownFrom.date();
        if (!moved)
            return;
        if (m_followsClock) {
            m_followingClock = true;
            m_at->setDateTime(now);
            m_followingClock = false;
        }
        recompute();
    });
    m_minute.start(1000);
}

void InForceView::setLevelCount(int count)
{
    for (TimelineStrip *strip : std::as_const(m_strips)) {
        if (m_sources.at(m_strips.indexOf(strip)).level)
            strip->setStepLevels(count);
    }
}

QList<TimelineStrip::Band> InForceView::bandsOf(const Source &source, const QDateTime &start) const
{
    const QStringList keys = source.keys();
    QList<Timeline::Stretch> stretches =
        m_span == TimelineStrip::Span::Day ? Timeline::day(keys, start) : Timeline::year(keys, start.date());
    stretches = Timeline::joined(stretches, source.value);
    QList<TimelineStrip::Band> bands;
    bands.reserve(stretches.size());
    for (const Timeline::Stretch &stretch : std::as_const(stretches)) {
        TimelineStrip::Band band{stretch.from,
                                 stretch.to,
                                 stretch.entry,
                                 source.value(stretch.entry),
                                 source.tip(stretch.entry),
                                 source.level ? source.level(stretch.entry) : -1};
        if (source.mark) {
            const EntryMark mark = source.mark(stretch.entry, bands.isEmpty()); // the first band holds now
            band.mark = mark.kind;
            if (mark.kind != EntryMark::None)
                band.tip += QLatin1Char('\n') + mark.text();
        }
        bands.append(band);
    }
    return bands;
}

void InForceView::recompute()
{
    m_shownFrom = m_clock.now();
    const QDateTime start = m_span == TimelineStrip::Span::Day ? m_shownFrom : QDateTime(m_shownFrom.date(), QTime(0, 0));
    for (int i = 0; i < m_sources.size(); ++i)
        m_strips.at(i)->setBands(start, bandsOf(m_sources.at(i), start));
    showInForceAt();
}

void InForceView::showInForceAt()
{
    QStringList lines;
    const QString at = m_at->dateTime().toString(keyFormat(m_span));
    for (const Source &source : std::as_const(m_sources)) {
        const int entry = EntryInForce::tickScan(source.keys(), at, 0);
        const QString what = entry > 0 ? QStringLiteral("%1 (entry %2)").arg(source.value(entry)).arg(entry)
                                       : tr("nothing: no entries");
        lines.append(source.caption.isEmpty() ? what : source.caption + QLatin1Char(' ') + what);
    }
    m_result->setText(lines.join(QStringLiteral("; ")));
}
