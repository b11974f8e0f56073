#include "paymentsreportfilterdialog.h"

#include "reportlayout.h"
#include "commonselectordialog.h"
#include "selectorfactory.h"
#include "ui_paymentsreportfilterdialog.h"

PaymentsReportFilterDialog::PaymentsReportFilterDialog(QWidget *parent)
    : ReportFilterDialog(parent)
    , ui(new Ui::PaymentsReportFilterDialog)
{
    ui->setupUi(this);
    ui->streamSelectorWidget->setSelector(SelectorFactory::createStreamSelector());
}

PaymentsReportFilterDialog::~PaymentsReportFilterDialog()
{
    delete ui;
}

void PaymentsReportFilterDialog::reset()
{
    ui->streamSelectorWidget->reset();
    ui->startDateEdit->setDate(ReportLayout::firstDayOfYear());
    ui->endDateEdit->setDate(ReportLayout::lastDayOfYear());
    ui->debtOnlyCheckBox->setChecked(false);
}

QMap<QString, QVariant> PaymentsReportFilterDialog::getValues()
{
    return {{QStringLiteral("streamId"), ui->streamSelectorWidget->getSelectedId()},
            {QStringLiteral("start"), ReportLayout::dayText(ui->startDateEdit->date())},
            {QStringLiteral("end"), ReportLayout::dayText(ui->endDateEdit->date())},
            {QStringLiteral("listeners"), ui->listeners->isChecked() || ui->all->isChecked()},
            {QStringLiteral("guests"), ui->guests->isChecked() || ui->all->isChecked()},
            {QStringLiteral("debtOnly"), ui->debtOnlyCheckBox->isChecked()}};
}
