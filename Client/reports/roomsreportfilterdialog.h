#pragma once

#include "networkmanagerwrapper.h"
#include "reportfilterdialog.h"

#include <QMap>
#include <QStringList>

namespace Ui {
class RoomsReportFilterDialog;
}

// Filter of the room occupancy map: the moment (a day and a whole hour),
// a floor and a room type from the server's rooms, and free, occupied or all.
class RoomsReportFilterDialog : public ReportFilterDialog
{
    Q_OBJECT

public:
    explicit RoomsReportFilterDialog(QWidget *parent = nullptr);
    ~RoomsReportFilterDialog() override;

    // Also reloads the rooms that the floor and type lists offer.
    void reset() override;
    QMap<QString, QVariant> getValues() override;

private:
    void refillTypes();

    NetworkManagerWrapper network;
    Ui::RoomsReportFilterDialog *ui;
    // The descriptions of each floor's rooms, in the server's order.
    QMap<int, QStringList> roomsByFloor;
};
