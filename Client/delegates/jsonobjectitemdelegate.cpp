#include "jsonobjectitemdelegate.h"

#include <QVariantMap>

JsonObjectItemDelegate::JsonObjectItemDelegate(QObject *parent)
    : TextItemDelegate(parent)
{
}

QString JsonObjectItemDelegate::formatValue(const QVariant &value) const
{
    return formatObject(toObject(value));
}

QJsonObject JsonObjectItemDelegate::toObject(const QVariant &value)
{
    // The JSON table model hands nested objects over as variant maps.
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        return QJsonObject::fromVariantMap(value.toMap());
    case QMetaType::QVariantHash:
        return QJsonObject::fromVariantHash(value.toHash());
    case QMetaType::QJsonObject:
        return value.toJsonObject();
    case QMetaType::QJsonValue:
        return value.toJsonValue().toObject();
    default:
        return QJsonObject();
    }
}
