#include "attributeitemdelegate.h"

#include "delegatetext.h"

AttributeItemDelegate::AttributeItemDelegate(QObject *parent, const QMap<int, QString> &variants)
    : QStyledItemDelegate(parent)
    , variants(variants)
{
}

QSize AttributeItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    QStyleOptionViewItem fresh;
    initStyleOption(&fresh, index);
    return DelegateText::sizeFor(option, fresh.text);
}

void AttributeItemDelegate::initStyleOption(QStyleOptionViewItem *option,
                                            const QModelIndex &index) const
{
    option->text = formatValue(index.data());
}

QString AttributeItemDelegate::formatValue(const QVariant &value) const
{
    return variants.value(value.toInt(), QStringLiteral("Некорректный вариант"));
}
