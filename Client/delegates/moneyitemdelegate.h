#pragma once

#include "textitemdelegate.h"

// Shows an amount with exactly two decimals and a point, without grouping.
class MoneyItemDelegate : public TextItemDelegate
{
    Q_OBJECT

public:
    explicit MoneyItemDelegate(QObject *parent = nullptr);

    // The text shown for a cell value; a value that is no number shows "0.00".
    QString formatValue(const QVariant &value) const override;
};
