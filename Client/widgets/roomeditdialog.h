#pragma once

#include "editdialog.h"

namespace Ui {
class RoomEditDialog;
}

// Editor of a room: its number, floor, number of places and description.
// Floor and places go up to the largest 32-bit integer: a field that stops
// short of a stored value would save its own bound instead.
class RoomEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit RoomEditDialog(QWidget *parent = nullptr);
    ~RoomEditDialog() override;

    void reset() override;
    // Rooms are only ever filled from a row of the rooms table.
    void fromData(const QMap<QString, QVariant> &data) override;
    // Reads the row by position (id, number, floor, places, description),
    // from a model of any kind.
    void fromModel(const QModelIndex &row) override;
    QJsonDocument getJson() const override;

private:
    Ui::RoomEditDialog *ui;
};
