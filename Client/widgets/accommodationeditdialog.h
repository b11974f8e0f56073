#pragma once

#include "editdialog.h"
#include "networkmanagerwrapper.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>

namespace Ui {
class AccommodationEditDialog;
}

// Editor of one stay: the room, a rate valid on the check-in date, and the
// check-in and check-out. It loads the rooms with their rates at every run
// and proposes the times of a new stay; the server counts nights and cost.
class AccommodationEditDialog : public EditDialog
{
    Q_OBJECT

public:
    explicit AccommodationEditDialog(QWidget *parent = nullptr);
    ~AccommodationEditDialog() override;

    // The person whose stay this is; a new stay ends with the person's stream.
    void setTargetId(int personId);

    // Loads the rooms and their rates, then runs the dialog.
    int exec() override;
    void reset() override;
    void fromData(const QMap<QString, QVariant> &data) override;
    void fromModel(const QModelIndex &index) override;
    QJsonDocument getJson() const override;

public slots:
    void populateRates(int roomId);
    // An accepted room and rate are kept: run again without reset or
    // fromModel (after a save the server refused), the dialog shows them.
    void done(int result) override;

private:
    void appendRate(const QJsonObject &rate);

    Ui::AccommodationEditDialog *ui;
    NetworkManagerWrapper networkManager;
    int rateId = -1;  // -1: the first offered rate
    int roomId = -1;  // -1: the first room
    QMap<int, QJsonArray> rates;  // the "rates" of each room of the last load
    int targetId = -1;
    // The edited stay's own room and rate as its row names them: offered
    // even when no longer current, so that an unchanged stay keeps them.
    QJsonObject ownRoom;
    QJsonObject ownRate;
};
