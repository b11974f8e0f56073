#pragma once

#include "extendedreport.h"

// The registration card a person signs on arrival: the person's data, the
// stays booked and the consent to the processing of personal data, from the
// template ":/reports/RegistrationCard.xml".
class RegistrationCard : public ExtendedReport
{
    Q_OBJECT

public:
    explicit RegistrationCard(QObject *parent = nullptr);

    void setTargetId(int id);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    int personId = 0;
};
