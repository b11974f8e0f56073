#pragma once

#include <QStyledItemDelegate>

// Shows an amount with exactly two decimals and a point, without grouping.
class MoneyItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit MoneyItemDelegate(QObject *parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

    // The text shown for a cell value; a value that is no number shows "0.00".
    QString formatValue(const QVariant &value) const;
};
