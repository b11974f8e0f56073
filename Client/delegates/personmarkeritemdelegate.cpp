#include "personmarkeritemdelegate.h"

#include <QPainter>

const QMap<QString, QColor> PersonMarkerItemDelegate::marks = {
    {QStringLiteral("V"), QColor(81, 205, 100)},
    {QStringLiteral("D"), QColor(245, 91, 86)},
    {QStringLiteral("B"), QColor(57, 143, 244)},
    {QStringLiteral("E"), QColor(250, 150, 55)},
};

PersonMarkerItemDelegate::PersonMarkerItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void PersonMarkerItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    const QString value = index.data().toString();
    if (value.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));

    painter->save();
    painter->translate(option.rect.topLeft());
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(marks.value(value, QColor(Qt::black))));

    const int h = option.rect.height();
    const int w = option.rect.width();
    const int r = h / 6;
    const int cx = w / 2;
    const int cy = h / 2;
    painter->drawEllipse(QRectF(cx - r, cy - r, 2 * r, 2 * r));

    painter->restore();
}
