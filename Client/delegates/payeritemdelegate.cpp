#include "payeritemdelegate.h"

PayerItemDelegate::PayerItemDelegate(QObject *parent)
    : JsonObjectItemDelegate(parent)
{
}

QString PayerItemDelegate::formatObject(const QJsonObject &object) const
{
    if (object.isEmpty())
        return QString();
    return object.value("name").toString() + QStringLiteral(" | ")
           + object.value("payer").toObject().value("name").toString();
}
