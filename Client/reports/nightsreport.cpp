#include "nightsreport.h"

#include "reportlayout.h"
#include "reportreply.h"

#include <report.h>
#include <tableelement.h>

using namespace ReportReply;
using ReportLayout::put;

NightsReport::NightsReport(QObject *parent)
    : ExtendedReport(parent)
{
    setFilterDialog(&dialog);
}

void NightsReport::build(ReportEngine::Report &report, QMap<QString, QVariant> values)
{
    ReportLayout::BusyIndicator busy;
    loadDefault(report);
    ReportLayout::setUpPage(report, QPageLayout::Portrait, 10, 8, 10, 8);
    const QString start = values.value(QStringLiteral("startDate")).toString();
    const QString end = values.value(QStringLiteral("endDate")).toString();
    report.addElement(
        ReportLayout::text(
            QStringLiteral("Сведения о количестве ночевок, численности размещенных лиц"), 0, true),
        Qt::AlignCenter);
    report.addElement(ReportLayout::text(QStringLiteral("(%1 - %2)").arg(start, end)),
                      Qt::AlignCenter);

    const QJsonObject reply
        = fetch(network, QStringLiteral("reports/nights?start=%1&end=%2").arg(start, end)).object();

    ReportEngine::TableElement indicators;
    indicators.setHeaderRowCount(1);
    indicators.setHeaderColumnCount(2);
    put(indicators, 0, 0, QStringLiteral("Наименование показателя"), Qt::AlignHCenter);
    put(indicators, 0, 1, QStringLiteral("За отчетный период"), Qt::AlignHCenter);
    const struct
    {
        QString label;
        const char *key;
    } rows[] = {
        {QStringLiteral("Число ночевок, единиц"), "nights"},
        {QStringLiteral("Численность размещенных лиц, всего"), "persons"},
        {QStringLiteral("Численность размещенных лиц, дата заезда которых приходится на отчетный "
                        "месяц (за исключением лиц, размещенных в предыдущие месяцы), всего"),
         "persons2"},
    };
    for (int i = 0; i < 3; ++i) {
        put(indicators, i + 1, 0, rows[i].label);
        put(indicators, i + 1, 1, QString::number(count(reply, rows[i].key)), Qt::AlignHCenter);
    }

    // Each floor sums what the server sends for it, so floors out of order,
    // sent twice or outside 1 to 9 cannot blank the rows of the others.
    qint64 nightsByFloor[10] = {};
    for (const QJsonValue &value : array(reply, "floors")) {
        const QJsonObject floor = object(value);
        const int number = integer(floor, "floor");
        if (number >= 1 && number <= 9)
            nightsByFloor[number] += count(floor, "nights");
    }
    ReportEngine::TableElement floors;
    floors.setHeaderRowCount(1);
    floors.setHeaderColumnCount(2);
    put(floors, 0, 0, QStringLiteral("Этаж"), Qt::AlignHCenter);
    put(floors, 0, 1, QStringLiteral("Количество ночевок, единиц"), Qt::AlignHCenter);
    for (int floor = 1; floor <= 9; ++floor) {
        put(floors, floor, 0, QString::number(floor), Qt::AlignHCenter);
        put(floors, floor, 1, QString::number(nightsByFloor[floor]), Qt::AlignHCenter);
    }

    report.addVerticalSpacing(5);
    report.addElement(indicators, Qt::AlignLeft);
    report.addVerticalSpacing(5);
    report.addElement(ReportLayout::text(QStringLiteral("Число ночевок с разбивкой по этажам")),
                      Qt::AlignLeft);
    report.addElement(floors, Qt::AlignLeft);
}
