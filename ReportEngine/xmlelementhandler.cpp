#include "xmlelementhandler.h"

#include <QDomElement>

namespace ReportEngine {

XmlElementHandler::~XmlElementHandler() = default;

bool XmlElementHandler::textElement(TextElement &, QDomElement &)
{
    return true;
}

bool XmlElementHandler::tableElement(TableElement &, QDomElement &)
{
    return true;
}

bool XmlElementHandler::autoTableElement(AutoTableElement &, QDomElement &)
{
    return true;
}

bool XmlElementHandler::hLineElement(HLineElement &, QDomElement &)
{
    return true;
}

bool XmlElementHandler::vSpace(qreal &, QDomElement &)
{
    return true;
}

}  // namespace ReportEngine
