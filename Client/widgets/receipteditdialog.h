#pragma once

#include "editdialog.h"
#include "networkmanagerwrapper.h"

#include <QDateTime>
#include <QMetaObject>

#include <optional>
#include <utility>

class CommonSelectorDialog;

namespace Ui {
class ReceiptEditDialog;
}

// Editor of one receipt for an extra service: the service, an item lent with
// it, the period, the quantity, the pay type, the pay date and the number.
// The server prices it.
class ReceiptEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit ReceiptEditDialog(QWidget *parent = nullptr);
    ~ReceiptEditDialog() override;

    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    void fromModel(const QModelIndex &row) override;
    QJsonDocument getJson() const override;

    // A further line of an existing receipt starts with its number.
    void withNumber(int number);
    // The person's latest check-out: a service that lasts until check-out
    // ends then. None while the stays are not read: a receipt whose end
    // must come from them is then not let through, and stays that come in
    // while it waits give it its end.
    void withOutDate(const std::optional<QDateTime> &outDate);

    JsonValidator::Result validate() override;

public slots:
    void updatePropertySelector(const QModelIndex &index);
    void updateDates(const QModelIndex &index);
    void updatePropertyAttributes(const QModelIndex &index);

private:
    void serviceReset();
    // The service chosen in this receipt as its list has it; empty until
    // the list holds it.
    QJsonObject chosenService() const;
    // Whether the receipt ends at the check-out: a new one of a service that
    // lasts until then, or a loaded one whose service or quantity changed.
    // A loaded one as it was keeps the end it holds.
    bool endsAtCheckOut() const;

    Ui::ReceiptEditDialog *ui;
    CommonSelectorDialog *serviceSelector;   // owned by its field
    CommonSelectorDialog *propertySelector;  // owned by its field
    NetworkManagerWrapper networkManager;
    std::optional<QDateTime> outDate;
    // The service and the quantity of the receipt loaded by fromModel.
    std::optional<std::pair<int, int>> loaded;
    // The loaded receipt's item, selected once its service has been.
    QMetaObject::Connection pendingProperty;
};
