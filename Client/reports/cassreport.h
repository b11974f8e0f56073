#pragma once

#include "cassreportfilterdialog.h"
#include "extendedreport.h"
#include "networkmanagerwrapper.h"

// "КАССОВЫЙ ОТЧЕТ": what the cash desk took on one day, in three sections
// (accommodation, extra services, education) with the server's totals per
// section and per pay type.
class CassReport : public ExtendedReport
{
    Q_OBJECT

public:
    explicit CassReport(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    CassReportFilterDialog dialog;
    NetworkManagerWrapper network;
};
