#pragma once

#include "contractpaymentsreportfilterdialog.h"
#include "extendedreport.h"
#include "networkmanagerwrapper.h"

// "РАСЧЕТНАЯ ВЕДОМОСТЬ (контракт)": per contract payer its entries with
// their stays and payments, the payer's subtotal from the server and a grand
// total of the subtotals.
class ContractPaymentsReport : public ExtendedReport
{
    Q_OBJECT

public:
    explicit ContractPaymentsReport(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    ContractPaymentsReportFilterDialog dialog;
    NetworkManagerWrapper network;
};
