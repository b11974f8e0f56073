#include "summarycassreport.h"

#include "cashsections.h"
#include "money.h"
#include "reportlayout.h"
#include "reportreply.h"

#include <report.h>
#include <tableelement.h>

using namespace ReportReply;
using ReportLayout::put;

namespace {

const QString Listeners = QStringLiteral("Слушатели");
const QString Guests = QStringLiteral("Гости");

// Both categories of residents stand in the table even when the server
// sends one or neither; two or more entries are shown as sent.
QJsonArray completedCategories(QJsonArray entries)
{
    const auto none = [](const QString &name) {
        return QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("paid"), 0}};
    };
    if (entries.isEmpty()) {
        entries.append(none(Listeners));
        entries.append(none(Guests));
    } else if (entries.size() == 1) {
        if (text(object(entries.first()), "name") == Listeners)
            entries.append(none(Guests));
        else
            entries.prepend(none(Listeners));
    }
    return entries;
}

}  // namespace

SummaryCassReport::SummaryCassReport(QObject *parent)
    : ExtendedReport(parent)
{
    setFilterDialog(&dialog);
}

void SummaryCassReport::build(ReportEngine::Report &report, QMap<QString, QVariant> values)
{
    ReportLayout::BusyIndicator busy;
    loadDefault(report);
    const QString start = values.value(QStringLiteral("startDate")).toString();
    const QString end = values.value(QStringLiteral("endDate")).toString();
    const QJsonObject reply
        = fetch(network, QStringLiteral("reports/cass/summary?start=%1&end=%2").arg(start, end))
              .object();
    ReportLayout::setUpPage(report, QPageLayout::Portrait, 10, 8, 10, 8);

    const QJsonObject accommodation = object(reply, "accommodation");
    ReportEngine::TableElement categories;
    ReportLayout::setUpTable(categories,
                             {{QStringLiteral("Категория проживающих"), 60, Qt::AlignLeft},
                              {QStringLiteral("Оплачено"), 40, Qt::AlignRight}});
    for (const QJsonValue &value : completedCategories(array(accommodation, "entries"))) {
        const QJsonObject entry = object(value);
        const int row = categories.rowCount();
        put(categories, row, 0, text(entry, "name"));
        put(categories, row, 1, Money::format(number(entry, "paid")), Qt::AlignRight);
    }
    const int total = categories.rowCount();
    put(categories, total, 0, QStringLiteral("ИТОГО:"));
    put(categories, total, 1, Money::format(number(accommodation, "total")), Qt::AlignRight);

    report.addElement(ReportLayout::text(QStringLiteral("КАССОВЫЙ ОТЧЁТ (СВОД)"), 1),
                      Qt::AlignCenter);
    report.addElement(ReportLayout::text(QStringLiteral("(%1 - %2)").arg(start, end)),
                      Qt::AlignCenter);
    report.addVerticalSpacing(5);
    CashSections::addSections(report, reply, categories);
}
