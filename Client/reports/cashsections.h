#pragma once

#include <QJsonObject>
#include <QString>

namespace ReportEngine {
class Report;
class TableElement;
}  // namespace ReportEngine

// What the daily cash report and the cash summary lay out alike: the
// services table and the pay-type block of a section, and the order in
// which a section and the closing signature go onto the page. Every amount
// is the server's; nothing is added up here.
namespace CashSections {

// The extra-services or education table: a row per entry and "ИТОГО" with
// the section's total.
ReportEngine::TableElement servicesTable(const QJsonObject &section);

// "Всего по услуге:" with the section's total beside the amount of each pay
// type, in the server's order.
ReportEngine::TableElement payTypeBlock(const QJsonObject &section);

// The heading, the table, the pay-type block and, unless it is the last
// section, a rule.
void addSection(ReportEngine::Report &report, const QString &heading,
                const ReportEngine::TableElement &table, const ReportEngine::TableElement &block,
                bool last);

// The cashier's signature line after the last section.
void addSignature(ReportEngine::Report &report);

}  // namespace CashSections
