#pragma once

#include "accommodationeditdialog.h"
#include "bill.h"
#include "form1act.h"
#include "form2act.h"
#include "networkmanagerwrapper.h"
#include "paideducationreceipteditdialog.h"
#include "paymenteditdialog.h"
#include "propertyreceivedialog.h"
#include "receipt.h"
#include "receipteditdialog.h"
#include "requesttablemodel.h"

#include <QDateTime>
#include <QDialog>
#include <QJsonObject>
#include <QModelIndex>
#include <QStandardItemModel>
#include <QString>

#include <functional>

class CommonSelectorDialog;
class QKeyEvent;
class QNetworkReply;
class QTableView;

namespace Ui {
class PersonEditDialog;
}

// The registration card of one person: personal data, the identity document
// (locked until the user gives their password again), work and study, and the
// person's stays, payments, receipts and rented property. The persons view
// owns one card for its whole life and shows each person in it in turn.
class PersonEditDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PersonEditDialog(QWidget *parent = nullptr);
    ~PersonEditDialog() override;

public slots:
    // -1 prepares a blank card for a new person.
    void setupFromId(int id);
    // True when the server took the record (a new person then reloads with
    // its id). Sends nothing while a save is in flight or after a failed
    // load, whose blank form must never overwrite the stored person.
    bool write();
    void fixFullname();
    void updateStreamInfo(const QModelIndex &index);
    void updateOrganizationCode(const QModelIndex &index);
    void updateOrganizationByCode(const QString &code);

    void reset();
    void updateButtonStates();
    void registerWithoutAccommodation();
    void cancelRegistration();
    void hideSensitiveInfo();
    void showSensitiveInfo();
    void toggleSensitiveInfo();
    void fetch(QNetworkReply *reply);

    // Stays and payments.
    void addAccommodation();
    void editAccommodation(const QModelIndex &index);
    void removeAccommodation(const QModelIndex &index);
    void addPayment();
    void editPayment(const QModelIndex &index);
    void removePayment(const QModelIndex &index);
    void createBill();
    void recalculateTotal();
    void recalculateLeft();

    // Receipts for extra services and for paid education.
    void addReceipt();
    void addReceiptTo(const QModelIndex &index);
    void editReceipt(const QModelIndex &index);
    void removeReceipt(const QModelIndex &index);
    void returnReceipt(const QModelIndex &index);
    void createReceipt(const QModelIndex &index);
    void addPaidEducationReceipt();
    void editPaidEducationReceipt(const QModelIndex &index);
    void removePaidEducationReceipt(const QModelIndex &index);
    void returnPaidEducationReceipt(const QModelIndex &index);
    void createPaidEducationReceipt(const QModelIndex &index);

    // Property lent on receipts.
    void updatePropertyList();
    void receiveProperty(const QModelIndex &index);
    void createForm1Act(const QModelIndex &index);
    void createForm2Act(const QModelIndex &index);

public:
    // The latest check-out of the person's stays; null without stays.
    QDateTime getOutDateTime() const;

signals:
    // After every reply of the card's own requests other than a GET.
    void dataUpdated();
    void printRequested(int id);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void saveAndClose();
    void fill(const QJsonObject &person);
    void loadSubList(RequestTableModel &model, const QString &list, QTableView *view);
    QJsonObject record() const;
    void updateSaveButtons();
    void setSensitiveShown(bool shown);
    void showBillNumber(int number);
    // Sub-records are added only to a person the server has taken.
    bool personSaved() const { return id != -1 && loaded; }
    // One synchronous write of the card; false when the server did not take
    // it. The transport shows its own box for a failed reply; a refusal that
    // arrives as a success gets one here.
    bool send(QNetworkAccessManager::Operation verb, const QString &path,
              const QJsonDocument &body = QJsonDocument(), QJsonObject *answer = nullptr);
    // Runs the dialog and saves what it gives until the server takes it or
    // the user cancels, reloading `list` after each attempt.
    void runUntilSaved(EditDialog &dialog, RequestTableModel &list,
                       const std::function<bool(QJsonObject record)> &save);
    // The save of a record that belongs to the person: sent to `path` with its "personId".
    std::function<bool(QJsonObject record)> sendForPerson(QNetworkAccessManager::Operation verb,
                                                          const QString &path);
    void removeRow(const QModelIndex &index, const QString &collection, RequestTableModel &list);

    NetworkManagerWrapper networkManager;
    Ui::PersonEditDialog *ui;
    RequestTableModel accommodationModel;
    RequestTableModel paymentsModel;
    RequestTableModel receiptsModel;
    QStandardItemModel propertyModel;
    RequestTableModel paidEducationReceiptsModel;
    AccommodationEditDialog accommodationDialog;
    PaymentEditDialog paymentDialog;
    ReceiptEditDialog receiptDialog;
    PropertyReceiveDialog propertyReceiveDialog;
    PaidEducationReceiptEditDialog paidEducationReceiptDialog;
    Bill bill;
    Receipt receipt;
    Form1Act form1Act;
    Form2Act form2Act;
    // Owned by their selector fields.
    CommonSelectorDialog *organizationsSelector = nullptr;
    CommonSelectorDialog *streamSelector = nullptr;

    int id = -1;
    bool sensitiveHidden = true;
    bool registrationMark = false;
    bool registrationMarkSet = false;
    // False while the card shows the blank form of a load that failed.
    bool loaded = true;
    bool saving = false;
    // In kopecks, as the lists were last loaded: the balance presets a new payment.
    qint64 total = 0;
    qint64 left = 0;
};
