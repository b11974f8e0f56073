#pragma once

#include <QMap>
#include <QString>
#include "textitemdelegate.h"

// Shows a small integer code as the word the map gives for it.
class AttributeItemDelegate : public TextItemDelegate
{
    Q_OBJECT

public:
    AttributeItemDelegate(QObject *parent, const QMap<int, QString> &variants);

    // The text shown for a cell value; "Некорректный вариант" for a code the map lacks.
    QString formatValue(const QVariant &value) const override;

private:
    QMap<int, QString> variants;
};
