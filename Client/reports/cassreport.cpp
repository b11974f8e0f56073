#include "cassreport.h"

#include "cashsections.h"
#include "money.h"
#include "reportlayout.h"
#include "reportreply.h"

#include <report.h>
#include <tableelement.h>

using namespace ReportReply;
using ReportLayout::put;

CassReport::CassReport(QObject *parent)
    : ExtendedReport(parent)
{
    setFilterDialog(&dialog);
}

void CassReport::build(ReportEngine::Report &report, QMap<QString, QVariant> values)
{
    ReportLayout::BusyIndicator busy;
    loadDefault(report);
    const QString date = values.value(QStringLiteral("date")).toString();
    const QJsonObject reply
        = fetch(network, QStringLiteral("reports/cass?payDate=%1").arg(date)).object();
    ReportLayout::setUpPage(report, QPageLayout::Portrait, 10, 8, 10, 8);

    const QJsonObject accommodation = object(reply, "accommodation");
    ReportEngine::TableElement payments;
    ReportLayout::setUpTable(payments,
                             {{QStringLiteral("№ п/п"), 3.9, Qt::AlignHCenter},
                              {QStringLiteral("Счет"), 5.2, Qt::AlignHCenter},
                              {QStringLiteral("ФИО"), 28.6, Qt::AlignLeft},
                              {QStringLiteral("Поток"), 26.8, Qt::AlignLeft},
                              {QStringLiteral("Оплачено"), 9.5, Qt::AlignRight},
                              {QStringLiteral("Способ оплаты"), 10.4, Qt::AlignLeft},
                              {QStringLiteral("Кассир"), 15.6, Qt::AlignLeft}});
    for (const QJsonValue &value : array(accommodation, "entries")) {
        const QJsonObject entry = object(value);
        const QJsonObject stream = object(entry, "stream");
        const int row = payments.rowCount();
        put(payments, row, 0, QString::number(row), Qt::AlignHCenter);
        put(payments, row, 1,
            QStringLiteral("%1").arg(integer(entry, "bill"), 4, 10, QLatin1Char('0')),
            Qt::AlignHCenter);
        put(payments, row, 2, text(entry, "fullname"));
        // The stream's dates are printed as the server sends them.
        put(payments, row, 3,
            QStringLiteral("%1(%2 - %3)")
                .arg(text(stream, "name"), text(stream, "startDate"), text(stream, "endDate")));
        put(payments, row, 4, Money::format(number(entry, "paid")), Qt::AlignRight);
        put(payments, row, 5, text(entry, "payType"));
        put(payments, row, 6, text(entry, "cassir"));
    }
    const int total = payments.rowCount();
    payments.cell(total, 0).setColumnSpan(4);
    put(payments, total, 0, QStringLiteral("ИТОГО:"));
    put(payments, total, 4, Money::format(number(accommodation, "total")), Qt::AlignRight);
    payments.cell(total, 5).setColumnSpan(2);

    report.addElement(ReportLayout::text(QStringLiteral("КАССОВЫЙ ОТЧЕТ на %1").arg(date), 0, true),
                      Qt::AlignCenter);
    report.addVerticalSpacing(5);
    CashSections::addSections(report, reply, payments);
}
