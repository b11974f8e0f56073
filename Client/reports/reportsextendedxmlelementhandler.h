#pragma once

#include <xmlelementhandler.h>

// Adds the program's template attribute dateOnly="true": a text that holds a
// date and time is printed as the date alone.
class ReportsExtendedXmlElementHandler : public ReportEngine::XmlElementHandler
{
public:
    bool textElement(ReportEngine::TextElement &element, QDomElement &domElement) override;

    // The date part of a "dd.MM.yyyy HH:mm" or ISO 8601 text as "dd.MM.yyyy";
    // empty for text in neither form.
    static QString dateOnly(const QString &text);
};
