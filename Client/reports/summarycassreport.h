#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"
#include "summarycassreportfilterdialog.h"

// "КАССОВЫЙ ОТЧЁТ (СВОД)": the cash report over a period, accommodation split
// into listeners and guests.
class SummaryCassReport : public ExtendedReport
{
    Q_OBJECT

public:
    explicit SummaryCassReport(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    SummaryCassReportFilterDialog dialog;
    NetworkManagerWrapper network;
};
