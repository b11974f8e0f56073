#pragma once

#include "jsonvalidator.h"

#include <QMap>
#include <QSet>
#include <QStringList>

// Required top-level keys, each with the label that names it to the user.
// Keys are checked in ascending key order, not in the order they were added.
class DefaultJsonValidator : public JsonValidator
{
    Q_OBJECT

public:
    explicit DefaultJsonValidator(QObject *parent = nullptr);

    void addRequiredProperty(const QString &key, const QString &label = QString(),
                             bool isId = false);
    QStringList getRequiredProperties() const;

    Result validate(const QJsonDocument &document) override;

private:
    QMap<QString, QString> requiredLabels;
    QSet<QString> idKeys;
};
