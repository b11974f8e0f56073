#pragma once

#include <QMap>
#include <QString>
#include <QStyledItemDelegate>

// Shows a small integer code as the word the map gives for it.
class AttributeItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    AttributeItemDelegate(QObject *parent, const QMap<int, QString> &variants);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

    // The text shown for a cell value; "Некорректный вариант" for a code the map lacks.
    QString formatValue(const QVariant &value) const;

private:
    QMap<int, QString> variants;
};
