#pragma once

#include "EntryMark.h"
#include "Table.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <functional>

// A table as a grid shows it: model row i is table row i + 1 (the header row is the view's
// header), one column a cell. The entry in force is drawn bold with a marker in the first
// column, which is empty in every entry. A cell naming a file may carry a mark (missing, or
// a switch to it that failed) as a picture, a colour and a line of the grid's tooltip.
class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The mark's line for the tooltip, on every cell of a marked row.
    static constexpr int MarkTipRole = Qt::UserRole + 1;

    TableModel(Table &table, QStringList headers, QObject *parent = nullptr);

    // The header picture of the first column (the clock, the calendar).
    void setHeaderPicture(const QIcon &picture) { m_picture = picture; }

    // The table changed as a whole (loaded, sorted, rows added or removed).
    void reload();

    // Table row shown as in force; 0 for none.
    void setInForce(int row);
    int inForce() const { return m_inForce; }

    // The marks of one column, asked per table row while painting (so 'markOf' must answer
    // from what it already knows), and told when they changed.
    void setMarks(int column, std::function<EntryMark(int row)> markOf);
    void marksChanged();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    Table &m_table;
    QStringList m_headers;
    QIcon m_picture;
    QIcon m_inForceMark;
    int m_inForce = 0;
    int m_markColumn = -1;
    std::function<EntryMark(int)> m_markOf;
    QIcon m_missingMark, m_failedMark;
};
