#include "streamitemdelegate.h"

#include "global.h"

StreamItemDelegate::StreamItemDelegate(QObject *parent)
    : JsonObjectItemDelegate(parent)
{
}

QString StreamItemDelegate::formatObject(const QJsonObject &object) const
{
    if (object.isEmpty())
        return QString();
    return QStringLiteral("%1 - %2 | %3")
        .arg(Global::formatDate(object.value("startDate").toString()),
             Global::formatDate(object.value("endDate").toString()),
             object.value("name").toString());
}
