#pragma once

#include <QStyledItemDelegate>

// Shows the server's ISO date-times as "dd.MM.yyyy" or "dd.MM.yyyy HH:mm".
class DateTimeItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    DateTimeItemDelegate(QObject *parent, bool dateOnly);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

    // The text shown for a cell value; empty when the value is no date.
    QString formatValue(const QVariant &value) const;

private:
    bool dateOnly;
};
