#pragma once

#include <QJsonObject>

namespace ReportEngine {
class Report;
class TableElement;
}  // namespace ReportEngine

// What the daily cash report and the cash summary lay out alike: their
// three sections and the closing signature. Only the accommodation table
// differs, and each report builds its own. Every amount is the server's;
// nothing is added up here.
namespace CashSections {

// The sections of the reply's "accommodation" (under `accommodationTable`),
// "extraServices" and "paidEducation", each with its pay-type block, then
// the cashier's signature line.
void addSections(ReportEngine::Report &report, const QJsonObject &reply,
                 const ReportEngine::TableElement &accommodationTable);

}  // namespace CashSections
