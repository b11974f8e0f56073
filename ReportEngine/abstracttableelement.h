#pragma once

#include "element.h"

#include <QtGlobal>

namespace ReportEngine {

// What every table shares: its border, its width and the padding of its cells.
class AbstractTableElement : public Element
{
public:
    static constexpr qreal MaximumBorder = 100;

    // The width of the lines around and between cells in pixels of a 96 dpi
    // screen (1 is about a quarter of a millimetre), at most MaximumBorder;
    // 0 draws no lines, and any width above 0 at least a hairline. Every
    // line of the grid, outer or inner, has this width.
    void setBorder(qreal border);
    qreal border() const;

    // Width in percent of the available width; 0 (the default) makes the
    // table as wide as its contents need.
    void setWidth(qreal percent);
    qreal width() const;

    // Space between a cell's border and its contents, in millimetres.
    void setPadding(qreal millimetres);
    qreal padding() const;

protected:
    AbstractTableElement();

private:
    qreal m_border = 1;
    qreal m_width = 0;
    qreal m_padding = 0.5;
};

}  // namespace ReportEngine
