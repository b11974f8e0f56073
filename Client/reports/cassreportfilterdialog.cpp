#include "cassreportfilterdialog.h"

#include "clock.h"
#include "reportlayout.h"
#include "ui_cassreportfilterdialog.h"

CassReportFilterDialog::CassReportFilterDialog(QWidget *parent)
    : ReportFilterDialog(parent)
    , ui(new Ui::CassReportFilterDialog)
{
    ui->setupUi(this);
}

CassReportFilterDialog::~CassReportFilterDialog()
{
    delete ui;
}

void CassReportFilterDialog::reset()
{
    ui->dateEdit->setDate(Clock::today());
}

QMap<QString, QVariant> CassReportFilterDialog::getValues()
{
    return {{QStringLiteral("date"), ReportLayout::dayText(ui->dateEdit->date())}};
}
