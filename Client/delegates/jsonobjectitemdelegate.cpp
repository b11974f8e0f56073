#include "jsonobjectitemdelegate.h"

#include "delegatetext.h"

#include <QVariantMap>

JsonObjectItemDelegate::JsonObjectItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QSize JsonObjectItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                       const QModelIndex &index) const
{
    return DelegateText::sizeFor(option, formatValue(index.data()));
}

void JsonObjectItemDelegate::initStyleOption(QStyleOptionViewItem *option,
                                             const QModelIndex &index) const
{
    option->text = formatValue(index.data());
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
