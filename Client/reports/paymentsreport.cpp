#include "paymentsreport.h"

#include "global.h"
#include "money.h"
#include "reportlayout.h"
#include "reportreply.h"

#include <report.h>
#include <tableelement.h>

using namespace ReportReply;
using ReportLayout::put;

namespace {

QString roubles(const QString &amount)
{
    return QStringLiteral("%1 руб.").arg(amount);
}

}  // namespace

PaymentsReport::PaymentsReport(QObject *parent)
    : ExtendedReport(parent)
{
    setFilterDialog(&dialog);
}

void PaymentsReport::build(ReportEngine::Report &report, QMap<QString, QVariant> values)
{
    ReportLayout::BusyIndicator busy;
    loadDefault(report);
    ReportLayout::setUpPage(report, QPageLayout::Landscape, 10, 10, 10, 10);
    report.addElement(ReportLayout::text(QStringLiteral("РАСЧЁТНАЯ ВЕДОМОСТЬ"), 0, true),
                      Qt::AlignCenter);

    const QJsonDocument reply = fetch(
        network,
        QStringLiteral(
            "reports/payments?streamId=%1&start=%2&end=%3&listeners=%4&guests=%5&debtOnly=%6")
            .arg(QString::number(values.value(QStringLiteral("streamId")).toInt()),
                 values.value(QStringLiteral("start")).toString(),
                 values.value(QStringLiteral("end")).toString(),
                 queryFlag(values.value(QStringLiteral("listeners"))),
                 queryFlag(values.value(QStringLiteral("guests"))),
                 queryFlag(values.value(QStringLiteral("debtOnly")))));
    if (!reply.isArray())
        return;

    ReportEngine::TableElement table;
    ReportLayout::setUpTable(table,
                             {{QStringLiteral("№ п/п"), 2.5, Qt::AlignHCenter},
                              {QStringLiteral("Счет"), 3.5, Qt::AlignHCenter},
                              {QStringLiteral("Ф И О"), 12.8, Qt::AlignLeft},
                              {QStringLiteral("Плательщик"), 17, Qt::AlignLeft},
                              {QStringLiteral("Номер"), 3.8, Qt::AlignHCenter},
                              {QStringLiteral("Период проживания"), 18.5, Qt::AlignLeft},
                              {QStringLiteral("Тариф"), 7.9, Qt::AlignLeft},
                              {QStringLiteral("Начислено"), 6.2, Qt::AlignRight},
                              {QStringLiteral("Оплачено"), 6.2, Qt::AlignRight},
                              {QStringLiteral("Остаток"), 6.2, Qt::AlignRight},
                              {QStringLiteral("Дата оплаты"), 6.5, Qt::AlignHCenter},
                              {QStringLiteral("Способ оплаты / Контракт"), 9, Qt::AlignLeft}});

    double charged = 0;
    double paid = 0;
    double contractCharged = 0;
    double contractPaid = 0;
    // By code unit of the name, the empty name first.
    QMap<QString, double> byPayType;

    const QJsonArray rows = reply.array();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QJsonObject row = object(rows.at(i));
        const int r = table.rowCount();
        const QString payer = text(row, "payer");
        const double total = number(row, "total");

        put(table, r, 0, QString::number(i + 1), Qt::AlignHCenter);
        put(table, r, 1,
            QStringLiteral("%1").arg(integer(row, "billNum"), 4, 10, QLatin1Char('0')));
        put(table, r, 2, text(row, "fullname"));
        put(table, r, 3, payer);
        if (!payer.isEmpty())
            contractCharged += total;

        for (const QJsonValue &value : array(row, "accommodation")) {
            const QJsonObject stay = object(value);
            put(table, r, 4, text(stay, "number"), Qt::AlignHCenter);
            put(table, r, 5,
                QStringLiteral("%1 - %2").arg(Global::formatDateTime(text(stay, "inDate")),
                                              Global::formatDateTime(text(stay, "outDate"))));
            put(table, r, 6,
                QStringLiteral("%1/%2").arg(Money::format(number(stay, "rateCost")),
                                            Money::format(number(stay, "rateHourCost"))));
        }
        put(table, r, 7, Money::format(total), Qt::AlignRight);

        for (const QJsonValue &value : array(row, "payments")) {
            const QJsonObject payment = object(value);
            const double summ = number(payment, "summ");
            const QString name = text(payment, "name");
            paid += summ;
            if (!payer.isEmpty())
                contractPaid += summ;
            byPayType[name] += summ;
            put(table, r, 8, Money::format(summ), Qt::AlignRight);
            put(table, r, 10, Global::formatDate(text(payment, "payDate")), Qt::AlignHCenter);
            put(table, r, 11, name);
        }
        // The row's own "paid", which may differ from its payments; the
        // totals below add the payments.
        put(table, r, 9, ReportLayout::moneyDifference(total, number(row, "paid")), Qt::AlignRight);
        charged += total;
    }

    const int totalRow = table.rowCount();
    table.cell(totalRow, 0).setColumnSpan(7);
    put(table, totalRow, 0, QStringLiteral("ИТОГО:"));
    put(table, totalRow, 7, Money::format(charged), Qt::AlignRight);
    put(table, totalRow, 8, Money::format(paid), Qt::AlignRight);
    put(table, totalRow, 9, ReportLayout::moneyDifference(charged, paid), Qt::AlignRight);
    table.cell(totalRow, 10).setColumnSpan(2);

    report.addVerticalSpacing(5);
    report.addElement(table, Qt::AlignLeft);
    report.addVerticalSpacing(5);

    ReportEngine::TableElement summary;
    summary.setHeaderRowCount(1);
    summary.setHeaderColumnCount(11);
    summary.setWidth(100);
    summary.setBorder(0);
    summary.setColumnConstraints({6.5, 8.5, 7.5, 8.5, 8.5, 7.5, 6.5, 8.5, 12.7, 12.7, 12.6});
    summary.cell(0, 0).setColumnSpan(2);
    put(summary, 0, 0, QStringLiteral("Всего по ведомости, в т.ч."), Qt::AlignLeft, 1);
    put(summary, 0, 3, QStringLiteral("по контракту"), Qt::AlignLeft, 1);
    put(summary, 0, 4, QStringLiteral("иные платежи"), Qt::AlignLeft, 1);
    summary.cell(0, 6).setColumnSpan(2);
    put(summary, 0, 6, QStringLiteral("Способ оплаты"), Qt::AlignLeft, 1);

    const struct
    {
        QString label;
        QString all;
        QString contract;
        QString others;
    } lines[] = {
        {QStringLiteral("Начислено: "), Money::format(charged), Money::format(contractCharged),
         ReportLayout::moneyDifference(charged, contractCharged)},
        {QStringLiteral("Оплачено: "), Money::format(paid), Money::format(contractPaid),
         ReportLayout::moneyDifference(paid, contractPaid)},
        {QStringLiteral("Остаток: "), ReportLayout::moneyDifference(charged, paid),
         ReportLayout::moneyDifference(contractCharged, contractPaid),
         Money::format(Money::toKopecks(charged) - Money::toKopecks(paid)
                       - (Money::toKopecks(contractCharged) - Money::toKopecks(contractPaid)))},
    };
    for (int i = 0; i < 3; ++i) {
        put(summary, i + 1, 0, lines[i].label);
        put(summary, i + 1, 1, roubles(lines[i].all), Qt::AlignRight);
        put(summary, i + 1, 3, roubles(lines[i].contract));
        put(summary, i + 1, 4, roubles(lines[i].others));
    }

    int line = 1;
    for (auto it = byPayType.cbegin(); it != byPayType.cend(); ++it, ++line) {
        put(summary, line, 6, it.key() + QLatin1Char(':'));
        put(summary, line, 7, roubles(Money::format(it.value())));
    }
    for (int row = 1; row <= 3; ++row) {
        put(summary, row, 8, QStringLiteral("Старший администратор"));
        put(summary, row, 9, QStringLiteral("_____________________"));
        put(summary, row, 10, QStringLiteral("А.А.Администратор"));
    }

    report.addElement(summary, Qt::AlignLeft);
}
