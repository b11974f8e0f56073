#pragma once

#include "textitemdelegate.h"
#include <QString>

#include <utility>

// Shows a boolean cell as one of two words ("Да" / "Нет").
class BooleanItemDelegate : public TextItemDelegate
{
    Q_OBJECT

public:
    // `labels`: the text for true, then the text for false.
    BooleanItemDelegate(QObject *parent, const std::pair<QString, QString> &labels);

    // The text shown for a cell value.
    QString formatValue(const QVariant &value) const override;

private:
    std::pair<QString, QString> labels;
};
