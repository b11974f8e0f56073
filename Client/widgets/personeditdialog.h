#pragma once

#include "networkmanagerwrapper.h"
#include "requesttablemodel.h"

#include <QDialog>
#include <QJsonObject>
#include <QModelIndex>
#include <QStandardItemModel>
#include <QString>

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

    NetworkManagerWrapper networkManager;
    Ui::PersonEditDialog *ui;
    RequestTableModel accommodationModel;
    RequestTableModel paymentsModel;
    RequestTableModel receiptsModel;
    QStandardItemModel propertyModel;
    RequestTableModel paidEducationReceiptsModel;
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
};
