#pragma once

#include "jsonobjectitemdelegate.h"

// A pay type followed by its payer: "name | payer name".
class PayerItemDelegate : public JsonObjectItemDelegate
{
    Q_OBJECT

public:
    explicit PayerItemDelegate(QObject *parent = nullptr);

    QString formatObject(const QJsonObject &object) const override;
};
