#include "moneyitemdelegate.h"

#include "delegatetext.h"

MoneyItemDelegate::MoneyItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QSize MoneyItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    QStyleOptionViewItem fresh;
    initStyleOption(&fresh, index);
    return DelegateText::sizeFor(option, fresh.text);
}

void MoneyItemDelegate::initStyleOption(QStyleOptionViewItem *option,
                                        const QModelIndex &index) const
{
    option->text = formatValue(index.data());
}

QString MoneyItemDelegate::formatValue(const QVariant &value) const
{
    // Not the locale's form: amounts are read and copied by cashiers as 1500.00.
    return QString::number(value.toDouble(), 'f', 2);
}
