#include "propertyreceivedialog.h"

#include "clock.h"
#include "loginmanager.h"
#include "ui_propertyreceivedialog.h"
#include "unimplemented.h"

#include <QIntValidator>
#include <QJsonObject>

PropertyReceiveDialog::PropertyReceiveDialog(QWidget *parent)
    : EditDialog(parent)
    , ui(new Ui::PropertyReceiveDialog)
{
    ui->setupUi(this);
    ui->actLineEdit->setValidator(new QIntValidator(ui->actLineEdit));
    connect(ui->editActNumberPushButton, &QPushButton::clicked, this,
            [this] { ui->actLineEdit->setEnabled(!ui->actLineEdit->isEnabled()); });
}

PropertyReceiveDialog::~PropertyReceiveDialog()
{
    delete ui;
}

void PropertyReceiveDialog::reset()
{
    const QDateTime now = Clock::now();
    ui->receiveDateEdit->setDate(now.date());
    ui->receiveTimeEdit->setTime(now.time());
    ui->receivedCheckBox->setChecked(false);
    ui->actLineEdit->clear();
    ui->actLineEdit->setEnabled(false);
}

void PropertyReceiveDialog::fromData(const QMap<QString, QVariant> &)
{
    unimplementedFunctionCalled(
        QStringLiteral("virtual void PropertyReceiveDialog::fromData(QMap<QString, QVariant>)"));
}

void PropertyReceiveDialog::fromModel(const QModelIndex &row)
{
    reset();
    const QString received = row.siblingAtColumn(7).data().toString();
    if (!received.isEmpty()) {
        const QDateTime when = QDateTime::fromString(received, Qt::ISODateWithMs);
        if (when.isValid()) {
            ui->receiveDateEdit->setDate(when.date());
            ui->receiveTimeEdit->setTime(when.time());
        }
        ui->receivedCheckBox->setChecked(true);
    }
    ui->actLineEdit->setText(row.siblingAtColumn(3).data().toString());
    ui->propertyLabel->setText(row.siblingAtColumn(4).data().toString());
}

QJsonDocument PropertyReceiveDialog::getJson() const
{
    return QJsonDocument(QJsonObject{
        {QStringLiteral("actNumber"), ui->actLineEdit->text().toInt()},
        {QStringLiteral("received"), ui->receivedCheckBox->isChecked()},
        {QStringLiteral("receiveDate"),
         QDateTime(ui->receiveDateEdit->date(), ui->receiveTimeEdit->time()).toString(Qt::ISODateWithMs)},
        {QStringLiteral("receiverId"), LoginManager::instance()->getUserId()},
    });
}
