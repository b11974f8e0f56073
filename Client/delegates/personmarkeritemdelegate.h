#pragma once

#include <QColor>
#include <QMap>
#include <QString>
#include <QStyledItemDelegate>

// Draws a person's marker letter as a coloured dot in the middle of the cell.
class PersonMarkerItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit PersonMarkerItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // Marker letter (case-sensitive) to dot colour; other letters are drawn black.
    static const QMap<QString, QColor> marks;
};
