#include "TimelineStrip.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {
constexpr int TickRow = 14; // height of the tick labels under the bands
}

TimelineStrip::TimelineStrip(Span span, QWidget *parent) : QWidget(parent), m_span(span)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TimelineStrip::setStepLevels(int levelCount)
{
    m_levels = levelCount;
    update();
}

void TimelineStrip::setBands(const QDateTime &start, QList<Band> bands)
{
    m_start = start;
    m_bands = std::move(bands);
    update();
}

QDateTime TimelineStrip::end() const
{
    return m_span == Span::Day ? m_start.addDays(1) : m_start.addMonths(12);
}

QSize TimelineStrip::sizeHint() const
{
    return {600, fontMetrics().height() + 14 + TickRow};
}

QSize TimelineStrip::minimumSizeHint() const
{
    return {200, sizeHint().height()};
}

QRect TimelineStrip::bandArea() const
{
    return rect().adjusted(1, 1, -1, -TickRow);
}

int TimelineStrip::xOf(const QDateTime &at) const
{
    const QRect area = bandArea();
    const double span = static_cast<double>(m_start.secsTo(end()));
    if (span <= 0)
        return area.left();
    const double part = qBound(0.0, static_cast<double>(m_start.secsTo(at)) / span, 1.0);
    return area.left() + qRound(part * area.width());
}

int TimelineStrip::bandAt(QPoint pos) const
{
    if (!bandArea().contains(pos))
        return -1;
    for (qsizetype i = 0; i < m_bands.size(); ++i) {
        if (pos.x() >= xOf(m_bands.at(i).from) && pos.x() < xOf(m_bands.at(i).to))
            return static_cast<int>(i);
    }
    return -1;
}

// A hue per entry, mixed into the base colour, so bands stay readable on light and dark palettes.
QColor TimelineStrip::fillOf(int entry) const
{
    const QColor base = palette().color(QPalette::Base);
    const QColor hue = QColor::fromHsv((entry * 67) % 360, 200, 220);
    const float mix = 0.35F;
    return QColor::fromRgbF(base.redF() * (1 - mix) + hue.redF() * mix, base.greenF() * (1 - mix) + hue.greenF() * mix,
                            base.blueF() * (1 - mix) + hue.blueF() * mix);
}

void TimelineStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect area = bandArea();
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(area, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    if (m_bands.isEmpty()) {
        painter.drawText(area, Qt::AlignCenter, tr("no entries"));
    }
    QPolygon steps;
    for (const Band &band : std::as_const(m_bands)) {
        const QRect box(QPoint(xOf(band.from), area.top()), QPoint(xOf(band.to) - 1, area.bottom()));
        painter.fillRect(box, fillOf(band.entry));
        if (band.mark != EntryMark::None) {
            const bool failed = band.mark == EntryMark::Failed;
            painter.fillRect(box, QBrush(failed ? QColor(190, 0, 0) : QColor(215, 120, 0),
                                         failed ? Qt::DiagCrossPattern : Qt::BDiagPattern));
        }
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.setPen(palette().color(QPalette::Text));
        const QRect text = box.adjusted(3, 0, -2, 0);
        const QString label = fontMetrics().elidedText(band.label, Qt::ElideRight, text.width());
        if (!label.isEmpty() && label != QStringLiteral("…"))
            painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, label);
        if (m_levels > 0 && band.level >= 0) {
            const int y = area.bottom() - 2 - (band.level * (area.height() - 5)) / qMax(1, m_levels - 1);
            steps << QPoint(box.left(), y) << QPoint(box.right() + 1, y);
        }
    }
    if (!steps.isEmpty()) {
        painter.setPen(QPen(palette().color(QPalette::Text), 2));
        painter.drawPolyline(steps);
    }
    drawTicks(painter);
    // Now is where the strip starts.
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawLine(area.left() + 1, rect().top(), area.left() + 1, rect().bottom());
}

void TimelineStrip::drawTicks(QPainter &painter) const
{
    const QRect area = bandArea();
    painter.setPen(palette().color(QPalette::WindowText));
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    painter.setFont(small);
    const bool day = m_span == Span::Day;
    const int labelWidth = QFontMetrics(small).horizontalAdvance(day ? QStringLiteral("00") : QStringLiteral("Mmm"));
    // Every hour (month) has a tick; labels go on every n-th one, n as small as leaves room.
    const double perTick = area.width() / (day ? 24.0 : 12.0);
    int every = 1;
    for (int n : day ? QList<int>{1, 2, 3, 4, 6, 12} : QList<int>{1, 2, 3, 6})
        if ((every = n) * perTick >= labelWidth * 1.6)
            break;
    QDateTime tick = day ? QDateTime(m_start.date(), QTime(m_start.time().hour(), 0)).addSecs(3600)
                         : QDateTime(QDate(m_start.date().year(), m_start.date().month(), 1), QTime(0, 0)).addMonths(1);
    for (; tick < end(); tick = day ? tick.addSecs(3600) : tick.addMonths(1)) {
        const int x = xOf(tick);
        painter.drawLine(x, area.bottom() + 1, x, area.bottom() + 4);
        const int unit = day ? tick.time().hour() : tick.date().month() - 1;
        if (unit % every != 0)
            continue;
        const QString text = day ? tick.toString(QStringLiteral("HH")) : QLocale().monthName(tick.date().month(), QLocale::ShortFormat);
        painter.drawText(QRect(x - labelWidth, area.bottom() + 3, labelWidth * 2, TickRow - 2), Qt::AlignCenter, text);
    }
}

void TimelineStrip::mousePressEvent(QMouseEvent *event)
{
    const int band = bandAt(event->position().toPoint());
    if (band >= 0)
        emit entryClicked(m_bands.at(band).entry);
}

bool TimelineStrip::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int band = bandAt(help->pos());
        if (band >= 0)
            QToolTip::showText(help->globalPos(), m_bands.at(band).tip, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
