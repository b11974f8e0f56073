#pragma once

#include "element.h"

#include <QtGlobal>

namespace ReportEngine {

// Empty vertical space of a given height in millimetres. Made by
// Report::addVerticalSpacing and by the templates' <vspace>.
class SpacerElement : public Element
{
public:
    explicit SpacerElement(qreal millimetres);

    qreal height() const;

    std::unique_ptr<Element> clone() const override;
    void build(ReportBuilder &builder) const override;

private:
    qreal m_height;
};

}  // namespace ReportEngine
