#pragma once

#include "editdialog.h"

namespace Ui {
class PropertyEditDialog;
}

// Editor of an item of property lent to persons: name, identification
// number (text), cost and the archive flag of an item written off.
class PropertyEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit PropertyEditDialog(QWidget *parent = nullptr);
    ~PropertyEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    QJsonDocument getJson() const override;

private:
    Ui::PropertyEditDialog *ui;
};
