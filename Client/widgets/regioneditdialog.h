#pragma once

#include "editdialog.h"

namespace Ui {
class RegionEditDialog;
}

// Editor of a region: its name, its code and the district it belongs to.
class RegionEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit RegionEditDialog(QWidget *parent = nullptr);
    ~RegionEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    // The list shows the district only by name; the id comes from the
    // row's whole record.
    void fromModel(const QModelIndex &row) override;
    QJsonDocument getJson() const override;

private:
    Ui::RegionEditDialog *ui;
};
