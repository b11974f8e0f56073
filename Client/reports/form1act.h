#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"

// The act by which the centre hands a rented property item to the customer:
// the template ":/reports/Form1Act.xml" filled from one rental receipt,
// printed twice with a tear-off line between the copies.
class Form1Act : public ExtendedReport
{
    Q_OBJECT

public:
    explicit Form1Act(QObject *parent = nullptr);
    ~Form1Act() override;

    // The property printed is the one the receipt carries; the property id
    // is kept for the owner's sake only.
    void setTarget(int receiptId, int propertyId);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

protected:
    void buildFromTemplate(ReportEngine::Report &report, const QString &templatePath);

private:
    int receiptId = 0;
    int propertyId = 0;
    NetworkManagerWrapper manager;
};
