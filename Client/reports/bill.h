#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"

// A person's bill: the stays the server charged, the payments taken, the
// three sums in figures and in words and the two signature lines, in two
// identical copies. Every run reads the server anew.
class Bill : public ExtendedReport
{
    Q_OBJECT

public:
    explicit Bill(QObject *parent = nullptr);
    ~Bill() override;

    void setTargetId(int id);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    int personId = 0;
    NetworkManagerWrapper manager;
};
