#pragma once

#include "editdialog.h"
#include "networkmanagerwrapper.h"

class CommonSelectorDialog;

namespace Ui {
class PaymentEditDialog;
}

// Editor of one payment for accommodation: the amount, the date, the pay
// type and, for a contract, the payer. A payer is itself a pay type (one
// whose record names the paying organization); for a new payment the dialog
// looks up the contract that applies to the person and preselects it.
class PaymentEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit PaymentEditDialog(QWidget *parent = nullptr);
    ~PaymentEditDialog() override;

    // Before reset(): the payer lookup is made for this person.
    void setTargetPerson(int personId);
    void setPaid(double amount);

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    void fromModel(const QModelIndex &index) override;
    QJsonDocument getJson() const override;

public slots:
    void updateSummInput(bool hidden);
    void updatePayerLabel();
    void updatePayerSelector();

private:
    void payTypeChosen(const QModelIndex &index);
    // A payer id of 0 or less is no payer.
    void setPayer(const QJsonObject &payer, const QString &name);

    Ui::PaymentEditDialog *ui;
    CommonSelectorDialog *payTypeSelector;  // owned by its field
    int payerId = -1;
    // An existing payment keeps its payer when another pay type is chosen.
    bool payerFixed = false;
    bool summVisible = false;
    NetworkManagerWrapper networkManager;
    int targetPerson = -1;
    QString payTypeEndpoint;  // the selector's list without the person
};
