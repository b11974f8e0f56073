#pragma once

#include "element.h"

#include <QBrush>

#include <memory>

namespace ReportEngine {

// An element as stored in a report or a cell: a shared, never modified copy
// together with how it was placed.
struct PlacedElement
{
    std::shared_ptr<const Element> element;
    Qt::Alignment alignment = Qt::AlignLeft;
    QBrush background;      // Qt::NoBrush: none
    bool isInline = false;  // continues the preceding paragraph
};

}  // namespace ReportEngine
