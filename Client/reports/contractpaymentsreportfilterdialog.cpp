#include "contractpaymentsreportfilterdialog.h"

#include "commonselectordialog.h"
#include "selectorfactory.h"
#include "reportlayout.h"
#include "ui_contractpaymentsreportfilterdialog.h"

ContractPaymentsReportFilterDialog::ContractPaymentsReportFilterDialog(QWidget *parent)
    : ReportFilterDialog(parent)
    , ui(new Ui::ContractPaymentsReportFilterDialog)
{
    ui->setupUi(this);
    ui->payerSelectorEdit->setSelector(SelectorFactory::createPayTypeSelector(true, true));
}

ContractPaymentsReportFilterDialog::~ContractPaymentsReportFilterDialog()
{
    delete ui;
}

void ContractPaymentsReportFilterDialog::reset()
{
    ui->startDateEdit->setDate(ReportLayout::firstDayOfYear());
    ui->endDateEdit->setDate(ReportLayout::lastDayOfYear());
    ui->payerSelectorEdit->reset();
}

QMap<QString, QVariant> ContractPaymentsReportFilterDialog::getValues()
{
    return {{QStringLiteral("startDate"), ReportLayout::dayText(ui->startDateEdit->date())},
            {QStringLiteral("endDate"), ReportLayout::dayText(ui->endDateEdit->date())},
            {QStringLiteral("payerId"), ui->payerSelectorEdit->getSelectedId()}};
}
