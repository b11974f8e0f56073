#include "defaultjsonvalidator.h"

#include <QJsonObject>
#include <QJsonValue>

DefaultJsonValidator::DefaultJsonValidator(QObject *parent)
    : JsonValidator(parent)
{
}

void DefaultJsonValidator::addRequiredProperty(const QString &key, const QString &label, bool isId)
{
    requiredLabels.insert(key, label.isEmpty() ? key : label);
    if (isId)
        idKeys.insert(key);
}

QStringList DefaultJsonValidator::getRequiredProperties() const
{
    return requiredLabels.keys();
}

JsonValidator::Result DefaultJsonValidator::validate(const QJsonDocument &document)
{
    const QJsonObject object = document.object();
    for (auto it = requiredLabels.cbegin(); it != requiredLabels.cend(); ++it) {
        const QJsonValue value = object.value(it.key());
        const bool missing = value.isUndefined() || value.isNull()
                             || (value.isString() && value.toString().isEmpty())
                             || (idKeys.contains(it.key()) && value.toInt(0) == -1);
        if (missing)
            return {false, QStringLiteral("%1: Требуется значение").arg(it.value())};
    }
    return {true, QString()};
}
