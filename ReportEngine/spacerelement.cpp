#include "spacerelement.h"

#include "reportbuilder.h"

namespace ReportEngine {

SpacerElement::SpacerElement(qreal millimetres)
    : m_height(millimetres > 0 ? millimetres : 0)
{
}

qreal SpacerElement::height() const
{
    return m_height;
}

std::unique_ptr<Element> SpacerElement::clone() const
{
    return std::make_unique<SpacerElement>(*this);
}

void SpacerElement::build(ReportBuilder &builder) const
{
    builder.writeSpacer(*this);
}

}  // namespace ReportEngine
