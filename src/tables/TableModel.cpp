#include "TableModel.h"

#include "HeaderPicture.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QStyle>

TableModel::TableModel(Table &table, QStringList headers, QObject *parent)
    : QAbstractTableModel(parent), m_table(table), m_headers(std::move(headers)), m_inForceMark(HeaderPicture::inForce())
{
}

void TableModel::reload()
{
    beginResetModel();
    if (m_inForce > m_table.entryCount())
        m_inForce = 0;
    endResetModel();
}

void TableModel::setInForce(int row)
{
    if (row < 0 || row > m_table.entryCount())
        row = 0;
    if (row == m_inForce)
        return;
    const int old = m_inForce;
    m_inForce = row;
    for (int r : {old, row}) {
        if (r > 0)
            emit dataChanged(index(r - 1, 0), index(r - 1, columnCount() - 1));
    }
}

void TableModel::setMarks(int column, std::function<EntryMark(int)> markOf)
{
    m_markColumn = column;
    m_markOf = std::move(markOf);
    QStyle *style = QApplication::style();
    m_missingMark = style->standardIcon(QStyle::SP_MessageBoxWarning);
    m_failedMark = style->standardIcon(QStyle::SP_MessageBoxCritical);
}

void TableModel::marksChanged()
{
    if (m_markColumn >= 0 && rowCount() > 0)
        emit dataChanged(index(0, m_markColumn), index(rowCount() - 1, m_markColumn));
}

int TableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.entryCount();
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table.cellCount();
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row() + 1;
    const bool inForce = row == m_inForce;
    // The tooltip's line is the row's, wherever the pointer is on it.
    if (m_markOf && (role == MarkTipRole || (index.column() == m_markColumn &&
                                             (role == Qt::DecorationRole || role == Qt::ForegroundRole)))) {
        const EntryMark mark = m_markOf(row);
        if (mark.kind == EntryMark::None)
            return QVariant();
        const bool failed = mark.kind == EntryMark::Failed;
        if (role == Qt::DecorationRole)
            return failed ? m_failedMark : m_missingMark;
        if (role == Qt::ForegroundRole)
            return failed ? QColor(190, 0, 0) : QColor(170, 85, 0);
        return mark.text();
    }
    switch (role) {
    case Qt::DisplayRole:
        return m_table.cell(row, index.column());
    case Qt::DecorationRole:
        return index.column() == 0 && inForce ? QVariant(m_inForceMark) : QVariant();
    case Qt::FontRole:
        if (inForce) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    case Qt::ToolTipRole:
        return inForce ? QStringLiteral("In force now") : QVariant();
    default:
        return QVariant();
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (role == Qt::DisplayRole)
        return m_headers.value(section);
    if (role == Qt::DecorationRole && section == 0 && !m_picture.isNull())
        return m_picture;
    return QVariant();
}
