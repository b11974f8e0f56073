#include "cell.h"

namespace ReportEngine {

Cell::Cell() = default;

void Cell::addElement(const Element &element, Qt::Alignment alignment)
{
    m_items.append({std::shared_ptr<const Element>(element.clone()), alignment, QBrush(), false});
}

void Cell::addInlineElement(const Element &element)
{
    m_items.append({std::shared_ptr<const Element>(element.clone()), Qt::AlignLeft, QBrush(), true});
}

void Cell::setColumnSpan(int span)
{
    m_columnSpan = qMax(1, span);
}

int Cell::columnSpan() const
{
    return m_columnSpan;
}

bool Cell::isEmpty() const
{
    return m_items.isEmpty();
}

}  // namespace ReportEngine
