#include "abstracttableelement.h"

namespace ReportEngine {

AbstractTableElement::AbstractTableElement() = default;

void AbstractTableElement::setBorder(qreal border)
{
    m_border = qBound<qreal>(0, border, MaximumBorder);  // NaN gives 0
}

qreal AbstractTableElement::border() const
{
    return m_border;
}

void AbstractTableElement::setWidth(qreal percent)
{
    m_width = qBound<qreal>(0, percent, 100);
}

qreal AbstractTableElement::width() const
{
    return m_width;
}

void AbstractTableElement::setPadding(qreal millimetres)
{
    m_padding = qMax<qreal>(0, millimetres);
}

qreal AbstractTableElement::padding() const
{
    return m_padding;
}

}  // namespace ReportEngine
