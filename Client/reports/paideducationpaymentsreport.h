#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"
#include "paideducationpaymentsreportfilterdialog.h"

// "РАСЧЕТНАЯ ВЕДОМОСТЬ (образовательные услуги)": the paid-education
// payments, their sum and the signature lines of the signers the server names.
class PaidEducationPaymentsReport : public ExtendedReport
{
    Q_OBJECT

public:
    explicit PaidEducationPaymentsReport(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    NetworkManagerWrapper network;
    PaidEducationPaymentsReportFilterDialog dialog;
};
