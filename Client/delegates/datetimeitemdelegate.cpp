#include "datetimeitemdelegate.h"

#include "delegatetext.h"
#include "global.h"

DateTimeItemDelegate::DateTimeItemDelegate(QObject *parent, bool dateOnly)
    : QStyledItemDelegate(parent)
    , dateOnly(dateOnly)
{
}

QSize DateTimeItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    QStyleOptionViewItem fresh;
    initStyleOption(&fresh, index);
    return DelegateText::sizeFor(option, fresh.text);
}

void DateTimeItemDelegate::initStyleOption(QStyleOptionViewItem *option,
                                           const QModelIndex &index) const
{
    option->text = formatValue(index.data());
}

QString DateTimeItemDelegate::formatValue(const QVariant &value) const
{
    const QString text = value.toString();
    return dateOnly ? Global::formatDate(text) : Global::formatDateTime(text);
}
