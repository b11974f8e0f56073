#include "reportfilterdialog.h"

ReportFilterDialog::ReportFilterDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Фильтр"));
}

void ReportFilterDialog::reset()
{
}

QMap<QString, QVariant> ReportFilterDialog::getValues()
{
    return {};
}
