#include "paideducationpaymentsreport.h"

#include "global.h"
#include "money.h"
#include "reportlayout.h"
#include "reportreply.h"

#include <report.h>
#include <tableelement.h>

using namespace ReportReply;
using ReportLayout::put;

PaidEducationPaymentsReport::PaidEducationPaymentsReport(QObject *parent)
    : ExtendedReport(parent)
{
    setFilterDialog(&dialog);
}

void PaidEducationPaymentsReport::build(ReportEngine::Report &report,
                                        QMap<QString, QVariant> values)
{
    ReportLayout::BusyIndicator busy;
    loadDefault(report);
    ReportLayout::setUpPage(report, QPageLayout::Landscape, 10, 8, 10, 8);

    const QJsonDocument reply
        = fetch(network,
                QStringLiteral("reports/payments/paid_education?start=%1&end=%2&curriculumId=%3")
                    .arg(values.value(QStringLiteral("startDate")).toString(),
                         values.value(QStringLiteral("endDate")).toString(),
                         QString::number(values.value(QStringLiteral("curriculumId")).toInt())));

    ReportEngine::TableElement table;
    ReportLayout::setUpTable(table,
                             {{QStringLiteral("№ п/п"), 3.9, Qt::AlignHCenter},
                              {QStringLiteral("Кв-ция"), 5.2, Qt::AlignHCenter},
                              {QStringLiteral("Ф И О"), 18.6, Qt::AlignLeft},
                              {QStringLiteral("Поток"), 13.4, Qt::AlignLeft},
                              {QStringLiteral("Образовательная услуга"), 13.4, Qt::AlignLeft},
                              {QStringLiteral("Период оказания услуги"), 10.8, Qt::AlignHCenter},
                              {QStringLiteral("Оплачено"), 9.5, Qt::AlignRight},
                              {QStringLiteral("Дата оплаты"), 10.4, Qt::AlignHCenter},
                              {QStringLiteral("Кассир"), 15.6, Qt::AlignLeft}});

    double sum = 0;
    for (const QJsonValue &value : reply.array()) {
        const QJsonObject row = object(value);
        const QJsonObject stream = object(row, "stream");
        const double paid = number(row, "paid");
        const int r = table.rowCount();
        put(table, r, 0, QString::number(r), Qt::AlignHCenter);
        put(table, r, 1, QString::number(integer(row, "number")), Qt::AlignHCenter);
        put(table, r, 2, text(row, "fullname"));
        put(table, r, 3,
            QStringLiteral("%1 | %2 - %3")
                .arg(text(stream, "name"), Global::formatDate(text(stream, "startDate")),
                     Global::formatDate(text(stream, "endDate"))));
        put(table, r, 4, text(row, "curriculum"));
        put(table, r, 5,
            QStringLiteral("%1 - %2").arg(Global::formatDate(text(row, "startDate")),
                                          Global::formatDate(text(row, "endDate"))),
            Qt::AlignHCenter);
        put(table, r, 6, Money::format(paid), Qt::AlignRight);
        put(table, r, 7, Global::formatDate(text(row, "payDate")), Qt::AlignHCenter);
        put(table, r, 8, text(row, "cassir"));
        sum += paid;
    }

    const QJsonDocument signers = fetch(network, QStringLiteral("users/rv0"));

    ReportEngine::TableElement summary;
    summary.setWidth(100);
    summary.setBorder(0);
    summary.setColumnConstraints({50});
    put(summary, 0, 0, QStringLiteral("Оплачено: %1 руб.").arg(Money::format(sum)));

    ReportEngine::TableElement signatures;
    signatures.setBorder(0);
    const QJsonArray rows = signers.array();
    for (int k = 0; k < rows.size(); ++k) {
        const QJsonObject signer = object(rows.at(k));
        put(signatures, k, 0, text(signer, "position"));
        put(signatures, k, 1, QStringLiteral("_____________________"));
        put(signatures, k, 2, text(signer, "name"));
    }
    summary.cell(0, 1).addElement(signatures, Qt::AlignLeft);

    report.addElement(ReportLayout::text(QStringLiteral("РАСЧЕТНАЯ ВЕДОМОСТЬ"), 1),
                      Qt::AlignCenter);
    report.addElement(ReportLayout::text(QStringLiteral("(образовательные услуги)")),
                      Qt::AlignCenter);
    report.addVerticalSpacing(10);
    report.addElement(table, Qt::AlignLeft);
    report.addVerticalSpacing(5);
    report.addElement(ReportLayout::text(QStringLiteral("Всего по ведомости:")), Qt::AlignLeft);
    report.addElement(summary, Qt::AlignLeft);
}
