#pragma once

#include "textitemdelegate.h"

#include <QJsonObject>

// Shows a cell that holds a nested JSON object as one line of text; the
// subclasses decide which members make up that line.
class JsonObjectItemDelegate : public TextItemDelegate
{
    Q_OBJECT

public:
    explicit JsonObjectItemDelegate(QObject *parent = nullptr);

    virtual QString formatObject(const QJsonObject &object) const = 0;

    // The text shown for a cell value; a value that is no object counts as an empty one.
    QString formatValue(const QVariant &value) const override;

    // A cell value as a JSON object (empty when it holds none).
    static QJsonObject toObject(const QVariant &value);
};
