#pragma once

#include "form1act.h"

// The act by which the customer hands the rented item back: form 1 with the
// template ":/reports/Form2Act.xml".
class Form2Act : public Form1Act
{
    Q_OBJECT

public:
    explicit Form2Act(QObject *parent = nullptr);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;
};
