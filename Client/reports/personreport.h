#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"
#include "personreportfilterdialog.h"

// "СПИСОК СЛУШАТЕЛЕЙ": per stream its curriculum, its dates and a numbered
// table of its listeners; the filter's "Экспорт в CSV" writes the same
// listeners into one file.
class PersonReport : public ExtendedReport
{
    Q_OBJECT

public:
    explicit PersonReport(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

public slots:
    void exportCsv();

private:
    PersonReportFilterDialog dialog;
    NetworkManagerWrapper network;
};
