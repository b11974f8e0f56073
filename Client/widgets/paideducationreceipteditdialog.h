#pragma once

#include "editdialog.h"
#include "networkmanagerwrapper.h"

class CommonSelectorDialog;

namespace Ui {
class PaidEducationReceiptEditDialog;
}

// Editor of one receipt for paid education: the programme, the period of
// study, the pay type, the pay date and the number. The price is the
// programme's.
class PaidEducationReceiptEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit PaidEducationReceiptEditDialog(QWidget *parent = nullptr);
    ~PaidEducationReceiptEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    void fromModel(const QModelIndex &row) override;
    QJsonDocument getJson() const override;

private:
    Ui::PaidEducationReceiptEditDialog *ui;
    CommonSelectorDialog *curriculumSelector;  // owned by its field
    NetworkManagerWrapper networkManager;
};
