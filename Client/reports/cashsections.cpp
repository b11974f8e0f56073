#include "cashsections.h"

#include "money.h"
#include "reportlayout.h"
#include "reportreply.h"

#include <hlineelement.h>
#include <report.h>
#include <tableelement.h>

using namespace ReportReply;
using ReportLayout::put;

namespace CashSections {

namespace {

// The extra-services or education table: a row per entry and "ИТОГО" with
// the section's total.
ReportEngine::TableElement servicesTable(const QJsonObject &section)
{
    ReportEngine::TableElement table;
    ReportLayout::setUpTable(table,
                             {{QStringLiteral("Наименование услуги"), 55, Qt::AlignLeft},
                              {QStringLiteral("Ед. изм."), 15, Qt::AlignLeft},
                              {QStringLiteral("Кол-во"), 15, Qt::AlignRight},
                              {QStringLiteral("Оплачено"), 15, Qt::AlignRight}});
    for (const QJsonValue &value : array(section, "entries")) {
        const QJsonObject entry = object(value);
        const int row = table.rowCount();
        put(table, row, 0, text(entry, "name"));
        put(table, row, 1, text(entry, "unit"));
        put(table, row, 2, QString::number(integer(entry, "amount")));
        put(table, row, 3, Money::format(number(entry, "paid")));
    }
    const int total = table.rowCount();
    table.cell(total, 0).setColumnSpan(3);
    put(table, total, 0, QStringLiteral("ИТОГО"), Qt::AlignRight);
    put(table, total, 3, Money::format(number(section, "total")), Qt::AlignRight);
    return table;
}

// "Всего по услуге:" with the section's total beside the amount of each pay
// type, in the server's order.
ReportEngine::TableElement payTypeBlock(const QJsonObject &section)
{
    ReportEngine::TableElement block;
    block.setHeaderRowCount(1);
    block.setHeaderColumnCount(3);
    block.setWidth(100);
    block.setBorder(0);
    block.setColumnConstraints({60, 20, 20});
    put(block, 0, 0, QStringLiteral("Всего по услуге:"), Qt::AlignLeft, 1);
    put(block, 0, 1, QStringLiteral("Способ оплаты:"), Qt::AlignLeft, 1);
    block.cell(0, 2);  // three columns, pay types or none
    put(block, 1, 0,
        QStringLiteral("Оплачено: %1 руб.").arg(Money::format(number(section, "total"))));
    const QJsonArray byTypes = array(section, "byTypes");
    for (int i = 0; i < byTypes.size(); ++i) {
        const QJsonObject type = object(byTypes.at(i));
        put(block, i + 1, 1, text(type, "name") + QLatin1Char(':'));
        put(block, i + 1, 2, QStringLiteral("%1 руб.").arg(Money::format(number(type, "paid"))));
    }
    return block;
}

// The heading, the table, the pay-type block and, unless it is the last
// section, a rule.
void addSection(ReportEngine::Report &report, const QString &heading,
                const ReportEngine::TableElement &table, const QJsonObject &section, bool last)
{
    report.addElement(ReportLayout::text(heading, 1), Qt::AlignLeft);
    report.addElement(table, Qt::AlignLeft);
    report.addVerticalSpacing(5);
    report.addElement(payTypeBlock(section), Qt::AlignLeft);
    if (last)
        return;
    report.addElement(ReportEngine::HLineElement(), Qt::AlignLeft);
    report.addVerticalSpacing(5);
}

}  // namespace

void addSections(ReportEngine::Report &report, const QJsonObject &reply,
                 const ReportEngine::TableElement &accommodationTable)
{
    const QJsonObject extra = object(reply, "extraServices");
    const QJsonObject education = object(reply, "paidEducation");
    addSection(report, QStringLiteral("Услуги по проживанию"), accommodationTable,
               object(reply, "accommodation"), false);
    addSection(report, QStringLiteral("Дополнительные услуги"), servicesTable(extra), extra, false);
    addSection(report, QStringLiteral("Образовательные услуги"), servicesTable(education),
               education, true);

    report.addVerticalSpacing(10);
    report.addElement(
        ReportLayout::text(QStringLiteral("Кассир\t\t\t%1 /%2 /")
                               .arg(QString(35, QLatin1Char('_')), QString(19, QLatin1Char('_')))),
        Qt::AlignLeft);
}

}  // namespace CashSections
