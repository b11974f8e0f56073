#pragma once

#include "abstracttableelement.h"
#include "cell.h"

#include <QList>

#include <deque>

namespace ReportEngine {

// A table filled cell by cell.
class TableElement : public AbstractTableElement
{
public:
    TableElement();

    // The cell at (row, column), counted from 0. The table grows at once to
    // hold it; a reference stays valid as long as the table, however much it
    // grows later. Addressing a cell again adds to what it already holds.
    Cell &cell(int row, int column);

    int rowCount() const;
    int columnCount() const;

    // The first rows form the header, which is repeated at the top of every
    // page the table continues on.
    void setHeaderRowCount(int count);
    int headerRowCount() const;

    // Stored for callers that state it; it has no visible effect.
    void setHeaderColumnCount(int count);
    int headerColumnCount() const;

    // Column widths in percent of the table's width, from the first column on.
    // The list may be shorter than the row (the remaining columns share what
    // is left) and a total above 100 is scaled down to 100.
    void setColumnConstraints(const QList<qreal> &percentages);
    QList<qreal> columnConstraints() const;

    std::unique_ptr<Element> clone() const override;
    void build(ReportBuilder &builder) const override;

private:
    friend class ReportBuilder;

    // Null for a cell that was never addressed.
    const Cell *cellAt(int row, int column) const;

    std::deque<std::deque<Cell>> m_rows;
    int m_columnCount = 0;
    int m_headerRowCount = 0;
    int m_headerColumnCount = 0;
    QList<qreal> m_columnConstraints;
};

}  // namespace ReportEngine
