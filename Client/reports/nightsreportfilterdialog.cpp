#include "nightsreportfilterdialog.h"

#include "reportlayout.h"
#include "ui_nightsreportfilterdialog.h"

NightsReportFilterDialog::NightsReportFilterDialog(QWidget *parent)
    : ReportFilterDialog(parent)
    , ui(new Ui::NightsReportFilterDialog)
{
    ui->setupUi(this);
}

NightsReportFilterDialog::~NightsReportFilterDialog()
{
    delete ui;
}

void NightsReportFilterDialog::reset()
{
    ui->startDateEdit->setDate(ReportLayout::firstDayOfYear());
    ui->endDateEdit->setDate(ReportLayout::lastDayOfYear());
}

QMap<QString, QVariant> NightsReportFilterDialog::getValues()
{
    return {{QStringLiteral("startDate"), ReportLayout::dayText(ui->startDateEdit->date())},
            {QStringLiteral("endDate"), ReportLayout::dayText(ui->endDateEdit->date())}};
}
