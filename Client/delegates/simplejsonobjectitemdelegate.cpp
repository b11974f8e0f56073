#include "simplejsonobjectitemdelegate.h"

SimpleJsonObjectItemDelegate::SimpleJsonObjectItemDelegate(QObject *parent, const QString &key)
    : JsonObjectItemDelegate(parent)
    , key(key)
{
}

QString SimpleJsonObjectItemDelegate::formatObject(const QJsonObject &object) const
{
    return object.value(key).toString();
}
