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
#include "saveloop.h"

#include <QDateTime>
#include <QDialog>
#include <QJsonObject>
#include <QModelIndex>
#include <QStandardItemModel>
#include <QString>

#include <functional>
#include <optional>

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
    // -1 prepares a blank card for a new person. While one of the card's
    // writes waits, the card keeps its person and shows this one after it.
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
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Holds the card on its person and refuses a second write while one of
    // its writes (with the dialog that comes back after a failure) runs: the
    // reply is awaited in a nested event loop that takes the user's input.
    class Hold
    {
    public:
        explicit Hold(PersonEditDialog &card);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        PersonEditDialog &card;
    };

    void saveAndClose();
    void load(int newId);
    bool save();
    // How a new person whose save got no answer is looked for and corrected.
    SaveLoop::Creation newPersons();
    // A user has signed in: `previousUserId` was signed in before.
    void takeNewUser(int previousUserId);
    // Then the card reads with his rights what it shows.
    void readForNewUser();
    // The person's lists read again, with the signed-in user's rights.
    void reloadLists();
    void fill(const QJsonObject &person);
    // The person's lists: their model, their name on the server and their view.
    struct SubList
    {
        RequestTableModel *model;
        QString name;
        QTableView *view;
    };
    QList<SubList> subLists();
    QJsonObject record() const;
    // getOutDateTime(), or none when the stays could not be read.
    std::optional<QDateTime> outDate() const;
    void updateSaveButtons();
    // Only the user who registered the person may cancel the registration.
    void updateCancelButton();
    void setSensitiveShown(bool shown);
    void showBillNumber(int number);
    // Sub-records are added only to a person the server has taken.
    bool personSaved() const { return id != -1 && loaded; }
    // One synchronous write of the card, with the busy indicator up. The
    // transport has told the user of every outcome but success.
    SaveLoop::Attempt send(QNetworkAccessManager::Operation verb, const QString &path,
                           const QJsonDocument &body = QJsonDocument());
    // One of the person's lists ("payments", "receipts", ...) on the server.
    static QUrl subListUrl(int personId, const QString &list);
    // Runs `dialog` until what it gives is saved for the person shown when
    // it opened (never the one shown when it sends) or is cancelled: a new
    // record of `collection` when `recordId` is 0, otherwise that record
    // replaced. `model`, the person's list of the collection, is reloaded
    // after each attempt, and an unanswered new record is looked for in it.
    SaveLoop::Result saveForPerson(EditDialog &dialog, RequestTableModel &model,
                                   const QString &collection, int recordId = 0,
                                   const std::function<void(QJsonObject &)> &complete = {});
    void removeRow(const QModelIndex &index, const QString &collection, RequestTableModel &list);
    void returnRow(const QModelIndex &index, const QString &collection, RequestTableModel &list);
    // What the clerk is told of a return of `receipt` without an answer,
    // from the ids its list held `before` it and the list read after.
    void tellReturn(const SaveLoop::Attempt &attempt, const QSet<int> &before, const SaveLoop::Rows &rows,
                    const QJsonObject &receipt);

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
    // While a write of the card's runs (see Hold).
    bool busy = false;
    // A person asked for while the card was held, shown once it is free.
    std::optional<int> pendingId;
    // What this card's save of a new person has learnt of its own write
    // without an answer.
    SaveLoop::Progress personProgress;
    // In kopecks, as the lists were last loaded: the balance presets a new
    // payment. None while a list it is summed from could not be read: an
    // unread list is no list without payments.
    std::optional<qint64> total = 0;
    std::optional<qint64> left = 0;
    // The user who registered the person shown; 0 for none.
    int registeredBy = 0;
    // Between the card's showing and its closing; minimized in its tab too.
    bool opened = false;
    // What the card reads once a sign-in is complete: the person again when
    // another user has signed in, else the lists.
    enum class AfterSignIn { ReloadLists, Load };
    AfterSignIn afterSignIn = AfterSignIn::ReloadLists;
};
