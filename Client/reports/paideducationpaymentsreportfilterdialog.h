#pragma once

#include "reportfilterdialog.h"

namespace Ui {
class PaidEducationPaymentsReportFilterDialog;
}

// Filter of the paid-education statement: a paid curriculum and a range of
// training start dates.
class PaidEducationPaymentsReportFilterDialog : public ReportFilterDialog
{
    Q_OBJECT

public:
    explicit PaidEducationPaymentsReportFilterDialog(QWidget *parent = nullptr);
    ~PaidEducationPaymentsReportFilterDialog() override;

    void reset() override;
    QMap<QString, QVariant> getValues() override;

private:
    Ui::PaidEducationPaymentsReportFilterDialog *ui;
};
