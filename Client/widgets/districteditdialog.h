#pragma once

#include "editdialog.h"

namespace Ui {
class DistrictEditDialog;
}

// Editor of a district: its name alone.
class DistrictEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit DistrictEditDialog(QWidget *parent = nullptr);
    ~DistrictEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    QJsonDocument getJson() const override;

private:
    Ui::DistrictEditDialog *ui;
};
