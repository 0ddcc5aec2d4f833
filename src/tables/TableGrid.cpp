#include "TableGrid.h"

#include "TableModel.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

TableGrid::TableGrid(const QString &objectName, TableModel *model, QWidget *parent) : QTableView(parent)
{
    setObjectName(objectName);
    setModel(model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    // A click anywhere on the grid is a grid click: on an entry, on the header row or below
    // the last entry. The header does not select a column, which would select every entry.
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->viewport()->installEventFilter(this);
    connect(this, &QTableView::clicked, this, &TableGrid::gridClicked);
}

void TableGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const bool onEntry = indexAt(event->position().toPoint()).isValid();
    QTableView::mouseReleaseEvent(event);
    if (!onEntry && event->button() == Qt::LeftButton)
        emit gridClicked(); // 'clicked' comes only for an entry
}

bool TableGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        emit gridClicked();
    return QTableView::eventFilter(watched, event); // the header handles every event itself
}

int TableGrid::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

int TableGrid::currentColumn() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : 0;
}

int TableGrid::otherEndRow() const
{
    const int current = currentRow();
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (current == 0 || rows.isEmpty())
        return current;
    int low = current, high = current;
    for (const QModelIndex &index : rows) {
        low = std::min(low, index.row() + 1);
        high = std::max(high, index.row() + 1);
    }
    return current == low ? high : low;
}

void TableGrid::setCurrentRow(int row, int column)
{
    if (row <= 0 || row > model()->rowCount()) {
        selectionModel()->clear();
        return;
    }
    const QModelIndex index = model()->index(row - 1, column);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void TableGrid::setColumnWidthsInTwips(const QList<int> &twips)
{
    const int dpi = logicalDpiX();
    m_designWidths = QList<int>(twips.size(), 0);
    for (int c = 0; c < twips.size(); ++c) {
        if (twips.at(c) < 0)
            continue;
        if (twips.at(c) == 0)
            setColumnHidden(c, true);
        else // never narrower than its header, as the desktop's font may be wider than the design's
            m_designWidths[c] = std::max(twips.at(c) * dpi / 1440, horizontalHeader()->sectionSizeHint(c));
    }
    shareWidth();
}

void TableGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    shareWidth();
}

void TableGrid::shareWidth()
{
    int designed = 0;
    int others = 0;
    for (int c = 0; c < horizontalHeader()->count(); ++c) {
        if (isColumnHidden(c))
            continue;
        const int width = m_designWidths.value(c);
        designed += width;
        others += width > 0 ? 0 : columnWidth(c);
    }
    if (designed == 0)
        return;
    const int extra = std::max(0, viewport()->width() - designed - others);
    for (int c = 0; c < m_designWidths.size(); ++c) {
        if (m_designWidths.at(c) > 0)
            setColumnWidth(c, m_designWidths.at(c) + int(qint64(extra) * m_designWidths.at(c) / designed));
    }
}

void TableGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete) {
        emit deletePressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TableGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    emit focusGained();
}

bool TableGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && m_toolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        // The current row's text, and what is wrong with the file of the row under the pointer.
        QString text = m_toolTip();
        const QString mark = indexAt(help->pos()).data(TableModel::MarkTipRole).toString();
        if (!mark.isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + mark;
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QTableView::viewportEvent(event);
}
