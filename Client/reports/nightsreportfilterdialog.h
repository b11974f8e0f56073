#pragma once

#include "reportfilterdialog.h"

namespace Ui {
class NightsReportFilterDialog;
}

// Filter of the nights report: the reporting period.
class NightsReportFilterDialog : public ReportFilterDialog
{
    Q_OBJECT

public:
    explicit NightsReportFilterDialog(QWidget *parent = nullptr);
    ~NightsReportFilterDialog() override;

    void reset() override;
    QMap<QString, QVariant> getValues() override;

private:
    Ui::NightsReportFilterDialog *ui;
};
