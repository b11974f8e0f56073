#pragma once

#include "extendedreport.h"
#include "networkmanagerwrapper.h"

#include <QJsonObject>
#include <QString>

// The receipt for an extra service or for paid education, in two identical
// copies. The record decides the kind: one holding "extraService" is an
// extra-service receipt, any other a paid-education one.
class Receipt : public ExtendedReport
{
    Q_OBJECT

public:
    explicit Receipt(QObject *parent = nullptr);
    ~Receipt() override;

    // The customer's full name as the card shows it.
    void setPerson(const QString &person);
    // The receipt row exactly as the server sent it.
    void setObject(const QJsonObject &object);

    void build(ReportEngine::Report &report, QMap<QString, QVariant> values) override;

private:
    NetworkManagerWrapper manager;
    QJsonObject object;
    QString person;
};
