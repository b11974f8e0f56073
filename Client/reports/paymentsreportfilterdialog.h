#pragma once

#include "reportfilterdialog.h"

namespace Ui {
class PaymentsReportFilterDialog;
}

// Filter of the payment statement: stream, range of departure dates,
// listeners, guests or both, and debtors only.
class PaymentsReportFilterDialog : public ReportFilterDialog
{
    Q_OBJECT

public:
    explicit PaymentsReportFilterDialog(QWidget *parent = nullptr);
    ~PaymentsReportFilterDialog() override;

    // The audience stays as last chosen.
    void reset() override;
    QMap<QString, QVariant> getValues() override;

private:
    Ui::PaymentsReportFilterDialog *ui;
};
