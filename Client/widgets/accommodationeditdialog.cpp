#include "accommodationeditdialog.h"

#include "clock.h"
#include "global.h"
#include "loginmanager.h"
#include "reportshelper.h"
#include "requesttablemodel.h"
#include "ui_accommodationeditdialog.h"
#include "unimplemented.h"

#include <QNetworkReply>
#include <QSignalBlocker>

namespace {

// The moment as the form shows it, to the minute: the time edits can hold
// seconds they do not show (a stay stored with them, or a time set in code).
QDateTime shownMoment(const QDateEdit *date, const QTimeEdit *time)
{
    return QDateTime(date->date(), QTime(time->time().hour(), time->time().minute()));
}

}  // namespace

AccommodationEditDialog::AccommodationEditDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::AccommodationEditDialog)
{
    ui->setupUi(this);
    auto refill = [this] { populateRates(ui->numComboBox->currentData().toInt()); };
    connect(ui->numComboBox, &QComboBox::currentIndexChanged, this, refill);
    connect(ui->dateInEdit, &QDateEdit::dateChanged, this, refill);
}

AccommodationEditDialog::~AccommodationEditDialog()
{
    delete ui;
}

void AccommodationEditDialog::setTargetId(int personId)
{
    targetId = personId;
}

int AccommodationEditDialog::exec()
{
    {
        const QSignalBlocker blocker(ui->numComboBox);
        ui->numComboBox->clear();
        rates.clear();

        QNetworkReply *reply = networkManager.getUrl(
            QUrl(Global::endpoint(QStringLiteral("rooms"))), true, true);
        const QJsonArray rooms = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply)).array();
        delete reply;
        for (const QJsonValue &value : rooms) {
            const QJsonObject room = value.toObject();
            const int id = room.value(QStringLiteral("id")).toInt();
            ui->numComboBox->addItem(room.value(QStringLiteral("number")).toString(), id);
            rates.insert(id, room.value(QStringLiteral("rates")).toArray());
        }
        const int ownId = ownRoom.value(QStringLiteral("id")).toInt(-1);
        if (ownId > 0 && ui->numComboBox->findData(ownId) < 0)
            ui->numComboBox->addItem(ownRoom.value(QStringLiteral("number")).toString(), ownId);

        if (roomId == -1) {
            ui->numComboBox->setCurrentIndex(0);
            roomId = ui->numComboBox->currentData().toInt();
        } else {
            // A room that is gone leaves the first one shown.
            ui->numComboBox->setCurrentIndex(qMax(0, ui->numComboBox->findData(roomId)));
        }
    }
    populateRates(roomId);
    return EditDialog::exec();
}

void AccommodationEditDialog::populateRates(int room)
{
    ui->rateComboBox->clear();
    const QDate checkIn = ui->dateInEdit->date();
    // A rate is offered from its first day to its last, both included; one
    // without an end is never offered, one without a start has no lower bound.
    for (const QJsonValue &value : rates.value(room)) {
        const QJsonObject rate = value.toObject();
        const QDate start = Global::toDate(rate.value(QStringLiteral("startDate")).toString());
        const QDate end = Global::toDate(rate.value(QStringLiteral("endDate")).toString());
        if (end.isValid() && (!start.isValid() || start <= checkIn) && checkIn <= end)
            appendRate(rate);
    }
    const int ownId = ownRate.value(QStringLiteral("id")).toInt(-1);
    if (ownId > 0 && room == ownRoom.value(QStringLiteral("id")).toInt(-1)
        && ui->rateComboBox->findData(ownId) < 0)
        appendRate(ownRate);

    const int remembered = ui->rateComboBox->findData(rateId);
    if (remembered >= 0)
        ui->rateComboBox->setCurrentIndex(remembered);
    if (rateId == -1)
        rateId = ui->rateComboBox->currentData().toInt();
}

void AccommodationEditDialog::done(int result)
{
    if (result == QDialog::Accepted) {
        if (ui->numComboBox->currentIndex() >= 0)
            roomId = ui->numComboBox->currentData().toInt();
        if (ui->rateComboBox->currentIndex() >= 0)
            rateId = ui->rateComboBox->currentData().toInt();
    }
    EditDialog::done(result);
}

void AccommodationEditDialog::appendRate(const QJsonObject &rate)
{
    ui->rateComboBox->addItem(QStringLiteral("%1 %2/%3")
                                  .arg(rate.value(QStringLiteral("type")).toString())
                                  .arg(rate.value(QStringLiteral("cost")).toDouble())
                                  .arg(rate.value(QStringLiteral("hourCost")).toDouble()),
                              rate.value(QStringLiteral("id")).toInt());
}

void AccommodationEditDialog::reset()
{
    ownRoom = QJsonObject();
    ownRate = QJsonObject();
    ui->numComboBox->setCurrentIndex(0);

    const QTime checkoutHour = ReportsHelper::getCheckoutHour();

    // Check-in at the nearest whole hour. Seconds left in the value, which
    // the form does not show, made a week's stay seconds short of seven days
    // and charged it an hour more.
    QDateTime t = Clock::now();
    const int minute = t.time().minute();
    t.setTime(QTime(t.time().hour(), 0));
    if (minute > 29)
        t = t.addSecs(3600);
    ui->dateInEdit->setDate(t.date());
    ui->timeInEdit->setTime(t.time());

    // Check-out at the checkout hour that follows the check-in. An hour equal
    // to the check-in means the next day: now that the check-in holds no
    // seconds, "the same day" would propose a stay of no length, which the
    // server refuses. Without an hour, midnight of the next day.
    if (!checkoutHour.isValid() || checkoutHour <= t.time())
        t = t.addDays(1);
    t.setTime(checkoutHour.isValid() ? checkoutHour : QTime(0, 0));
    ui->dateOutEdit->setDate(t.date());
    ui->timeOutEdit->setTime(t.time());
    // Last: the fields set above refill the rates of the previous load.
    rateId = -1;
    roomId = -1;

    if (targetId == -1)
        return;
    // A course participant leaves when the stream ends.
    QNetworkReply *reply = networkManager.getUrl(
        QUrl(Global::endpoint(QStringLiteral("persons/%1").arg(targetId))), true, true);
    const QJsonObject person = QJsonDocument::fromJson(NetworkManagerWrapper::readBody(reply)).object();
    delete reply;
    const QJsonValue stream = person.value(QStringLiteral("stream"));
    if (stream.isObject()) {
        const QDate end = Global::toDate(stream.toObject().value(QStringLiteral("endDate")).toString());
        if (end.isValid())
            ui->dateOutEdit->setDate(end);
    }
}

void AccommodationEditDialog::fromData(const QMap<QString, QVariant> &)
{
    unimplementedFunctionCalled(
        QStringLiteral("virtual void AccommodationEditDialog::fromData(QMap<QString, QVariant>)"));
}

void AccommodationEditDialog::fromModel(const QModelIndex &index)
{
    const QDateTime in = Global::toDateTime(index.siblingAtColumn(3).data().toString());
    const QDateTime out = Global::toDateTime(index.siblingAtColumn(4).data().toString());
    ui->dateInEdit->setDate(in.date());
    ui->timeInEdit->setTime(in.time());
    ui->dateOutEdit->setDate(out.date());
    ui->timeOutEdit->setTime(out.time());

    const RequestTableModel *req = dynamic_cast<const RequestTableModel *>(index.model());
    if (!req) {
        Global::warningAssertionFailed(
            QStringLiteral("req = dynamic_cast<const RequestTableModel*>(row.model())"),
            QStringLiteral("Client/widgets/accommodationeditdialog"), 86);
        return;
    }
    const QJsonObject stay = req->objectAt(index.row());
    ownRoom = stay.value(QStringLiteral("room")).toObject();
    ownRate = stay.value(QStringLiteral("rate")).toObject();
    roomId = ownRoom.value(QStringLiteral("id")).toInt(-1);
    rateId = ownRate.value(QStringLiteral("id")).toInt(-1);
}

QJsonDocument AccommodationEditDialog::getJson() const
{
    const QDateTime in = shownMoment(ui->dateInEdit, ui->timeInEdit);
    const QDateTime out = shownMoment(ui->dateOutEdit, ui->timeOutEdit);
    return QJsonDocument(QJsonObject{
        {QStringLiteral("roomId"), ui->numComboBox->currentData().toInt()},
        {QStringLiteral("rateId"), ui->rateComboBox->currentData().toInt()},
        {QStringLiteral("inDate"), in.toString(Qt::ISODateWithMs)},
        {QStringLiteral("outDate"), out.toString(Qt::ISODateWithMs)},
        {QStringLiteral("adminId"), LoginManager::instance()->getUserId()},
    });
}
