#pragma once

#include "reportfilterdialog.h"

namespace Ui {
class ContractPaymentsReportFilterDialog;
}

// Filter of the contract payment statement: range of departure dates and a payer
// (a pay type bound to a payer).
class ContractPaymentsReportFilterDialog : public ReportFilterDialog
{
    Q_OBJECT

public:
    explicit ContractPaymentsReportFilterDialog(QWidget *parent = nullptr);
    ~ContractPaymentsReportFilterDialog() override;

    void reset() override;
    QMap<QString, QVariant> getValues() override;

private:
    Ui::ContractPaymentsReportFilterDialog *ui;
};
