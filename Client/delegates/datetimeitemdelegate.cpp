#include "datetimeitemdelegate.h"

#include "global.h"

DateTimeItemDelegate::DateTimeItemDelegate(QObject *parent, bool dateOnly)
    : TextItemDelegate(parent)
    , dateOnly(dateOnly)
{
}

QString DateTimeItemDelegate::formatValue(const QVariant &value) const
{
    const QString text = value.toString();
    return dateOnly ? Global::formatDate(text) : Global::formatDateTime(text);
}
