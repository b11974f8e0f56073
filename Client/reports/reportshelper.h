#pragma once

#include <QPair>
#include <QString>
#include <QTime>

namespace ReportEngine {
class ErrorDetails;
class Report;
}  // namespace ReportEngine

// Loading of report templates and the two global documents reports read.
class ReportsHelper
{
public:
    // Loads a template (a resource path works) into the report with the
    // program's extra attributes; shows an "Error" box and returns false
    // when the file cannot be opened or parsed.
    static bool loadReport(const QString &fileName, ReportEngine::Report *report,
                           ReportEngine::ErrorDetails *details = nullptr);

    // The checkout hour of the accommodation office; invalid when the server
    // has none in the form "HH:mm:ss".
    static QTime getCheckoutHour();

    // The organisation's name and address.
    static QPair<QString, QString> getOrganizationInfo();

    // Adds the common page header (":/reports/Default.xml") with its values:
    // the organisation's name and the date and time of printing. False when
    // the template could not be loaded (the loader has said why).
    static bool loadPageHeader(ReportEngine::Report &report);
};
