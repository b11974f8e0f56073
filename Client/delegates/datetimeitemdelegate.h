#pragma once

#include "textitemdelegate.h"

// Shows the server's ISO date-times as "dd.MM.yyyy" or "dd.MM.yyyy HH:mm".
class DateTimeItemDelegate : public TextItemDelegate
{
    Q_OBJECT

public:
    DateTimeItemDelegate(QObject *parent, bool dateOnly);

    // The text shown for a cell value; empty when the value is no date.
    QString formatValue(const QVariant &value) const override;

private:
    bool dateOnly;
};
