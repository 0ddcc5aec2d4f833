#pragma once

#include "EntryMark.h"

#include <QDateTime>
#include <QList>
#include <QWidget>

// A strip across the time ahead: one band per stretch with what is in force then, a line at
// "now" (the strip's left edge), and hour or month ticks. Levels may be drawn as a step line.
// Hovering a band shows its entry; a click on it reports the entry. A band whose file is
// missing, or whose switch failed, is hatched.
class TimelineStrip : public QWidget {
    Q_OBJECT
public:
    enum class Span { Day, Year };
    struct Band {
        QDateTime from, to;
        int entry = 0;
        QString label; // drawn in the band when it fits
        QString tip;   // shown while the pointer is over it
        int level = -1; // for the step line: 0 is the lowest
        EntryMark::Kind mark = EntryMark::None;
    };

    TimelineStrip(Span span, QWidget *parent = nullptr);

    // Draws the bands as a step line of levels 0..levelCount-1 (0: plain bands).
    void setStepLevels(int levelCount);
    void setBands(const QDateTime &start, QList<Band> bands);
    const QList<Band> &bands() const { return m_bands; }
    QDateTime start() const { return m_start; }
    QDateTime end() const;

    // Where an instant is drawn, in the widget's coordinates.
    int xOf(const QDateTime &at) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void entryClicked(int entry);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect bandArea() const;
    int bandAt(QPoint pos) const;
    QColor fillOf(int entry) const;
    void drawTicks(QPainter &painter) const;

    Span m_span;
    int m_levels = 0;
    QDateTime m_start;
    QList<Band> m_bands;
};
