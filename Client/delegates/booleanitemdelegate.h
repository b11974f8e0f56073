#pragma once

#include <QStyledItemDelegate>
#include <QString>

#include <utility>

// Shows a boolean cell as one of two words ("Да" / "Нет").
class BooleanItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // `labels`: the text for true, then the text for false.
    BooleanItemDelegate(QObject *parent, const std::pair<QString, QString> &labels);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

    // The text shown for a cell value.
    QString formatValue(const QVariant &value) const;

private:
    std::pair<QString, QString> labels;
};
