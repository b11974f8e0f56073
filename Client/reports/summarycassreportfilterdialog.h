#pragma once

#include "reportfilterdialog.h"

namespace Ui {
class SummaryCassReportFilterDialog;
}

// Filter of the cash summary: the period of pay dates.
class SummaryCassReportFilterDialog : public ReportFilterDialog
{
    Q_OBJECT

public:
    explicit SummaryCassReportFilterDialog(QWidget *parent = nullptr);
    ~SummaryCassReportFilterDialog() override;

    void reset() override;
    QMap<QString, QVariant> getValues() override;

private:
    Ui::SummaryCassReportFilterDialog *ui;
};
