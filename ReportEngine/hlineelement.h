#pragma once

#include "element.h"

#include <QTextFormat>

namespace ReportEngine {

// A horizontal rule across the full width of the page or cell, solid or
// dashed.
//
// In the built document a rule is a one-cell table without text whose frame
// format carries RuleProperty (the value is true for a dashed rule), so that
// code inspecting the document can tell rules from data tables.
class HLineElement : public Element
{
public:
    static constexpr int RuleProperty = QTextFormat::UserProperty + 0x100;

    HLineElement();

    void setDashed(bool dashed);
    bool isDashed() const;

    std::unique_ptr<Element> clone() const override;
    void build(ReportBuilder &builder) const override;

private:
    bool m_dashed = false;
};

}  // namespace ReportEngine
