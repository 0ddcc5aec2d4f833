#include "StatusBox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

StatusBox::StatusBox(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void StatusBox::setMaximumLength(qsizetype characters)
{
    m_maximumLength = qMax<qsizetype>(1, characters);
    trim();
    updateScrollRange(true);
}

void StatusBox::setText(const QString &text)
{
    m_text = text;
    trim();
    updateScrollRange(true);
    viewport()->update();
}

void StatusBox::appendText(const QString &text)
{
    if (text.isEmpty())
        return;
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    m_text += text;
    trim();
    updateScrollRange(atEnd);
    viewport()->update();
}

void StatusBox::trim()
{
    // Trimming in steps spreads the cost of moving the text over many appends.
    if (m_text.size() > m_maximumLength + m_maximumLength / 4)
        m_text.remove(0, m_text.size() - m_maximumLength);
}

int StatusBox::columns() const
{
    const int charWidth = qMax(1, fontMetrics().horizontalAdvance(QLatin1Char('M')));
    return qMax(1, (viewport()->width() - 4) / charWidth);
}

int StatusBox::rowHeight() const
{
    return qMax(1, fontMetrics().lineSpacing());
}

qsizetype StatusBox::rowCount() const
{
    const int cols = columns();
    return qMax<qsizetype>(1, (m_text.size() + cols - 1) / cols);
}

void StatusBox::updateScrollRange(bool followEnd)
{
    const int visibleRows = qMax(1, viewport()->height() / rowHeight());
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, static_cast<int>(qMax<qsizetype>(0, rowCount() - visibleRows)));
    bar->setPageStep(visibleRows);
    if (followEnd)
        bar->setValue(bar->maximum());
}

void StatusBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange(true);
}

void StatusBox::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int cols = columns();
    const int height = rowHeight();
    const int ascent = fontMetrics().ascent();
    const qsizetype first = verticalScrollBar()->value();
    const int visibleRows = viewport()->height() / height + 1;
    for (int r = 0; r < visibleRows; ++r) {
        const qsizetype start = (first + r) * cols;
        if (start >= m_text.size())
            break;
        painter.drawText(2, r * height + ascent + 1, m_text.mid(start, cols));
    }
}

void StatusBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copy = menu.addAction(QStringLiteral("&Copy All"));
    copy->setEnabled(!m_text.isEmpty());
    connect(copy, &QAction::triggered, this, [this] { QApplication::clipboard()->setText(m_text); });
    menu.exec(event->globalPos());
}
