#pragma once

#include <QTableView>
#include <functional>

class TableModel;

// A grid over a TableModel, in the grid's own row numbers: row 0 is the header (current
// when no entry is), rows 1..N the entries. Whole rows are selected, as one block; a click,
// the input focus and the Delete key are reported for the page to act on.
class TableGrid : public QTableView {
    Q_OBJECT
public:
    TableGrid(const QString &objectName, TableModel *model, QWidget *parent = nullptr);

    int currentRow() const;
    int currentColumn() const;
    // The row at the far end of the selected block from the current row (the current row
    // itself when only it is selected).
    int otherEndRow() const;
    // Makes a row current and the only one selected; 0 leaves no entry current.
    void setCurrentRow(int row, int column = 1);

    // Column widths as the design gives them, in twips (1/1440 inch); 0 hides a column and a
    // negative width leaves it as it is.
    void setColumnWidthsInTwips(const QList<int> &twips);

    // What the grid's tooltip shows while the pointer is over it.
    void setToolTipSource(std::function<QString()> source) { m_toolTip = std::move(source); }

signals:
    void gridClicked();
    void focusGained();
    void deletePressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Width the grid has beyond the design's is shared by the designed columns, in their
    // proportions.
    void shareWidth();

    std::function<QString()> m_toolTip;
    QList<int> m_designWidths; // pixels; 0 for a column the design leaves alone or hides
};
