#pragma once

#include "jsonobjectitemdelegate.h"

// A stream as "start - end | name".
class StreamItemDelegate : public JsonObjectItemDelegate
{
    Q_OBJECT

public:
    explicit StreamItemDelegate(QObject *parent = nullptr);

    QString formatObject(const QJsonObject &object) const override;
};
