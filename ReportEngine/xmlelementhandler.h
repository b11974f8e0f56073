#pragma once

#include <QtGlobal>

class QDomElement;

namespace ReportEngine {

class AutoTableElement;
class HLineElement;
class TableElement;
class TextElement;

// Lets a program look at, change or drop what a template produces, element by
// element, while Report::loadFromXML reads it. Each callback receives the
// element as built from the template and the XML element it came from (its
// name, its attributes, custom ones included, and for <text> the text written
// in the template). Returning false leaves the element out. Every callback
// accepts unchanged unless overridden.
class XmlElementHandler
{
public:
    virtual ~XmlElementHandler();

    // For every <text>, after its text was filled from its id's value or its
    // model cell, before it is put in place.
    virtual bool textElement(TextElement &element, QDomElement &xml);
    // For every <table> without a model, once all its cells are read.
    virtual bool tableElement(TableElement &element, QDomElement &xml);
    // For every <table> with a model, before the model's contents are copied.
    virtual bool autoTableElement(AutoTableElement &element, QDomElement &xml);
    virtual bool hLineElement(HLineElement &element, QDomElement &xml);
    // The height in millimetres may be changed.
    virtual bool vSpace(qreal &millimetres, QDomElement &xml);
};

}  // namespace ReportEngine
