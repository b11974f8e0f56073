#pragma once

#include "jsontablemodel.h"

// The users list, in which only the two per-user fields "rv" (column 4) and
// "rv0" (column 5) are edited in place. Every such edit replaces the whole
// row, reports it changed and names the cell edited, even when the value
// stays the same: the users window writes each one to the server.
class UsersTableModel : public JsonTableModel
{
    Q_OBJECT

public:
    explicit UsersTableModel(QObject *parent = nullptr);

    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // After an edit in place; the row's dataChanged does not say which cell.
    void cellEdited(const QModelIndex &cell);
};
