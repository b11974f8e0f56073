#pragma once

#include <QJsonObject>
#include <QStyledItemDelegate>

// Shows a cell that holds a nested JSON object as one line of text; the
// subclasses decide which members make up that line.
class JsonObjectItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit JsonObjectItemDelegate(QObject *parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

    virtual QString formatObject(const QJsonObject &object) const = 0;

    // The text shown for a cell value; a value that is no object counts as an empty one.
    QString formatValue(const QVariant &value) const;

    // A cell value as a JSON object (empty when it holds none).
    static QJsonObject toObject(const QVariant &value);
};
