#pragma once

#include <QList>
#include <QStringList>

// The grid of a daily or yearly table, without a window: a header row (row 0) and the
// entries in rows 1..N, each a fixed number of text cells. Row numbers are the grid's, so
// row 0 standing for "the header is current" means no entry is selected.
class Table {
public:
    static constexpr int MaxEntries = 32767; // the runners count entries in 16 bits

    explicit Table(int cellCount) : m_cellCount(cellCount) {}

    int cellCount() const { return m_cellCount; }
    int entryCount() const { return static_cast<int>(m_rows.size()); }
    int rowCount() const { return entryCount() + 1; }
    bool isEmpty() const { return m_rows.isEmpty(); }

    // Row r of 1..N.
    const QStringList &row(int r) const { return m_rows.at(r - 1); }
    QString cell(int r, int c) const { return m_rows.at(r - 1).value(c); }
    void setCell(int r, int c, const QString &text) { m_rows[r - 1][c] = text; }

    // Reduced to its header row.
    void clear() { m_rows.clear(); }
    // The entries, replaced; each row padded or cut to the cell count.
    void setEntries(QList<QStringList> rows);
    const QList<QStringList> &entries() const { return m_rows; }
    // One cell of every entry, in table order (the keys the runners read).
    QStringList column(int cell) const;

    // A new entry directly after row 'current' (after the header when it is 0; appended
    // as row 1 to a table without entries). Returns its row number.
    int insertAfter(int current, const QStringList &cells);

    // Whole rows sorted ascending by one cell, as plain character strings; entries with
    // equal keys keep their order. 'follow' is a row number that is mapped to where that
    // entry ends up (0 stays 0).
    void sortByCell(int cell, int *follow = nullptr);

    // Del Row: removes rows 'current' to 'otherEnd' (either order; the header is never
    // removed). Returns the row that is current afterwards, 0 when no entry is left.
    int removeBlock(int current, int otherEnd);

private:
    QStringList fitted(QStringList cells) const;

    int m_cellCount;
    QList<QStringList> m_rows;
};
