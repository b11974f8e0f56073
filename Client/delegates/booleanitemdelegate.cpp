#include "booleanitemdelegate.h"

BooleanItemDelegate::BooleanItemDelegate(QObject *parent,
                                         const std::pair<QString, QString> &labels)
    : TextItemDelegate(parent)
    , labels(labels)
{
}

QString BooleanItemDelegate::formatValue(const QVariant &value) const
{
    return value.toBool() ? labels.first : labels.second;
}
