#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class NetworkManagerWrapper;

namespace ReportEngine {
class Report;
class TextElement;
}  // namespace ReportEngine

// What the documents laid out in code share: their page, their header font
// and the organization's details.
namespace DocumentParts {

// Margins of 10 mm and "Times new roman" 10 pt.
void setUpPage(ReportEngine::Report &report);

// A text in "Times new roman" at the given size.
ReportEngine::TextElement text(const QString &text, int unused, qreal pointSize);

// The organization's details, read anew for every build.
QJsonObject organization(NetworkManagerWrapper &manager);
// The lines that head a document: the organization's name over its two
// addresses.
QList<ReportEngine::TextElement> header(const QJsonObject &organization);

// A record's value at a dotted key; a missing key reads as "" or 0.
QString textAt(const QJsonObject &record, const QString &key);
double numberAt(const QJsonObject &record, const QString &key);

}  // namespace DocumentParts
