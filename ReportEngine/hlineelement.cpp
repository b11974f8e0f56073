#include "hlineelement.h"

#include "reportbuilder.h"

namespace ReportEngine {

HLineElement::HLineElement() = default;

void HLineElement::setDashed(bool dashed)
{
    m_dashed = dashed;
}

bool HLineElement::isDashed() const
{
    return m_dashed;
}

std::unique_ptr<Element> HLineElement::clone() const
{
    return std::make_unique<HLineElement>(*this);
}

void HLineElement::build(ReportBuilder &builder) const
{
    builder.writeRule(*this);
}

}  // namespace ReportEngine
