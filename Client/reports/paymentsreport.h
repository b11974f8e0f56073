#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"
#include "paymentsreportfilterdialog.h"

// "РАСЧЁТНАЯ ВЕДОМОСТЬ": the server's statement rows with a total row, and a
// summary computed here: charged, paid and remaining in all, by contract and
// otherwise, the paid sums per pay type and the signature lines.
class PaymentsReport : public ExtendedReport
{
    Q_OBJECT

public:
    explicit PaymentsReport(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    PaymentsReportFilterDialog dialog;
    NetworkManagerWrapper network;
};
