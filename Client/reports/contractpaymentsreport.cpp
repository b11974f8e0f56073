#include "contractpaymentsreport.h"

#include "global.h"
#include "money.h"
#include "reportlayout.h"
#include "reportreply.h"

#include <report.h>
#include <tableelement.h>

using namespace ReportReply;
using ReportLayout::put;

namespace {

// A subtotal or total row: the label over columns 0 to 5, three amounts,
// and an empty cell over the last two columns.
void addTotals(ReportEngine::TableElement &table, const QString &label, double cost, double paid)
{
    const int row = table.rowCount();
    table.cell(row, 0).setColumnSpan(6);
    if (!label.isEmpty())
        put(table, row, 0, label);
    put(table, row, 6, Money::format(cost), Qt::AlignRight);
    put(table, row, 7, Money::format(paid), Qt::AlignRight);
    put(table, row, 8, ReportLayout::moneyDifference(cost, paid), Qt::AlignRight);
    table.cell(row, 9).setColumnSpan(2);
}

}  // namespace

ContractPaymentsReport::ContractPaymentsReport(QObject *parent)
    : ExtendedReport(parent)
{
    setFilterDialog(&dialog);
}

void ContractPaymentsReport::build(ReportEngine::Report &report, QMap<QString, QVariant> values)
{
    ReportLayout::BusyIndicator busy;
    loadDefault(report);
    ReportLayout::setUpPage(report, QPageLayout::Landscape, 10, 10, 10, 10);

    const QJsonDocument reply
        = fetch(network,
                QStringLiteral("reports/payments/contract?start=%1&end=%2&payerId=%3")
                    .arg(values.value(QStringLiteral("startDate")).toString(),
                         values.value(QStringLiteral("endDate")).toString(),
                         QString::number(values.value(QStringLiteral("payerId")).toInt())));

    ReportEngine::TableElement table;
    ReportLayout::setUpTable(table,
                             {{QStringLiteral("№ п/п"), 2.6, Qt::AlignHCenter},
                              {QStringLiteral("Счёт"), 3.6, Qt::AlignHCenter},
                              {QStringLiteral("Ф И О"), 19.6, Qt::AlignLeft},
                              {QStringLiteral("Номер"), 3.7, Qt::AlignLeft},
                              {QStringLiteral("Период проживания"), 19.9, Qt::AlignHCenter},
                              {QStringLiteral("Тариф"), 8.9, Qt::AlignRight},
                              {QStringLiteral("Начислено"), 6.5, Qt::AlignRight},
                              {QStringLiteral("Оплачено"), 6.5, Qt::AlignRight},
                              {QStringLiteral("Остаток"), 6.5, Qt::AlignRight},
                              {QStringLiteral("Дата оплаты"), 6.3, Qt::AlignHCenter},
                              {QStringLiteral("Способ оплаты"), 15.1, Qt::AlignLeft}},
                             100, 9);

    int position = 1;
    double allCost = 0;
    double allPaid = 0;
    for (const QJsonValue &groupValue : reply.array()) {
        const QJsonObject group = object(groupValue);
        // The subtotals are the server's, whatever the lines add up to; the
        // numbering runs on across payers.
        const double cost = number(group, "totalCost");
        const double paid = number(group, "totalPaid");
        allCost += cost;
        allPaid += paid;

        const int heading = table.rowCount();
        table.cell(heading, 0).setColumnSpan(11);
        put(table, heading, 0, text(group, "name"));

        for (const QJsonValue &entryValue : array(group, "entries")) {
            const QJsonObject entry = object(entryValue);
            const int row = table.rowCount();
            put(table, row, 0, QString::number(position++), Qt::AlignHCenter);
            put(table, row, 1, QString::number(integer(entry, "bill")), Qt::AlignHCenter);
            put(table, row, 2, text(entry, "fullname"));
            for (const QJsonValue &stayValue : array(entry, "accommodation")) {
                const QJsonObject stay = object(stayValue);
                const QJsonObject rate = object(stay, "rate");
                put(table, row, 3, text(object(stay, "room"), "number"), Qt::AlignHCenter);
                put(table, row, 4,
                    QStringLiteral("%1 - %2").arg(Global::formatDateTime(text(stay, "inDate")),
                                                  Global::formatDateTime(text(stay, "outDate"))),
                    Qt::AlignHCenter);
                put(table, row, 5,
                    QStringLiteral("%1/%2").arg(Money::format(number(rate, "cost")),
                                                Money::format(number(rate, "hourCost"))),
                    Qt::AlignHCenter);
                put(table, row, 6, Money::format(number(stay, "cost")), Qt::AlignRight);
            }
            for (const QJsonValue &paymentValue : array(entry, "payments")) {
                const QJsonObject payment = object(paymentValue);
                put(table, row, 7, Money::format(number(payment, "summ")), Qt::AlignRight);
                put(table, row, 9, Global::formatDate(text(payment, "payDate")), Qt::AlignHCenter);
                put(table, row, 10, text(payment, "name"));
            }
            put(table, row, 8,
                ReportLayout::moneyDifference(number(entry, "totalCost"),
                                              number(entry, "totalPaid")),
                Qt::AlignRight);
        }
        addTotals(table, QString(), cost, paid);
    }
    addTotals(table, QStringLiteral("ИТОГО:"), allCost, allPaid);

    report.addElement(ReportLayout::text(QStringLiteral("РАСЧЕТНАЯ ВЕДОМОСТЬ"), 1),
                      Qt::AlignCenter);
    report.addElement(ReportLayout::text(QStringLiteral("(контракт)")), Qt::AlignCenter);
    report.addVerticalSpacing(10);
    report.addElement(table, Qt::AlignLeft);
}
