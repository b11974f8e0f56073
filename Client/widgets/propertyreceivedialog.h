#pragma once

#include "editdialog.h"

namespace Ui {
class PropertyReceiveDialog;
}

// Records the hand-back of an item lent on a receipt: the act's number, and
// whether and when the item was taken back. It reads the person card's
// property table by its cells, so any model with those columns will do.
class PropertyReceiveDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit PropertyReceiveDialog(QWidget *parent = nullptr);
    ~PropertyReceiveDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    void fromModel(const QModelIndex &row) override;
    QJsonDocument getJson() const override;

private:
    Ui::PropertyReceiveDialog *ui;
};
