#pragma once

#include "jsonobjectitemdelegate.h"

#include <QString>

// One member of a nested object, e.g. the name of a stream's curriculum.
class SimpleJsonObjectItemDelegate : public JsonObjectItemDelegate
{
    Q_OBJECT

public:
    SimpleJsonObjectItemDelegate(QObject *parent, const QString &key);

    QString formatObject(const QJsonObject &object) const override;

private:
    QString key;
};
