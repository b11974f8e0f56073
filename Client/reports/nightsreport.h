#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"
#include "nightsreportfilterdialog.h"

// "Сведения о количестве ночевок": nights and persons of a period, and the
// nights per floor 1 to 9.
class NightsReport : public ExtendedReport
{
    Q_OBJECT

public:
    explicit NightsReport(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    NightsReportFilterDialog dialog;
    NetworkManagerWrapper network;
};
