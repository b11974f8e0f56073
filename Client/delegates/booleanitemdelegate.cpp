#include "booleanitemdelegate.h"

#include "delegatetext.h"

BooleanItemDelegate::BooleanItemDelegate(QObject *parent,
                                         const std::pair<QString, QString> &labels)
    : QStyledItemDelegate(parent)
    , labels(labels)
{
}

QSize BooleanItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    return DelegateText::sizeFor(option, formatValue(index.data()));
}

void BooleanItemDelegate::initStyleOption(QStyleOptionViewItem *option,
                                          const QModelIndex &index) const
{
    // Only the text: the view's own font, palette and alignment stay.
    option->text = formatValue(index.data());
}

QString BooleanItemDelegate::formatValue(const QVariant &value) const
{
    return value.toBool() ? labels.first : labels.second;
}
