#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"
#include "roomsreportfilterdialog.h"

// "КАРТА ЗАГРУЗКИ НОМЕРОВ": at one moment every room by floor with its
// places and occupants, a line per floor and a grand total, all counted here.
class RoomsReport : public ExtendedReport
{
    Q_OBJECT

public:
    explicit RoomsReport(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    RoomsReportFilterDialog dialog;
    NetworkManagerWrapper network;
};
