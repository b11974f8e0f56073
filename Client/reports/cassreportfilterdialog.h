#pragma once

#include "reportfilterdialog.h"

namespace Ui {
class CassReportFilterDialog;
}

// Filter of the daily cash report: the pay date.
class CassReportFilterDialog : public ReportFilterDialog
{
    Q_OBJECT

public:
    explicit CassReportFilterDialog(QWidget *parent = nullptr);
    ~CassReportFilterDialog() override;

    void reset() override;
    QMap<QString, QVariant> getValues() override;

private:
    Ui::CassReportFilterDialog *ui;
};
