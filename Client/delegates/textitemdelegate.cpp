#include "textitemdelegate.h"

#include <QFontMetrics>

TextItemDelegate::TextItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QSize TextItemDelegate::sizeHint(const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    const QRect bounds = option.fontMetrics.boundingRect(formatValue(index.data()));
    return QSize(bounds.width() + 10, bounds.height());
}

void TextItemDelegate::initStyleOption(QStyleOptionViewItem *option,
                                       const QModelIndex &index) const
{
    option->text = formatValue(index.data());
}
