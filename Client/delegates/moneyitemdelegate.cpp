#include "moneyitemdelegate.h"

MoneyItemDelegate::MoneyItemDelegate(QObject *parent)
    : TextItemDelegate(parent)
{
}

QString MoneyItemDelegate::formatValue(const QVariant &value) const
{
    // Not the locale's form: amounts are read and copied by cashiers as 1500.00.
    return QString::number(value.toDouble(), 'f', 2);
}
