#include "extendedreport.h"

#include "messagebox.h"
#include "reportfilterdialog.h"
#include "reportshelper.h"

#include <previewdialog.h>
#include <report.h>

#include <QGuiApplication>
#include <QScreen>

#include <memory>

ExtendedReport::ExtendedReport(QObject *parent)
    : QObject(parent)
{
}

void ExtendedReport::setFilterDialog(ReportFilterDialog *filter)
{
    dialog = filter;
}

ReportFilterDialog *ExtendedReport::filterDialog() const
{
    return dialog;
}

void ExtendedReport::exec()
{
    if (dialog)
        dialog->reset();

    for (;;) {
        QMap<QString, QVariant> values;
        if (dialog) {
            if (dialog->exec() != QDialog::Accepted)
                return;
            values = dialog->getValues();
        }

        auto report = std::make_unique<ReportEngine::Report>(nullptr);
        withheld.clear();
        build(*report, values);
        if (!withheld.isEmpty()) {
            MessageBox::warning(nullptr, QStringLiteral("Документ не сформирован"), withheld,
                                QMessageBox::Ok);
            return;
        }

        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        ReportEngine::PreviewDialog preview(report.get(), nullptr);
        preview.resize(screen.width() * 2 / 3, screen.height() * 2 / 3);
        const int result = preview.exec();

        if (result == QDialog::Accepted || !dialog)
            return;
    }
}

void ExtendedReport::loadDefault(ReportEngine::Report &report)
{
    ReportsHelper::loadPageHeader(report);
}
