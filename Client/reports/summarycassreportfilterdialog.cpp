#include "summarycassreportfilterdialog.h"

#include "reportlayout.h"
#include "ui_summarycassreportfilterdialog.h"

SummaryCassReportFilterDialog::SummaryCassReportFilterDialog(QWidget *parent)
    : ReportFilterDialog(parent)
    , ui(new Ui::SummaryCassReportFilterDialog)
{
    ui->setupUi(this);
}

SummaryCassReportFilterDialog::~SummaryCassReportFilterDialog()
{
    delete ui;
}

void SummaryCassReportFilterDialog::reset()
{
    ui->startDateEdit->setDate(ReportLayout::firstDayOfYear());
    ui->endDateEdit->setDate(ReportLayout::lastDayOfYear());
}

QMap<QString, QVariant> SummaryCassReportFilterDialog::getValues()
{
    return {{QStringLiteral("startDate"), ReportLayout::dayText(ui->startDateEdit->date())},
            {QStringLiteral("endDate"), ReportLayout::dayText(ui->endDateEdit->date())}};
}
