#pragma once

#include "editdialog.h"

namespace Ui {
class PayTypeEditDialog;
}

// Editor of a pay type: name, payment attribute, the organization that pays
// (if any), period of validity and contract price. Nothing is required.
class PayTypeEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit PayTypeEditDialog(QWidget *parent = nullptr);
    ~PayTypeEditDialog() override;

    // A new pay type proposes today for both ends of its period.
    void reset() override;
    // The payer changes only when the map names one ("payerId").
    void fromData(const QMap<QString, QVariant> &data) override;
    // Reads the row by position; the payer's id comes from the row's whole
    // record.
    void fromModel(const QModelIndex &row) override;
    // Without a payer the body has no "payerId" at all.
    QJsonDocument getJson() const override;

private:
    // An attribute the form does not know leaves the current choice.
    void selectAttribute(int attribute);

    Ui::PayTypeEditDialog *ui;
};
