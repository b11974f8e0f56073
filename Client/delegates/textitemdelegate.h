#pragma once

#include <QStyledItemDelegate>
#include <QString>

// A delegate that shows a cell's raw value as readable text. Only the
// option's text is written: the view's own font, palette and alignment stay,
// and no other role of the model reaches the cell. A cell is as wide as its
// text plus a small gap and as high as the text.
class TextItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TextItemDelegate(QObject *parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

    // The text shown for a cell value.
    virtual QString formatValue(const QVariant &value) const = 0;
};
