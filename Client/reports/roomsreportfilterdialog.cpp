#include "roomsreportfilterdialog.h"

#include "clock.h"
#include "reportreply.h"
#include "ui_roomsreportfilterdialog.h"

#include <QTime>

RoomsReportFilterDialog::RoomsReportFilterDialog(QWidget *parent)
    : ReportFilterDialog(parent)
    , ui(new Ui::RoomsReportFilterDialog)
{
    ui->setupUi(this);
    connect(ui->floorComboBox, &QComboBox::currentIndexChanged, this,
            &RoomsReportFilterDialog::refillTypes);
}

RoomsReportFilterDialog::~RoomsReportFilterDialog()
{
    delete ui;
}

void RoomsReportFilterDialog::reset()
{
    ui->all->setChecked(true);
    const QDateTime now = Clock::now();
    ui->dateEdit->setDate(now.date());
    ui->timeEdit->setTime(QTime(now.time().hour(), 0));
    ui->floorComboBox->clear();
    ui->typeComboBox->clear();
    roomsByFloor.clear();

    const QJsonDocument rooms = ReportReply::fetch(network, QStringLiteral("rooms"));
    ui->floorComboBox->addItem(QStringLiteral("Не выбран"), -1);
    for (const QJsonValue &value : rooms.array()) {
        const QJsonObject room = ReportReply::object(value);
        const int floor = ReportReply::integer(room, "floor");
        if (!roomsByFloor.contains(floor))
            ui->floorComboBox->addItem(QString::number(floor), floor);
        roomsByFloor[floor].append(ReportReply::text(room, "description"));
    }
}

void RoomsReportFilterDialog::refillTypes()
{
    ui->typeComboBox->clear();
    ui->typeComboBox->addItem(QStringLiteral("Не выбран"));
    const int floor = ui->floorComboBox->currentData().toInt();
    if (floor == -1)
        return;
    // One item per room, so a type that several rooms share is listed as
    // often.
    ui->typeComboBox->addItems(roomsByFloor.value(floor));
}

QMap<QString, QVariant> RoomsReportFilterDialog::getValues()
{
    const QDateTime moment(ui->dateEdit->date(), QTime(ui->timeEdit->time().hour(), 0));
    QMap<QString, QVariant> values{
        {QStringLiteral("date"), moment.toString(Qt::ISODateWithMs)},
        {QStringLiteral("free"), ui->free->isChecked() || ui->all->isChecked()},
        {QStringLiteral("occupied"), ui->occupied->isChecked() || ui->all->isChecked()},
        {QStringLiteral("floor"), ui->floorComboBox->currentData().toInt()}};
    if (ui->typeComboBox->currentIndex() > 0)
        values.insert(QStringLiteral("type"), ui->typeComboBox->currentText());
    return values;
}
