#include "roomsreport.h"

#include "global.h"
#include "reportlayout.h"
#include "reportreply.h"

#include <report.h>
#include <tableelement.h>

#include <QUrl>

using namespace ReportReply;
using ReportLayout::put;

RoomsReport::RoomsReport(QObject *parent)
    : ExtendedReport(parent)
{
    setFilterDialog(&dialog);
}

void RoomsReport::build(ReportEngine::Report &report, QMap<QString, QVariant> values)
{
    ReportLayout::BusyIndicator busy;
    loadDefault(report);
    const QString date = values.value(QStringLiteral("date")).toString();
    ReportLayout::setUpPage(report, QPageLayout::Portrait, 10, 8, 10, 8);
    report.addElement(
        ReportLayout::text(QStringLiteral("КАРТА ЗАГРУЗКИ НОМЕРОВ на ") + date, 0, true),
        Qt::AlignCenter);

    // A room type may hold "&", "#" or "+", which would cut or change the
    // query; its blanks and Cyrillic go out as tolerant parsing would send them.
    const QString type = values.contains(QStringLiteral("type")) ? QStringLiteral("&type=")
            + QString::fromLatin1(QUrl::toPercentEncoding(
                values.value(QStringLiteral("type")).toString()))
                                                                 : QString();
    const QJsonDocument reply
        = fetch(network,
                QStringLiteral("reports/rooms?floor=%1&date=%2&free=%3&occupied=%4%5")
                    .arg(QString::number(values.value(QStringLiteral("floor")).toInt()), date,
                         queryFlag(values.value(QStringLiteral("free"))),
                         queryFlag(values.value(QStringLiteral("occupied"))), type));
    if (!reply.isArray())
        return;

    ReportEngine::TableElement table;
    ReportLayout::setUpTable(table,
                             {{QStringLiteral("Номер"), 5.3, Qt::AlignHCenter},
                              {QStringLiteral("Вид номера"), 30.4, Qt::AlignLeft},
                              {QStringLiteral("Мест"), 4.4, Qt::AlignHCenter},
                              {QStringLiteral("Состояние"), 9.4, Qt::AlignLeft},
                              {QStringLiteral("Период проживания"), 21.9, Qt::AlignHCenter},
                              {QStringLiteral("Ф И О"), 28.6, Qt::AlignLeft}});

    // Bounded counts summed in 64 bits: no reply is long enough to overflow them.
    qint64 places = 0;
    qint64 occupied = 0;
    for (const QJsonValue &value : reply.array()) {
        const QJsonArray rooms = array(value);
        // The floor line stands above its rooms but is written once they are counted.
        const int floorRow = table.rowCount();
        ReportEngine::Cell &floorLine = table.cell(floorRow, 0);
        floorLine.setColumnSpan(6);

        qint64 floorPlaces = 0;
        qint64 floorOccupied = 0;
        for (const QJsonValue &roomValue : rooms) {
            const QJsonObject room = object(roomValue);
            const QJsonArray occupants = array(room, "accm");
            const int rateSize = count(room, "rateSize");
            floorOccupied += occupants.size();
            floorPlaces += rateSize;

            const int row = table.rowCount();
            put(table, row, 0, text(room, "number"), Qt::AlignHCenter);
            put(table, row, 1, text(room, "description"));
            put(table, row, 2, QString::number(integer(room, "size")), Qt::AlignHCenter);
            for (const QJsonValue &occupantValue : occupants) {
                const QJsonObject occupant = object(occupantValue);
                put(table, row, 3, QStringLiteral("1 - занято"));
                put(table, row, 4,
                    QStringLiteral("%1 - %2").arg(
                        Global::formatDate(text(occupant, "inDate")),
                        Global::formatDateTime(text(occupant, "outDate"))),
                    Qt::AlignHCenter);
                put(table, row, 5, text(occupant, "fullname"));
            }
            const qint64 free = rateSize - occupants.size();
            if (free != 0)
                put(table, row, 3, QStringLiteral("%1 - свободно").arg(free));
        }

        const int floor = rooms.isEmpty() ? 0 : integer(object(rooms.first()), "floor");
        floorLine.addElement(
            ReportLayout::text(
                QStringLiteral("%1 этаж (мест - %2, из них занято - %3, свободно - %4)")
                    .arg(floor)
                    .arg(floorPlaces)
                    .arg(floorOccupied)
                    .arg(floorPlaces - floorOccupied),
                0, true),
            Qt::AlignLeft);
        places += floorPlaces;
        occupied += floorOccupied;
    }

    ReportEngine::Cell &total = table.cell(table.rowCount(), 0);
    total.setColumnSpan(6);
    total.addElement(
        ReportLayout::text(QStringLiteral("Мест всего - %1, в т.ч. свободно - %2, занято - %3")
                               .arg(places)
                               .arg(places - occupied)
                               .arg(occupied),
                           0, true),
        Qt::AlignLeft);

    report.addVerticalSpacing(5);
    report.addElement(table, Qt::AlignLeft);
}
