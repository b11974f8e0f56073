#include "tableelement.h"

#include "reportbuilder.h"

#include <QDebug>

namespace ReportEngine {

TableElement::TableElement() = default;

Cell &TableElement::cell(int row, int column)
{
    if (row < 0 || column < 0) {
        qWarning("ReportEngine::TableElement::cell: negative index (%d, %d) taken as 0", row,
                 column);
        row = qMax(0, row);
        column = qMax(0, column);
    }
    if (row >= int(m_rows.size()))
        m_rows.resize(size_t(row) + 1);
    std::deque<Cell> &cells = m_rows[size_t(row)];
    if (column >= int(cells.size()))
        cells.resize(size_t(column) + 1);
    m_columnCount = qMax(m_columnCount, column + 1);
    return cells[size_t(column)];
}

const Cell *TableElement::cellAt(int row, int column) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return nullptr;
    const std::deque<Cell> &cells = m_rows[size_t(row)];
    if (column < 0 || column >= int(cells.size()))
        return nullptr;
    return &cells[size_t(column)];
}

int TableElement::rowCount() const
{
    return int(m_rows.size());
}

int TableElement::columnCount() const
{
    return m_columnCount;
}

void TableElement::setHeaderRowCount(int count)
{
    m_headerRowCount = qMax(0, count);
}

int TableElement::headerRowCount() const
{
    return m_headerRowCount;
}

void TableElement::setHeaderColumnCount(int count)
{
    m_headerColumnCount = qMax(0, count);
}

int TableElement::headerColumnCount() const
{
    return m_headerColumnCount;
}

void TableElement::setColumnConstraints(const QList<qreal> &percentages)
{
    m_columnConstraints = percentages;
}

QList<qreal> TableElement::columnConstraints() const
{
    return m_columnConstraints;
}

std::unique_ptr<Element> TableElement::clone() const
{
    return std::make_unique<TableElement>(*this);
}

void TableElement::build(ReportBuilder &builder) const
{
    builder.writeTable(*this);
}

}  // namespace ReportEngine
