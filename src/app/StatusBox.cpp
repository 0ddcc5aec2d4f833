#include "StatusBox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QPaintEvent>
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
    const int firstBefore = bar->value();
    const qsizetype sizeBefore = m_text.size();
    m_text += text;
    const bool trimmed = trim();
    updateScrollRange(atEnd);
    // A controller that streams would otherwise have the whole box drawn many times a
    // second: only the rows from the one that held the old end change, and the rows above
    // them only move up when the box follows the end.
    const int height = rowHeight();
    const int shift = bar->value() - firstBefore;
    if (trimmed || shift < 0 || shift * height >= viewport()->height()) {
        viewport()->update();
        return;
    }
    if (shift > 0)
        viewport()->scroll(0, -shift * height);
    const qsizetype changedRow = sizeBefore / columns() - bar->value();
    const int top = static_cast<int>(qBound<qsizetype>(0, changedRow * height, qsizetype(viewport()->height())));
    viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
}

bool StatusBox::trim()
{
    // Trimming in steps spreads the cost of moving the text over many appends.
    if (m_text.size() <= m_maximumLength + m_maximumLength / 4)
        return false;
    m_text.remove(0, m_text.size() - m_maximumLength);
    return true;
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

void StatusBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int cols = columns();
    const int height = rowHeight();
    const int ascent = fontMetrics().ascent();
    const qsizetype first = verticalScrollBar()->value();
    // Only the rows the update asks for are laid out and drawn.
    const int fromRow = qMax(0, event->rect().top() / height);
    const int toRow = event->rect().bottom() / height;
    for (int r = fromRow; r <= toRow; ++r) {
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
