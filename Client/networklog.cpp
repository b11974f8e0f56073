#include "networklog.h"

#include <QJsonArray>

Q_LOGGING_CATEGORY(lomiNetwork, "lomi.network", QtInfoMsg)

namespace {

QJsonValue maskValue(const QJsonValue &value);

QJsonObject maskObject(QJsonObject object)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().compare(QLatin1String("password"), Qt::CaseInsensitive) == 0)
            it.value() = QStringLiteral("***");
        else if (it.value().isObject() || it.value().isArray())
            it.value() = maskValue(it.value());
    }
    return object;
}

QJsonValue maskValue(const QJsonValue &value)
{
    if (value.isObject())
        return maskObject(value.toObject());
    if (value.isArray()) {
        QJsonArray array = value.toArray();
        for (auto it = array.begin(); it != array.end(); ++it)
            *it = maskValue(*it);
        return array;
    }
    return value;
}

}  // namespace

QJsonDocument NetworkLog::masked(const QJsonDocument &document)
{
    if (document.isObject())
        return QJsonDocument(maskObject(document.object()));
    if (document.isArray())
        return QJsonDocument(maskValue(document.array()).toArray());
    return document;
}

QJsonObject NetworkLog::masked(const QJsonObject &object)
{
    return maskObject(object);
}
