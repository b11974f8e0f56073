#include "personreportfilterdialog.h"

#include "reportlayout.h"
#include "commonselectordialog.h"
#include "selectorfactory.h"
#include "ui_personreportfilterdialog.h"

PersonReportFilterDialog::PersonReportFilterDialog(QWidget *parent)
    : ReportFilterDialog(parent)
    , ui(new Ui::PersonReportFilterDialog)
{
    ui->setupUi(this);
    // The fields own their selectors.
    ui->curriculumSelectorWidget->setSelector(SelectorFactory::createCurriculumSelector(false));
    ui->streamSelectorWidget->setSelector(SelectorFactory::createStreamSelector());
    connect(ui->csvExportButton, &QPushButton::clicked, this,
            &PersonReportFilterDialog::csvExportRequested);
}

PersonReportFilterDialog::~PersonReportFilterDialog()
{
    delete ui;
}

void PersonReportFilterDialog::reset()
{
    ui->curriculumSelectorWidget->reset();
    ui->streamSelectorWidget->reset();
    ui->streamStartDateEdit->setDate(ReportLayout::firstDayOfYear());
    ui->streamEndDateEdit->setDate(ReportLayout::lastDayOfYear());
    ui->factCheckBox->setChecked(false);
}

QMap<QString, QVariant> PersonReportFilterDialog::getValues()
{
    return {{QStringLiteral("curriculumId"), ui->curriculumSelectorWidget->getSelectedId()},
            {QStringLiteral("streamId"), ui->streamSelectorWidget->getSelectedId()},
            {QStringLiteral("startDate"), ReportLayout::dayText(ui->streamStartDateEdit->date())},
            {QStringLiteral("endDate"), ReportLayout::dayText(ui->streamEndDateEdit->date())},
            {QStringLiteral("fact"), ui->factCheckBox->isChecked()}};
}
