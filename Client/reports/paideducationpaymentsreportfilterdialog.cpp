#include "paideducationpaymentsreportfilterdialog.h"

#include "clock.h"
#include "commonselectordialog.h"
#include "directorycolumns.h"
#include "reportlayout.h"
#include "ui_paideducationpaymentsreportfilterdialog.h"

PaidEducationPaymentsReportFilterDialog::PaidEducationPaymentsReportFilterDialog(QWidget *parent)
    : ReportFilterDialog(parent)
    , ui(new Ui::PaidEducationPaymentsReportFilterDialog)
{
    ui->setupUi(this);
    ui->curriculumSelectorEdit->setSelector(
        CommonSelectorDialog::Builder::create()
            ->withEndpoint(QStringLiteral("curriculums?paidOnly=true"))
            ->withHeaders(DirectoryColumns::curriculums().headers())
            ->withItemDelegates(DirectoryColumns::curriculums().delegates())
            ->withDisplayColumn(1)
            ->build());
}

PaidEducationPaymentsReportFilterDialog::~PaidEducationPaymentsReportFilterDialog()
{
    delete ui;
}

void PaidEducationPaymentsReportFilterDialog::reset()
{
    // The curriculum stays as last chosen from one run to the next.
    ui->startDateEdit->setDate(Clock::today());
    ui->endDateEdit->setDate(ReportLayout::lastDayOfYear());
}

QMap<QString, QVariant> PaidEducationPaymentsReportFilterDialog::getValues()
{
    return {{QStringLiteral("startDate"), ReportLayout::dayText(ui->startDateEdit->date())},
            {QStringLiteral("endDate"), ReportLayout::dayText(ui->endDateEdit->date())},
            {QStringLiteral("curriculumId"), ui->curriculumSelectorEdit->getSelectedId()}};
}
