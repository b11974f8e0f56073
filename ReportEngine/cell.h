#pragma once

#include "placedelement.h"

#include <QList>

namespace ReportEngine {

class Element;

// One cell of a TableElement, reached through TableElement::cell().
class Cell
{
public:
    Cell();

    // Adds a copy of the element as a new paragraph (or block) of the cell,
    // aligned horizontally as given. The vertical part of the alignment
    // (Qt::AlignVCenter, Qt::AlignBottom) places the cell's contents between
    // its top and bottom; the first element that has one decides.
    void addElement(const Element &element, Qt::Alignment alignment = Qt::AlignLeft);
    // Adds a copy of a text element at the end of the cell's last paragraph;
    // it starts a paragraph when there is none to continue.
    void addInlineElement(const Element &element);

    // The cell covers this many columns from its own to the right; what the
    // covered cells hold is ignored. Spans past the last column are cut there.
    void setColumnSpan(int span);
    int columnSpan() const;

    bool isEmpty() const;

private:
    friend class ReportBuilder;

    QList<PlacedElement> m_items;
    int m_columnSpan = 1;
};

}  // namespace ReportEngine
