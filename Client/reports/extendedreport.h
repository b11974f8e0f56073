#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

class ReportFilterDialog;

namespace ReportEngine {
class Report;
}

// Base of every printed report and document: ask the filter (if any), build,
// preview at two thirds of the screen, and offer the filter again when the
// preview is closed without printing.
class ExtendedReport : public QObject
{
    Q_OBJECT

public:
    explicit ExtendedReport(QObject *parent = nullptr);

    void setFilterDialog(ReportFilterDialog *dialog);
    ReportFilterDialog *filterDialog() const;

    virtual void build(ReportEngine::Report &report, QMap<QString, QVariant> values) = 0;

    // The common page header: the organisation's name and the moment of printing.
    void loadDefault(ReportEngine::Report &report);

public slots:
    virtual void exec();

protected:
    // Called by build() when the document must not be shown, nor printed
    // from its preview: exec() tells the user `reason` instead.
    void withhold(const QString &reason) { withheld = reason; }

private:
    ReportFilterDialog *dialog = nullptr;
    QString withheld;
};
