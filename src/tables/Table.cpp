#include "Table.h"

#include <algorithm>
#include <numeric>

QStringList Table::fitted(QStringList cells) const
{
    cells.resize(m_cellCount);
    return cells;
}

void Table::setEntries(QList<QStringList> rows)
{
    for (QStringList &cells : rows)
        cells = fitted(std::move(cells));
    m_rows = std::move(rows);
}

int Table::insertAfter(int current, const QStringList &cells)
{
    if (m_rows.isEmpty()) {
        m_rows.append(fitted(cells));
        return 1;
    }
    const int at = std::clamp(current, 0, entryCount());
    m_rows.insert(at, fitted(cells));
    return at + 1;
}

void Table::sortByCell(int cell, int *follow)
{
    std::vector<int> order(static_cast<size_t>(m_rows.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return m_rows.at(a).at(cell) < m_rows.at(b).at(cell); });
    QList<QStringList> sorted;
    sorted.reserve(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.append(std::move(m_rows[order[i]]));
        if (follow && *follow == order[i] + 1) {
            *follow = static_cast<int>(i) + 1;
            follow = nullptr; // mapped once
        }
    }
    m_rows = std::move(sorted);
}

QStringList Table::column(int cell) const
{
    QStringList cells;
    cells.reserve(m_rows.size());
    for (const QStringList &row : m_rows)
        cells.append(row.at(cell));
    return cells;
}

int Table::removeBlock(int current, int otherEnd)
{
    if (m_rows.size() == 1 && current == 1) {
        m_rows.clear();
        return 0;
    }
    const int low = std::max(1, std::min(current, otherEnd));
    const int high = std::min(entryCount(), std::max(current, otherEnd));
    if (low > high)
        return current;
    m_rows.remove(low - 1, high - low + 1);
    // The grid keeps its current row number where it still exists; deleting the last
    // entries leaves the one above current.
    return m_rows.isEmpty() ? 0 : std::min(low, entryCount());
}
