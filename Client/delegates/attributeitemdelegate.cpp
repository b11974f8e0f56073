#include "attributeitemdelegate.h"

AttributeItemDelegate::AttributeItemDelegate(QObject *parent, const QMap<int, QString> &variants)
    : TextItemDelegate(parent)
    , variants(variants)
{
}

QString AttributeItemDelegate::formatValue(const QVariant &value) const
{
    return variants.value(value.toInt(), QStringLiteral("Некорректный вариант"));
}
