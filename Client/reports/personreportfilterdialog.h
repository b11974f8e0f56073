#pragma once

#include "reportfilterdialog.h"

namespace Ui {
class PersonReportFilterDialog;
}

// Filter of the listeners list: curriculum, stream, the range of stream
// start dates and "Факт."; it also offers the CSV export of the same list.
class PersonReportFilterDialog : public ReportFilterDialog
{
    Q_OBJECT

public:
    explicit PersonReportFilterDialog(QWidget *parent = nullptr);
    ~PersonReportFilterDialog() override;

    void reset() override;
    QMap<QString, QVariant> getValues() override;

signals:
    // The dialog stays open with its entries.
    void csvExportRequested();

private:
    Ui::PersonReportFilterDialog *ui;
};
